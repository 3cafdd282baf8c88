#!/usr/bin/env bash
# Black-box run of the real program: it is driven only from outside, with
# the pointer and keyboard at the windows' layout coordinates.
#   tests/e2e/play_s_game.sh <build-dir>
# Plays a whole S game, answers the name prompt, opens 記録(S), checks the
# records file byte for byte, then opens every mode and returns.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
xvfb_enter "$@"

BUILD="$(cd "${1:?build dir}" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
cp "$BUILD/Push.wav" "$BUILD/Close.wav" "$WORK/"

fail() { echo "e2e: FAIL: $*" >&2; import -window root "$BUILD/e2e-failure.png" 2>/dev/null || true; exit 1; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.15}"; }
window_size() { # title -> WxH of the visible window with that title
  local id
  id="$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)"
  xdotool getwindowgeometry "$id" | awk '/Geometry/ {print $2}'
}

cd "$WORK"
start_kotoha "$BUILD" "$WORK"
APP=$PID
trap 'kill $APP 2>/dev/null || true; rm -rf "$WORK"' EXIT
wait_title "琴葉" 10 || fail "the main menu did not appear"

# Windows are centred on the 1024 x 768 screen with no window manager.
origin() { echo $(((1024 - $1) / 2)) $(((768 - $2) / 2)); }
read MX MY < <(origin 592 423)
menu_button() { # left top width inside the menu panel (72, 96)
  click $((MX + 72 + $1 + $3 / 2)) $((MY + 96 + $2 + 20)) 0.4
}

# --- every mode opens alone, with its caption and size, and returns ---------
check_mode() { # menu-left menu-top menu-width title size close-x close-y close-w close-h
  local left=$1 top=$2 width=$3 title=$4 size=$5 cx=$6 cy=$7 cw=$8 ch=$9
  menu_button "$left" "$top" "$width"
  wait_title "$title" 5 || fail "$title did not open"
  visible_titles | grep -qx "琴葉" && fail "the menu stayed visible under $title"
  [ "$(window_size "$title")" = "$size" ] || fail "$title is $(window_size "$title"), not $size"
  local w=${size%x*} h=${size#*x} ox oy
  read ox oy < <(origin "$w" "$h")
  click $((ox + cx + cw / 2)) $((oy + cy + ch / 2)) 0.4
  wait_title "琴葉" 5 || fail "closing $title did not bring the menu back"
  kill -0 $APP || fail "the program ended when $title closed"
}
check_mode 40 40 369 "琴葉トレーニング" 592x423 40 368 145 33
check_mode 40 104 121 "琴葉ゲーム" 592x423 336 32 129 25
check_mode 164 104 121 "琴葉ゲーム" 792x522 576 8 113 33
check_mode 288 104 121 "琴葉ゲーム" 967x723 728 0 129 25
check_mode 40 168 121 "琴葉記録Ｓ" 592x423 464 352 105 41
check_mode 164 168 121 "琴葉記録Ｍ" 592x423 464 352 105 41
check_mode 288 168 121 "琴葉記録Ｌ" 592x423 464 352 105 41
echo "e2e: every mode opens and returns"

# --- a whole S game ----------------------------------------------------------
menu_button 40 104 121
wait_title "琴葉ゲーム" 5 || fail "game S did not open"
read GX GY < <(origin 592 423)
card_xy() { # k -> centre of sbt k on the S board (8 per row, right to left)
  local r=$((($1 - 1) / 8)) j=$((($1 - 1) % 8))
  echo $((GX + 8 + 8 + 64 * (7 - j) + 32)) $((GY + 64 + 8 + 112 * r + 56))
}
click $((GX + 16 + 64)) $((GY + 8 + 12)) 0.3 # 札を表示
for reading in $(seq 1 20); do
  click $((GX + 16 + 64)) $((GY + 32 + 12)) 0.5 # 読み開始; a few ticks pass
  # The first enabled card judges the reading; later clicks are ignored.
  # Stop as soon as the name prompt is up so no click lands on it.
  for k in $(seq 1 24); do
    read x y < <(card_xy "$k")
    xdotool mousemove "$x" "$y" click 1
    if [ "$reading" -eq 20 ]; then
      sleep 0.2
      visible_titles | grep -qx "氏名登録" && break
    else
      sleep 0.02
    fi
  done
  sleep 0.2
done
wait_title "氏名登録" 15 || fail "the name prompt did not appear after the 20th reading"
xdotool type --delay 60 "E2E Tester"
xdotool key Return
sleep 0.5
visible_titles | grep -qx "氏名登録" && fail "the name prompt stayed open"

# --- the records file, byte for byte ------------------------------------------
[ -f RecordsS.dat ] || fail "RecordsS.dat was not written"
size=$(stat -c %s RecordsS.dat)
[ "$size" -eq 74 ] || fail "RecordsS.dat is $size bytes, not 74"
python3 - "$WORK/RecordsS.dat" <<'PY' || fail "RecordsS.dat has the wrong bytes"
import sys, datetime
data = open(sys.argv[1], 'rb').read()
assert data[:37] == bytes(37), "slot 0 is not zero bytes"
slot = data[37:74]
n = slot[0]
score = slot[1:1 + n]
assert 1 <= n <= 4 and score.isdigit() and int(score) <= 1440, score
assert slot[5] == 10 and slot[6:16] == b"E2E Tester", slot[5:26]
date = datetime.date.today().strftime("%Y/%m/%d").encode()
assert slot[26] == 10 and slot[27:37] == date, slot[26:37]
print("e2e: RecordsS.dat holds", score.decode(), "for E2E Tester on", date.decode())
PY

# --- back to the menu, then the S table ----------------------------------------
click $((GX + 336 + 64)) $((GY + 32 + 12)) 0.4 # 終了
wait_title "琴葉" 5 || fail "終了 did not return to the menu"
menu_button 40 168 121
wait_title "琴葉記録Ｓ" 5 || fail "記録(S) did not open"
import -window root "$BUILD/e2e-records.png"
read RX RY < <(origin 592 423)
click $((RX + 464 + 52)) $((RY + 352 + 20)) 0.4
wait_title "琴葉" 5 || fail "O K did not return to the menu"

# --- 終了 on the menu ends the program ------------------------------------------
menu_button 40 232 369
for _ in $(seq 1 30); do kill -0 $APP 2>/dev/null || break; sleep 0.1; done
kill -0 $APP 2>/dev/null && fail "終了 did not end the program"
echo "e2e: 1 passed, 0 failed"
