#!/usr/bin/env bash
# The card drill from outside: the real program under Xvfb opens 札流し from
# the menu's right strip, runs the hundred cards by always pressing 1, then
# the re-drill, then the one-syllable deciders by flip and grade (knew, did
# not, in turn); the history is read with sqlite3 after the program ends.
# The summary's picture goes to <out>/nagashi-summary.png.
#   tests/nagashi/run_xvfb.sh <build-dir> [out]
set -euo pipefail
# The helper starts Xvfb and clears QT_QPA_PLATFORM, which an offscreen caller would pass on.
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
xvfb_enter "$@"
command -v sqlite3 >/dev/null 2>&1 || { echo "skipped: sqlite3 is not installed"; exit 77; }

BUILD="$(cd "${1:?build dir}" && pwd)"
OUT="$(mkdir -p "${2:-$BUILD/nagashi-shots}" && cd "${2:-$BUILD/nagashi-shots}" && pwd)"

fail() { echo "card drill e2e: FAIL: $*" >&2; import -window root "$OUT/failure.png" 2>/dev/null || true; exit 1; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.3}"; }
origin() { echo $(((1024 - $1) / 2)) $(((768 - $2) / 2)); }
sql() { sqlite3 "$RUN/history.sqlite" "$@"; }

start_in_new_folder "$BUILD"
wait_title "琴葉" 10 || fail "the main menu did not appear"
read -r MX MY < <(origin 592 423)
read -r NX NY < <(origin 600 460)
click $((MX + 531 + 24)) $((MY + 254 + 57)) 0.6 # 札流し, lower half of the right strip
wait_title "琴葉札流し" 5 || fail "札流し did not open"

click $((NX + 200 + 60)) $((NY + 414 + 18)) # 開始
xdotool key --delay 20 $(printf '1 %.0s' $(seq 1 100))
sleep 1
import -window root -crop 600x460+"$NX"+"$NY" +repage -colors 256 "PNG8:$OUT/nagashi-summary.png"
click $((NX + 330 + 65)) $((NY + 414 + 18)) # 再ドリル
# Keys beyond the re-drill's last card reach a button, where a digit does nothing.
xdotool key --delay 20 $(printf '1 %.0s' $(seq 1 100))
sleep 0.5

# 一字決まり (the set list's second entry), answered by flipping.
click $((NX + 80 + 100)) $((NY + 10 + 14)); xdotool key Down Return; sleep 0.3
click $((NX + 350 + 120)) $((NY + 10 + 14)); xdotool key Down Return; sleep 0.3
click $((NX + 200 + 60)) $((NY + 414 + 18)) # 開始
for i in 1 2 3 4 5 6 7; do
  xdotool key space; sleep 0.1
  if [ $((i % 2)) -eq 1 ]; then xdotool key j; else xdotool key f; fi
  sleep 0.1
done
click $((NX + 470 + 60)) $((NY + 414 + 18)) # 終了
wait_title "琴葉" 5 || fail "終了 did not return to the menu"
click $((MX + 72 + 40 + 184)) $((MY + 96 + 232 + 20)) 1 # the menu's 終了 ends the program
for _ in $(seq 1 50); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$PID" 2>/dev/null && fail "the program did not end"

[ -f "$RUN/history.sqlite" ] || fail "no history written"
first=$(sql "SELECT min(session) FROM readings WHERE mode = 'nagashi'")
[ "$(sql "SELECT count(*), count(DISTINCT poem) FROM readings WHERE session = $first")" = "100|100" ] \
  || fail "the first run did not ask each of the hundred once"
[ "$(sql "SELECT count(DISTINCT session) FROM readings WHERE mode = 'nagashi'")" = 3 ] || fail "not three runs"
redrill=$(sql "SELECT count(*) FROM readings WHERE session = (SELECT DISTINCT session FROM readings
  WHERE mode = 'nagashi' ORDER BY session LIMIT 1 OFFSET 1)")
misses=$(sql "SELECT count(*) FROM readings WHERE session = $first AND outcome = 'wrong'")
[ "$redrill" -ge "$misses" ] && [ "$redrill" -le $((misses + 10)) ] || fail "re-drill of $redrill cards after $misses misses"
[ "$(sql "SELECT count(*) FROM readings WHERE session = $first AND outcome = 'wrong' AND chosen IS NULL")" = 0 ] \
  || fail "a wrong pick without the poem picked"
[ "$(sql "SELECT count(*) FROM readings WHERE mode = 'nagashi' AND (ms_after_deciding IS NOT ms OR ms < 0)")" = 0 ] \
  || fail "a card whose time is not its own"
[ "$(sql "SELECT group_concat(outcome) FROM (SELECT outcome FROM readings WHERE mode = 'nagashi'
      AND json_extract(extra, '$.answer') = 'flip' ORDER BY id)")" = "right,wrong,right,wrong,right,wrong,right" ] \
  || fail "the flipped cards' grades: $(sql "SELECT group_concat(outcome) FROM readings WHERE json_extract(extra, '$.answer') = 'flip'")"
echo "card drill e2e: 100 cards, $misses missed, a re-drill of $redrill, 7 flipped"
