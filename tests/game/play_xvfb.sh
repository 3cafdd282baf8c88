#!/usr/bin/env bash
# Plays whole games on the real program under Xvfb, with the pointer driven
# from outside, and checks the records file each game leaves behind.
#
#   tests/game/play_xvfb.sh BUILD_DIR OUT_DIR [S|M|L ...]
#
# OUT_DIR receives the screenshots (dealt, sorted, mid-reading, finished) and
# the records files. Needs xvfb, xdotool and imagemagick.
set -euo pipefail
# The helper starts Xvfb and clears QT_QPA_PLATFORM, which an offscreen caller would pass on.
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"

BUILD="$(cd "${1:?build dir}" && pwd)"
OUT="$(mkdir -p "${2:?output dir}" && cd "$2" && pwd)"
shift 2
BOARDS=("$@")
[ ${#BOARDS[@]} -gt 0 ] || BOARDS=(S M L)

xvfb_enter "$BUILD" "$OUT" "${BOARDS[@]}"

start_in_new_folder "$BUILD"

origin() { # window id -> "x y" of its client area on the screen
  xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}'
}

click() { # x y (screen)
  xdotool mousemove --sync "$1" "$2" click 1
}

shot() {
  import -window root "$OUT/$1.png"
}

# Colour of one screen pixel as "r,g,b".
pixel() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- | awk 'NR==2{gsub(/[()]/,"",$2); print $2}'
}

# Board table: yokoSu, cards, readings, menu button (in the menu's Panel2 at 72,96),
# control positions (left top of BtnShow BtnStart BtnYomijun BtnTorijun), Panel2 origin.
board() {
  case "$1" in
    S) echo "8 24 20 40,104 16,8 16,32 176,8 176,32 8,64" ;;
    M) echo "11 44 40 164,104 8,8 122,8 236,8 350,8 8,48" ;;
    L) echo "14 84 80 288,104 8,0 152,0 296,0 440,0 8,24" ;;
  esac
}

MAIN=$(wait_window "琴葉")
for B in "${BOARDS[@]}"; do
  read -r YOKO N R MENU SHOW START YOMI TORI P2 <<<"$(board "$B")"
  rm -f "Records$B.dat"
  # What the other boards' files hold now; this game must leave them alone.
  others_before=$(for o in S M L; do [ "$o" = "$B" ] || md5sum "Records$o.dat" 2>/dev/null || echo "no Records$o.dat"; done)
  read -r MX MY <<<"$(origin "$MAIN")"
  click $((MX + 72 + ${MENU%,*} + 60)) $((MY + 96 + ${MENU#*,} + 20))
  GAME=$(wait_window "琴葉ゲーム")
  sleep 0.5
  read -r GX GY <<<"$(origin "$GAME")"
  at() { echo $((GX + ${1%,*} + 40)) $((GY + ${1#*,} + 12)); }
  # A point on card k's face, clear of its text: near the lower edge.
  card_xy() {
    local j=$((($1 - 1) % YOKO)) r=$((($1 - 1) / YOKO))
    echo $((GX + ${P2%,*} + 8 + 64 * (YOKO - 1 - j) + 6)) $((GY + ${P2#*,} + 8 + 112 * r + 106))
  }

  click $(at "$SHOW"); sleep 0.5; shot "$B-1-dealt"
  click $(at "$TORI"); sleep 0.5; shot "$B-2-sorted-lower"
  click $(at "$YOMI"); sleep 0.5; shot "$B-3-sorted-upper"

  # Each reading: start, let a few characters show, click a card that is
  # still up. A wrong click marks the right card; either way the reading ends.
  k=1
  for ((reading = 1; reading <= R; reading++)); do
    click $(at "$START")
    sleep 0.5
    [ "$reading" = 2 ] && shot "$B-4-mid-reading"
    while :; do
      read -r CX CY <<<"$(card_xy $k)"
      [ "$(pixel "$CX" "$CY")" = "240,240,240" ] && break
      k=$((k + 1))
      [ $k -le "$N" ] || { echo "no card left up" >&2; exit 1; }
    done
    click "$CX" "$CY"
    sleep 0.3
  done
  shot "$B-5-finished"

  # The record step asks for a name: the first game on a board always enters.
  PROMPT=$(wait_window "氏名登録")
  xdotool windowactivate --sync "$PROMPT" 2>/dev/null || true
  xdotool type --delay 50 "ABC"
  shot "$B-6-name-prompt"
  xdotool key Return
  sleep 0.5

  F="Records$B.dat"
  cp "$F" "$OUT/"
  SIZE=$(stat -c %s "$F")
  [ "$SIZE" = 74 ] || { echo "$F: $SIZE bytes, expected 74" >&2; exit 1; }
  [ "$(head -c 37 "$F" | tr -d '\0' | wc -c)" = 0 ] || { echo "$F: slot 0 not zero" >&2; exit 1; }
  SLOT=$(tail -c 37 "$F" | od -An -v -tu1 | tr -s ' \n' ' ')
  read -r -a BYTES <<<"$SLOT"
  LEN=${BYTES[0]}
  SCORE=$(tail -c 36 "$F" | head -c "$LEN")
  NAME=$(tail -c 31 "$F" | head -c "${BYTES[5]}")
  DATE=$(tail -c 10 "$F" | head -c "${BYTES[26]}")
  [[ "$SCORE" =~ ^[0-9]+$ ]] || { echo "$F: score '$SCORE'" >&2; exit 1; }
  [ "$NAME" = ABC ] || { echo "$F: name '$NAME'" >&2; exit 1; }
  others_after=$(for o in S M L; do [ "$o" = "$B" ] || md5sum "Records$o.dat" 2>/dev/null || echo "no Records$o.dat"; done)
  [ "$others_before" = "$others_after" ] || { echo "board $B touched another board's records file" >&2; exit 1; }
  echo "board $B: $R readings, score $SCORE, name $NAME, date '$DATE', file $SIZE bytes"

  # Back to the menu.
  read -r GX GY <<<"$(origin "$GAME")"
  case "$B" in
    S) click $((GX + 336 + 40)) $((GY + 32 + 12)) ;;
    M) click $((GX + 576 + 40)) $((GY + 8 + 12)) ;;
    L) click $((GX + 728 + 40)) $((GY + 0 + 12)) ;;
  esac
  wait_window "琴葉" >/dev/null
  sleep 0.5
done
shot "menu-after"
