#!/usr/bin/env bash
# Plays one whole training run of the real program from the keyboard under
# Xvfb and keeps screenshots of it. Rows are guessed in turn, so the run
# holds many misses; it ends when "出題" stays disabled.
#   tests/training/keyboard_run.sh [build-dir] [out-dir]
# Needs xvfb-run, xdotool and imagemagick (exits 77, skipped, without them).
# The pixel test relies on the window being centred on the screen.
set -euo pipefail
# The helper starts Xvfb and clears QT_QPA_PLATFORM, which an offscreen caller would pass on.
source "$(dirname "${BASH_SOURCE[0]}")/../support/xvfb.sh"
xvfb_enter "$@"

BUILD="$(cd "${1:-build}" && pwd)"
OUT="$(mkdir -p "${2:-/tmp/kotoha-run}" && cd "${2:-/tmp/kotoha-run}" && pwd)"
cp "$BUILD/Push.wav" "$BUILD/Close.wav" "$OUT/"
cd "$OUT"
start_kotoha "$BUILD" "$OUT" >kotoha.log 2>&1
trap 'kill $PID 2>/dev/null || true' EXIT

xdotool windowfocus --sync "$(wait_window "琴葉")"
sleep 0.5
xdotool key space # "トレーニング" has the focus in the menu
xdotool windowfocus --sync "$(wait_window "琴葉トレーニング")"
sleep 0.3
import -window root start.png

# Black caption pixels of "出題": none while it is disabled.
shutudai_enabled() {
  local n
  n=$(import -window root png:- | convert - -crop 100x24+278+504 +repage -threshold 25% -negate \
        -format '%[fx:mean*w*h]' info:)
  [ "${n%.*}" -ge 5 ]
}

# The run's summary: the only visible window called just "琴葉" (the menu is
# hidden while the quiz is up).
summary_up() {
  xdotool search --onlyvisible --name '^琴葉$' >/dev/null 2>&1
}

q=0
while :; do
  xdotool key space
  [ $q -eq 0 ] && { sleep 0.3; import -window root question.png; }
  xdotool key $(( (q * 7 + 3) % 10 ))
  q=$((q + 1))
  [ $q -eq 1 ] && { sleep 0.1; import -window root verdict.png; }
  # Let the verdict land first: "出題" is off while the question is open.
  sleep 0.05
  summary_up && break
  # A run that ends without its summary leaves "出題" off; a screen grab
  # costs more than a question, so look now and then.
  [ $((q % 10)) -ne 0 ] || shutudai_enabled || { sleep 0.3; shutudai_enabled; } || break
  [ $q -lt 3000 ] || { echo "run did not end" >&2; exit 1; }
done
sleep 0.5
import -window root end.png
echo "questions posed: $q (screenshots in $OUT)"
summary_up || { echo "no summary at the end of the run" >&2; exit 1; }
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^琴葉$' | head -1)"
xdotool key Return # closes the summary
sleep 0.3
xdotool key Return # "終了" has the focus at the end
sleep 0.5
import -window root menu.png
