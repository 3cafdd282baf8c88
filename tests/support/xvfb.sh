# What the scripts that drive the real program under Xvfb share; sourced.
# A script calls xvfb_enter "$@" first: without the tools it exits 77, which
# ctest counts as skipped; otherwise it runs again inside a screen of its own,
# 1024 x 768, where windows are centred because there is no window manager.
# Two scripts may run at once: each has its own server, display and cookie.

xvfb_enter() {
  local tool
  for tool in Xvfb xauth mcookie xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
  done
  if [ -z "${KOTOHA_IN_XVFB:-}" ]; then
    xvfb_run bash "$0" "$@"
    exit $?
  fi
  # A suite run for widget tests sets the offscreen platform; the program
  # must reach the X server instead.
  unset QT_QPA_PLATFORM
}

xvfb_run() { # command...: runs it on a new Xvfb server, then stops the server
  local dir display="" status=0 cookie
  dir="$(mktemp -d)"
  cookie="$(mcookie)"
  touch "$dir/auth"
  # The server takes every cookie in its file whatever display it names; the
  # client looks one up by display, added once the number is known.
  xauth -q -f "$dir/auth" add :0 . "$cookie"
  # Xvfb takes the first free display itself (-displayfd): xvfb-run -a picks
  # one before starting and two runs started together may pick the same.
  # -noreset: a script that ends the program and starts it again must not
  # find the server resetting after its last client left.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -auth "$dir/auth" 3>"$dir/display" 2>"$dir/log" &
  XVFB_PID=$!
  trap 'kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null || true; rm -rf "'"$dir"'"' EXIT
  trap 'exit 143' TERM INT
  for _ in $(seq 1 100); do
    # The number is written with its newline once the server takes clients.
    [ "$(wc -l <"$dir/display")" -ge 1 ] && { display="$(head -n 1 "$dir/display")"; break; }
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$display" ] || { echo "Xvfb did not start: $(cat "$dir/log")" >&2; return 1; }
  xauth -q -f "$dir/auth" add ":$display" . "$cookie"
  env -u QT_QPA_PLATFORM KOTOHA_IN_XVFB=1 DISPLAY=":$display" XAUTHORITY="$dir/auth" "$@" || status=$?
  return "$status"
}

start_kotoha() { # build dir, folder: the program started in that folder; sets PID
  (cd "$2" && LC_ALL=C.UTF-8 exec "$1/kotoha") &
  PID=$!
}

start_in_new_folder() { # build dir: the program in a folder of its own with the sounds; sets RUN and PID, both gone at exit
  RUN="$(mktemp -d)"
  trap 'kill "${PID:-}" 2>/dev/null || true; rm -rf "$RUN"' EXIT
  cp "$1/Push.wav" "$1/Close.wav" "$RUN/"
  cd "$RUN"
  start_kotoha "$1" "$RUN"
}

wait_window() { # name -> id of the visible window of exactly that name
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2
  return 1
}

visible_titles() { xdotool search --onlyvisible --name '.' getwindowname %@ 2>/dev/null | sort -u; }

wait_title() { # title, seconds (5)
  local i
  for ((i = 0; i < ${2:-5} * 10; i++)); do
    visible_titles | grep -qx "$1" && return 0
    sleep 0.1
  done
  return 1
}
