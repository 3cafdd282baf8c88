# What the scripts that drive the real program under Xvfb share; sourced.

start_in_new_folder() { # build dir: the program in a folder of its own with the sounds; sets RUN and PID, both gone at exit
  RUN="$(mktemp -d)"
  trap 'kill "$PID" 2>/dev/null || true; rm -rf "$RUN"' EXIT
  cp "$1/Push.wav" "$1/Close.wav" "$RUN/"
  cd "$RUN"
  "$1/kotoha" &
  PID=$!
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
