#!/usr/bin/env bash
# The position drill from outside: the real program under Xvfb opens 札の位置
# from the menu's left strip, starts at once with the cards laid by the
# standard layout, then moves the frame with the arrows and presses Space now
# and then for about a minute of readings. 終了 asks first: いいえ goes on,
# はい leaves. The history is read with sqlite3 after the program ends.
#   tests/position/position_xvfb.sh <build-dir> [out]
set -euo pipefail
# The helper starts Xvfb and clears QT_QPA_PLATFORM, which an offscreen caller would pass on.
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
xvfb_enter "$@"
command -v sqlite3 >/dev/null 2>&1 || { echo "skipped: sqlite3 is not installed"; exit 77; }

BUILD="$(cd "${1:?build dir}" && pwd)"
OUT="$(mkdir -p "${2:-$BUILD/position-shots}" && cd "${2:-$BUILD/position-shots}" && pwd)"

fail() { echo "position drill e2e: FAIL: $*" >&2; import -window root "$OUT/failure.png" 2>/dev/null || true; exit 1; }
origin() { xdotool getwindowgeometry "$1" | awk '/Position/ { split($2, a, ","); print a[1], a[2] }'; }
click() { xdotool mousemove $(( $1 )) $(( $2 )) click 1; sleep 0.3; }
sql() { sqlite3 "$RUN/history.sqlite" "$@"; }

start_in_new_folder "$BUILD"
MENU=$(wait_window "琴葉") || fail "the main menu did not appear"
read -r MX MY < <(origin "$MENU")
click "MX + 12 + 24" "MY + 254 + 57" # 札の位置, lower half of the left strip
W=$(wait_window "琴葉札の位置") || fail "札の位置 did not open"
read -r X Y < <(origin "$W")
sleep 0.5
import -window root "$OUT/position-laid.png"
click "X + 698 + 50" "Y + 8 + 16" # すぐに開始
xdotool windowfocus --sync "$W"

# The opening poem takes about 14 s; then a press every second or two.
sleep 14
for i in $(seq 1 40); do
  xdotool key "$(shuf -n1 -e Left Right Up Down)"
  [ $(( i % 2 )) -eq 0 ] && xdotool key space
  [ "$i" -eq 12 ] && import -window root "$OUT/position-reading.png"
  sleep "1.$(( RANDOM % 5 ))"
  if [ "$i" -eq 20 ]; then
    # Asked during the drill, いいえ (the default) keeps it going.
    click "X + 912 + 48" "Y + 8 + 16"
    sleep 0.5
    xdotool key space
    sleep 0.5
    visible_titles | grep -qx "琴葉札の位置" || fail "いいえ closed the drill"
    xdotool windowfocus --sync "$W"
  fi
done
click "X + 912 + 48" "Y + 8 + 16" # 終了, then はい: the other button
sleep 0.5
xdotool key Tab space
wait_title "琴葉" 5 && ! visible_titles | grep -qx "琴葉札の位置" || fail "はい did not leave the drill"
read -r MX MY < <(origin "$(wait_window "琴葉")")
click "MX + 72 + 40 + 184" "MY + 96 + 232 + 20" # the menu's 終了 ends the program
for _ in $(seq 1 50); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$PID" 2>/dev/null && fail "the program did not end"

[ -f "$RUN/history.sqlite" ] || fail "no history written"
[ "$(sql "SELECT count(DISTINCT session) FROM readings")" = 1 ] || fail "not one session"
rows=$(sql "SELECT count(*) FROM readings WHERE mode = 'position'")
[ "$rows" -ge 3 ] || fail "only $rows readings in the history"
[ "$(sql "SELECT count(DISTINCT poem) FROM readings")" = "$rows" ] || fail "a poem read twice"
# A live card has its place; a dead one none. A click has its place and time,
# counted from the deciding moment the row names.
bad=$(sql "SELECT count(*) FROM readings WHERE
  (outcome = 'dead') = (json_extract(extra, '$.lies') <> '')
  OR (json_extract(extra, '$.clicked') <> '') <> (ms IS NOT NULL)
  OR (ms IS NOT NULL AND ms_after_deciding <> ms - 150 * json_extract(extra, '$.decided_tick'))
  OR (outcome = 'right') <> (json_extract(extra, '$.clicked') <> ''
      AND json_extract(extra, '$.clicked') = json_extract(extra, '$.lies'))
  OR (outcome = 'wrong' AND chosen IS NOT NULL AND chosen = poem)")
[ "$bad" = 0 ] || fail "$bad rows whose places, times or outcomes disagree:
$(sql "SELECT poem, outcome, ms, ms_after_deciding, chosen, extra FROM readings")"
clicked=$(sql "SELECT count(*) FROM readings WHERE json_extract(extra, '$.clicked') <> ''")
[ "$clicked" -ge 1 ] || fail "no press reached the history"
echo "position drill e2e: $rows readings, $clicked pressed: $(sql "SELECT group_concat(outcome) FROM readings")"
