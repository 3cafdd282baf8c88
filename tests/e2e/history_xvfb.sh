#!/usr/bin/env bash
# The learning history from outside: the real program under Xvfb plays a
# whole S game and a few quiz answers, is killed in the middle of a second
# game, and the file is then read with sqlite3. Pictures of the statistics
# window, empty and filled, go to <out> (stats-empty, stats, stats-pairs).
#   tests/e2e/history_xvfb.sh <build-dir> [out]
set -euo pipefail
# The helper starts Xvfb and clears QT_QPA_PLATFORM, which an offscreen caller would pass on.
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
xvfb_enter "$@"

BUILD="$(cd "${1:?build dir}" && pwd)"
OUT="$(mkdir -p "${2:-$BUILD/history-shots}" && cd "${2:-$BUILD/history-shots}" && pwd)"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

fail() { echo "history e2e: FAIL: $*" >&2; import -window root "$OUT/failure.png" 2>/dev/null || true; exit 1; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.15}"; }
origin() { echo $(((1024 - $1) / 2)) $(((768 - $2) / 2)); }
shot() { import -window root -crop 1000x560+12+104 +repage -colors 256 "PNG8:$OUT/$1.png"; } # the statistics window
sql() { sqlite3 "$WORK/history.sqlite" "$@"; }

start_program() {
  start_kotoha "$BUILD" "$WORK"
  APP=$PID
  wait_title "琴葉" 10 || fail "the main menu did not appear"
}
read MX MY < <(origin 592 423)
menu_button() { click $((MX + 72 + $1 + $3 / 2)) $((MY + 96 + $2 + 20)) 0.4; }
open_stats() { click $((MX + 12 + 24)) $((MY + 136 + 57)) 0.8; wait_title "琴葉学習記録" 5 || fail "学習記録 did not open"; }
read SX SY < <(origin 1000 560)
close_stats() { click $((SX + 896 + 46)) $((SY + 8 + 16)) 0.4; wait_title "琴葉" 5 || fail "閉じる did not return"; }

read GX GY < <(origin 592 423)
card_xy() {
  local r=$((($1 - 1) / 8)) j=$((($1 - 1) % 8))
  echo $((GX + 8 + 8 + 64 * (7 - j) + 32)) $((GY + 64 + 8 + 112 * r + 56))
}
play_readings() { # count
  local reading k x y
  click $((GX + 16 + 64)) $((GY + 8 + 12)) 0.3 # 札を表示
  for reading in $(seq 1 "$1"); do
    click $((GX + 16 + 64)) $((GY + 32 + 12)) $(((reading % 4) + 1)) # 読み開始, then 1-4 s of reading
    for k in $(seq 1 24); do
      read x y < <(card_xy "$k")
      xdotool mousemove "$x" "$y" click 1
      sleep 0.02
      visible_titles | grep -qx "氏名登録" && break
    done
    sleep 0.2
  done
}

trap 'kill $APP 2>/dev/null || true; rm -rf "$WORK"' EXIT
start_program
open_stats
shot stats-empty
close_stats

# --- a whole S game ----------------------------------------------------------
menu_button 40 104 121
wait_title "琴葉ゲーム" 5 || fail "game S did not open"
play_readings 20
wait_title "氏名登録" 15 || fail "no name prompt after the 20th reading"
xdotool key Escape
sleep 0.5
click $((GX + 336 + 64)) $((GY + 32 + 12)) 0.4 # 終了
wait_title "琴葉" 5 || fail "終了 did not return to the menu"

[ "$(sql "select count(*) from readings where mode = 'game-S'")" = 20 ] || fail "not one row per reading"
[ "$(sql "select count(distinct session) from readings")" = 1 ] || fail "one game is not one session"
[ "$(sql "select count(distinct poem) from readings")" = 20 ] || fail "a poem was read twice"
# A tick every 150 ms: the take comes after the ticks counted and before the next one is long overdue.
bad=$(sql "select count(*) from readings where not (ms between ticks * 150 - 20 and (ticks + 1) * 150 + 400)")
[ "$bad" = 0 ] || fail "$bad rows with times that do not match their ticks: $(sql "select ticks, ms from readings")"
bad=$(sql "select count(*) from readings where outcome != 'timeout' and ms_after_deciding is null or outcome = 'wrong' and chosen is null")
[ "$bad" = 0 ] || fail "$bad rows lack their deciding time or chosen card"
echo "history e2e: a whole S game gave 20 rows with consistent times"

# --- a few quiz answers ------------------------------------------------------
menu_button 40 40 369
wait_title "琴葉トレーニング" 5 || fail "training did not open"
read TX TY < <(origin 592 423)
W=$(xdotool search --onlyvisible --name '^琴葉トレーニング$' | head -n 1)
xdotool windowfocus --sync "$W"
for key in 3 7 1 0 5; do
  xdotool key space; sleep 0.7; xdotool key "$key"; sleep 0.3
done
click $((TX + 24 + 16 + 72)) $((TY + 320 + 48 + 16)) 0.4 # 終了
wait_title "琴葉" 5 || fail "training did not return"
[ "$(sql "select count(*) from readings where mode = 'training' and ticks is null and ms = ms_after_deciding")" = 5 ] \
  || fail "the quiz's answers are not all in the history"
echo "history e2e: five quiz answers recorded"

open_stats
shot stats
# The table and the other charts.
for tab in 1 2 3; do
  click $((SX + 536 + 40 + tab * 70)) $((SY + 48 + 12)) 0.5
done
shot stats-pairs
close_stats

# --- killed in the middle of a second game -------------------------------------
menu_button 40 104 121
wait_title "琴葉ゲーム" 5 || fail "game S did not open again"
play_readings 5
kill -9 $APP
wait $APP 2>/dev/null || true
[ "$(sql "pragma integrity_check")" = ok ] || fail "the file is damaged after a kill"
rows=$(sql "select count(*) from readings")
[ "$rows" -ge 29 ] || fail "only $rows rows after the kill: more than the reading being judged was lost"
echo "history e2e: killed mid-game, integrity ok, $rows rows kept"

# --- two copies at once --------------------------------------------------------
# Both keep the file open; each plays on its own board in turn.
start_program
FIRST=$APP
start_kotoha "$BUILD" "$WORK"
SECOND=$PID
for _ in $(seq 1 50); do
  [ "$(xdotool search --onlyvisible --name '^琴葉$' 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.2
done
sleep 1
for copy in second first; do
  menu_button 40 104 121
  wait_title "琴葉ゲーム" 5 || fail "game S did not open in the $copy copy"
  play_readings 3
  [ $copy = second ] && { kill -9 $SECOND; wait $SECOND 2>/dev/null || true; sleep 1; }
done
kill -9 $FIRST 2>/dev/null || true
wait 2>/dev/null || true
[ "$(sql "pragma integrity_check")" = ok ] || fail "two copies damaged the file"
[ "$(sql "select count(*) from readings")" -ge $((rows + 6)) ] || fail "takes of one copy are missing: $(sql "select count(*) from readings")"
[ "$(sql "select count(distinct session) from readings")" -ge 4 ] || fail "the two copies' games are not two sessions"
echo "history e2e: 4 passed, 0 failed"
