#!/usr/bin/env bash
# Screenshots of every mode for the README, taken from the real program
# under Xvfb and driven from outside with xdotool at the layouts' coordinates
# (no window manager: every window is centred on the screen).
#
#   tools/screenshots.sh [BUILD_DIR] [OUT_DIR] [SCALE]
#
# BUILD_DIR defaults to build/, OUT_DIR to docs/. SCALE (1 by default, e.g.
# 1.5 or 2) runs the program on a screen of 1024x768 logical pixels at that
# device pixel ratio: the shots then show what a high-density screen shows.
# Plays one whole S game on the way, so it takes about a minute. Needs xvfb,
# xdotool and imagemagick (tools/kotoha.sh installs them).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
OUT="$(mkdir -p "${2:-$ROOT/docs}" && cd "${2:-$ROOT/docs}" && pwd)"
SCALE="${3:-1}"

# Device pixels of a logical length at the scale.
dev() { awk -v v="$1" -v s="$SCALE" 'BEGIN { printf "%d", v * s + 0.5 }'; }

if [ -z "${KOTOHA_IN_XVFB:-}" ]; then
  exec env KOTOHA_IN_XVFB=1 xvfb-run -a -s "-screen 0 $(dev 1024)x$(dev 768)x24" "$0" "$BUILD" "$OUT" "$SCALE"
fi

RUN="$(mktemp -d)"
cp "$BUILD/Push.wav" "$BUILD/Close.wav" "$RUN/"
cd "$RUN"
env -u QT_QPA_PLATFORM QT_SCALE_FACTOR="$SCALE" LC_ALL=C.UTF-8 "$BUILD/kotoha" >"$RUN/kotoha.log" 2>&1 &
APP=$!
trap 'kill $APP 2>/dev/null || true; rm -rf "$RUN"' EXIT

fail() { echo "screenshots: $*" >&2; exit 1; }

wait_title() { # title, seconds
  local i
  for ((i = 0; i < ${2:-5} * 10; i++)); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "the window \"$1\" did not appear"
}

# Top-left corner, in logical pixels, of a centred window of w x h.
origin() { echo $(((1024 - $1) / 2)) $(((768 - $2) / 2)); }

# Clicks at a logical point of the screen.
click() { # x y [pause]
  xdotool mousemove "$(dev "$1")" "$(dev "$2")" click 1
  sleep "${3:-0.3}"
}

# The window of w x h, cut from the screen, kept small: a 256-colour PNG.
shot() { # name w h [colours]
  local x y
  read -r x y < <(origin "$2" "$3")
  import -window root -crop "$(dev "$2")x$(dev "$3")+$(dev "$x")+$(dev "$y")" +repage \
    -strip +dither -colors "${4:-256}" "PNG8:$OUT/$1.png"
  echo "$OUT/$1.png"
}

wait_title "琴葉" 15
read -r MX MY < <(origin 592 423)
menu_button() { # left top width, inside the menu's button panel at (72, 96)
  click $((MX + 72 + $1 + $3 / 2)) $((MY + 96 + $2 + 20)) 0.6
}
sleep 0.5
shot menu 592 423

# --- training: one question posed ---------------------------------------------
menu_button 40 40 369
wait_title "琴葉トレーニング"
read -r TX TY < <(origin 592 423)
click $((TX + 24 + 16 + 72)) $((TY + 320 + 8 + 16)) 2.2 # 出題, two seconds of the ten
shot training 592 423
click $((TX + 24 + 16 + 72)) $((TY + 320 + 48 + 16)) 0.6 # 終了
wait_title "琴葉"

# --- the L board, dealt and sorted ---------------------------------------------
menu_button 288 104 121
wait_title "琴葉ゲーム"
read -r LX LY < <(origin 967 723)
click $((LX + 8 + 64)) $((LY + 0 + 12)) 0.8      # 札を表示
click $((LX + 440 + 64)) $((LY + 0 + 12)) 0.8    # sorted by the lower verses
shot game-l 967 723 32 # a big window of few colours
click $((LX + 728 + 64)) $((LY + 0 + 12)) 0.6    # 終了
wait_title "琴葉"

# --- a whole S game; the shot is taken during the second reading -------------
menu_button 40 104 121
wait_title "琴葉ゲーム"
read -r GX GY < <(origin 592 423)
card() { # k -> centre of card k on the S board (8 a row, right to left)
  local r=$((($1 - 1) / 8)) j=$((($1 - 1) % 8))
  echo $((GX + 8 + 8 + 64 * (7 - j) + 32)) $((GY + 64 + 8 + 112 * r + 56))
}
click $((GX + 16 + 64)) $((GY + 8 + 12)) 0.6 # 札を表示
for reading in $(seq 1 20); do
  click $((GX + 16 + 64)) $((GY + 32 + 12)) 0.2 # 読み開始
  if [ "$reading" -eq 2 ]; then
    sleep 3.2 # most of the upper verse shows
    shot game-s 592 423
  fi
  # Only the first card clicked while the reading runs is judged.
  for k in $(seq 1 24); do
    read -r x y < <(card "$k")
    xdotool mousemove "$(dev "$x")" "$(dev "$y")" click 1
    if [ "$reading" -eq 20 ]; then
      sleep 0.2
      xdotool search --onlyvisible --name '^氏名登録$' >/dev/null 2>&1 && break
    else
      sleep 0.02
    fi
  done
  sleep 0.3
done
wait_title "氏名登録" 15
xdotool type --delay 60 "Hanako"
xdotool key Return
sleep 0.6
click $((GX + 336 + 64)) $((GY + 32 + 12)) 0.6 # 終了
wait_title "琴葉"

# --- the S table with that game's record --------------------------------------
menu_button 40 168 121
wait_title "琴葉記録Ｓ"
sleep 0.3
shot records 592 423
read -r RX RY < <(origin 592 423)
click $((RX + 464 + 52)) $((RY + 352 + 20)) 0.6 # O K
wait_title "琴葉"

# --- the learning history after that game -------------------------------------
click $((MX + 12 + 24)) $((MY + 136 + 57)) 0.6 # 学習記録, upper half of the left strip
wait_title "琴葉学習記録"
read -r SX SY < <(origin 1000 560)
sleep 1.5 # the figures are read on a thread of their own
shot stats 1000 560
click $((SX + 896 + 46)) $((SY + 8 + 16)) 0.6 # 閉じる
wait_title "琴葉"

# --- the card drill, one card answered -----------------------------------------
click $((MX + 531 + 24)) $((MY + 254 + 57)) 0.6 # 札流し, right of the menu, lower half
wait_title "琴葉札流し"
read -r NX NY < <(origin 600 460)
click $((NX + 200 + 60)) $((NY + 414 + 18)) 0.6 # 開始
xdotool key 1
sleep 0.5
shot nagashi 600 460
click $((NX + 470 + 60)) $((NY + 414 + 18)) 0.6 # 終了
wait_title "琴葉"

# --- a practice match, a few seconds into its first reading -------------------
click $((MX + 531 + 24)) $((MY + 136 + 57)) 0.6 # 練習試合, right of the menu, upper half
wait_title "琴葉練習試合"
read -r AX AY < <(origin 1016 728)
click $((AX + 208 + 52)) $((AY + 8 + 16)) 4 # すぐに開始
shot match 1016 728
