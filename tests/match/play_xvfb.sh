#!/usr/bin/env bash
# Plays a whole practice match on the real program under Xvfb: opens it from
# the menu's right strip, moves a card during memorisation by keyboard, then
# presses Space on cards at random moments (takes by luck, faults now and
# then) until the end screen shows. Screenshots before, during and after.
#
#   tests/match/play_xvfb.sh BUILD_DIR OUT_DIR [LEVEL]
#
# Needs xvfb, xdotool and imagemagick. A match lasts minutes of real time
# (every dead card is read to its end); level 5 ends it soonest.
set -euo pipefail
# The helper starts Xvfb and clears QT_QPA_PLATFORM, which an offscreen caller would pass on.
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"

BUILD="$(cd "${1:?build dir}" && pwd)"
OUT="$(mkdir -p "${2:?output dir}" && cd "$2" && pwd)"
LEVEL="${3:-3}"

xvfb_enter "$BUILD" "$OUT" "$LEVEL"

start_in_new_folder "$BUILD"

origin() { xdotool getwindowgeometry "$1" | awk '/Position/ { split($2, a, ","); print a[1], a[2] }'; }
click() { xdotool mousemove $(( $1 )) $(( $2 )) click 1; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]\{6\}'; }

MENU=$(wait_window "琴葉")
read -r MX MY < <(origin "$MENU")
click "MX + 555" "MY + 193"                # 練習試合, the right strip's upper half
W=$(wait_window "琴葉練習試合")
read -r X Y < <(origin "$W")
sleep 0.5
# The level: open the list and step down to the wanted entry.
click "X + 366" "Y + 24"; sleep 0.3
xdotool key Home; for _ in $(seq 2 "$LEVEL"); do xdotool key Down; done; xdotool key Return
# The shortest pause between readings: two clicks on the 間隔 box's down arrow.
click "X + 604" "Y + 32"; sleep 0.2; click "X + 604" "Y + 32"; sleep 0.2
# Memorisation of one minute: pick it, start it, move a card with the keyboard.
click "X + 56" "Y + 24"; sleep 0.3; xdotool key Home Return
click "X + 156" "Y + 24"; sleep 0.3
xdotool windowfocus --sync "$W"
xdotool key space Up space
import -window root "$OUT/match-before.png"
click "X + 260" "Y + 24"                   # すぐに開始
xdotool windowfocus --sync "$W"

CX=$(( X + 8 + 449 )); CY=$(( Y + 48 + 337 )) # the floor's centre: the end screen shows there
for i in $(seq 1 3000); do
  sleep "0.$(( RANDOM % 9 + 1 ))"
  xdotool key "$(shuf -n1 -e Left Right Up Down)"
  [ $(( RANDOM % 6 )) -eq 0 ] && xdotool key space
  [ "$i" -eq 60 ] && import -window root "$OUT/match-during.png"
  if [ $(( i % 10 )) -eq 0 ] && [ "$(pixel "$CX" "$CY")" = "#FFFF00" ]; then
    import -window root "$OUT/match-after.png"
    echo "match over after $i steps"
    exit 0
  fi
done
import -window root "$OUT/match-after.png"
echo "no end screen within the time given" >&2
exit 1
