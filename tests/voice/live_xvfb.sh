#!/usr/bin/env bash
# The reading voice through a real sound server: a PulseAudio daemon of this
# run's own with a null sink, its monitor recorded while the real program
# reads a few poems of an S game aloud, then the opening of a match. Each
# verse's first syllable must be heard within 50 ms of the tick that reveals
# its first kana, and no lower verse is said twice in a row.
#   tests/voice/live_xvfb.sh <build-dir> [readings]
# The recording and the program's log stay in <build-dir>/voice-live/.
# KOTOHA_LIVE_READINGS sets how many poems the game reads (3),
# KOTOHA_LIVE_MATCH_SECONDS how long the match reads (50); KOTOHA_LIVE_LOG_RULES
# replaces the program's logging rules (add qt.multimedia.* to see its sinks).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
for tool in pulseaudio parec pactl; do
  command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
xvfb_enter "$@"

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD="$(cd "${1:?build dir}" && pwd)"
READINGS="${2:-$BUILD/readings}"
READINGS_COUNT="${KOTOHA_LIVE_READINGS:-3}"
[ -f "$READINGS/index.tsv" ] || { echo "skipped: no reading clips in $READINGS"; exit 77; }
OUT="$BUILD/voice-live"
rm -rf "$OUT"
mkdir -p "$OUT"
WORK="$(mktemp -d)"
PA=""
REC=""
APP=""
cleanup() {
  local p
  for p in $APP $REC $PA; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "live voice: FAIL: $*" >&2; import -window root "$OUT/failure.png" 2>/dev/null || true; exit 1; }

# --- a sound server of our own: its own folders, one null sink ----------------
mkdir -p "$WORK/pulse/home" "$WORK/pulse/run"
env HOME="$WORK/pulse/home" XDG_RUNTIME_DIR="$WORK/pulse/run" XDG_CONFIG_HOME="$WORK/pulse/home/.config" \
    PULSE_STATE_PATH="$WORK/pulse/state" PULSE_RUNTIME_PATH="$WORK/pulse/run" \
  pulseaudio -n --daemonize=no --system=no --use-pid-file=no --exit-idle-time=-1 \
    --realtime=no --high-priority=no -F /dev/null \
    -L "module-native-protocol-unix socket=$WORK/pulse/native auth-anonymous=1" \
    -L "module-null-sink sink_name=kotoha_live" >"$OUT/pulseaudio.log" 2>&1 &
PA=$!
export PULSE_SERVER="unix:$WORK/pulse/native"
for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink kotoha_live || fail "the sound server did not start: $(cat "$OUT/pulseaudio.log")"

python3 "$HERE/live_onsets.py" record "$OUT/monitor.wav" kotoha_live.monitor &
REC=$!
for _ in $(seq 1 100); do [ -f "$OUT/monitor.wav.ready" ] && break; sleep 0.1; done
[ -f "$OUT/monitor.wav.ready" ] || fail "nothing came from the sink's monitor"

# --- the program, its clips' start times in its log ---------------------------
cp "$BUILD/Push.wav" "$BUILD/Close.wav" "$WORK/"
cd "$WORK"
export KOTOHA_READINGS="$READINGS"
export QT_LOGGING_RULES="${KOTOHA_LIVE_LOG_RULES:-kotoha.voice.debug=true}"
export QT_MESSAGE_PATTERN="%{time boot} %{category} %{message}"
start_kotoha "$BUILD" "$WORK" 2>"$OUT/kotoha.log"
APP=$PID
wait_title "琴葉" 10 || fail "the main menu did not appear"

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.3}"; }
origin() { echo $(((1024 - $1) / 2)) $(((768 - $2) / 2)); }
read MX MY < <(origin 592 423)
click $((MX + 72 + 40 + 60)) $((MY + 96 + 104 + 20)) 0.5 # ゲーム(S)
wait_title "琴葉ゲーム" 5 || fail "game S did not open"
read GX GY < <(origin 592 423)
click $((GX + 16 + 64)) $((GY + 8 + 12)) # 札を表示
click $((GX + 466 + 8)) $((GY + 47 + 8)) # 読み上げ
for reading in $(seq 1 "$READINGS_COUNT"); do
  click $((GX + 16 + 64)) $((GY + 32 + 12)) 8 # 読み開始; the lower verse starts after 6.15 s
  # The first card still up takes (right or wrong); its sound ends before the next reading.
  for k in $(seq 1 24); do
    xdotool mousemove $((GX + 16 + 64 * (7 - (k - 1) % 8) + 32)) $((GY + 72 + 112 * ((k - 1) / 8) + 56)) click 1
    sleep 0.02
  done
  sleep 1.5
done
import -window root "$OUT/game.png"
kill "$APP"
wait "$APP" 2>/dev/null || true
APP=""

# --- a match read as a tournament reads it: the opening poem, then readings
# each led in by the lower verse before, the opponent at level 1 --------------
start_kotoha "$BUILD" "$WORK" 2>"$OUT/kotoha-match.log"
APP=$PID
wait_title "琴葉" 10 || fail "the main menu did not appear again"
click $((MX + 531 + 24)) $((MY + 136 + 57)) 0.5 # 練習試合
wait_title "琴葉練習試合" 5 || fail "the match did not open"
read PX PY < <(origin 1016 728)
click $((PX + 366)) $((PY + 24)); xdotool key Home Return; sleep 0.3 # レベル1
click $((PX + 921 + 20)) $((PY + 699)) # 読み上げ
click $((PX + 260)) $((PY + 24)) # すぐに開始
sleep "${KOTOHA_LIVE_MATCH_SECONDS:-50}"
import -window root "$OUT/match.png"
# The last clip started must be heard long enough to be found: end in a
# quiet spell, two seconds with no clip starting.
for _ in $(seq 1 10); do
  started=$(grep -c "kotoha.voice start" "$OUT/kotoha-match.log" || true)
  sleep 2
  [ "$(grep -c "kotoha.voice start" "$OUT/kotoha-match.log" || true)" = "$started" ] && break
done
kill "$APP"
wait "$APP" 2>/dev/null || true
APP=""
kill "$REC"
wait "$REC" || fail "the recorder failed"
REC=""

grep -q "kotoha.voice start" "$OUT/kotoha.log" || fail "no clip was started: 読み上げ is greyed or off ($(grep -v '^ *[0-9.]* kotoha' "$OUT/kotoha.log" | head -3))"
python3 "$HERE/live_onsets.py" measure "$OUT/monitor.wav" "$OUT/kotoha.log" "$READINGS" 50
grep -q "kotoha.voice start 0-2" "$OUT/kotoha-match.log" || fail "the match did not read the opening poem aloud"
# A reader says a lower verse once: begun in its reading, the lead-in goes on with it.
twice=$(grep -o "kotoha.voice start [0-9]*-2" "$OUT/kotoha-match.log" | sort | uniq -d)
[ -z "$twice" ] || fail "a lower verse started twice: $twice"
python3 "$HERE/live_onsets.py" measure "$OUT/monitor.wav" "$OUT/kotoha-match.log" "$READINGS" 50
