#!/usr/bin/env bash
# The launcher against a fake installation whose "kotoha" notes the folder
# it was started in and its arguments.
#   tests/packaging/launcher_test.sh <path of kotoha-launcher>
set -uo pipefail

LAUNCHER="$(readlink -f "${1:?launcher}")"
T="$(mktemp -d)"
trap 'rm -rf "$T"' EXIT
failures=0
passed=0

# A fresh installation under $T/<name>/inst and an empty home.
install_fake() { # name -> prefix
  local p="$T/$1/inst"
  mkdir -p "$p/bin" "$p/share/kotoha" "$T/$1/home"
  cp "$LAUNCHER" "$p/bin/kotoha-launcher"
  cat >"$p/bin/kotoha" <<'FAKE'
#!/bin/sh
{ pwd; for a in "$@"; do echo "arg:$a"; done; } >"$RAN"
exit "${FAKE_STATUS:-0}"
FAKE
  chmod +x "$p/bin/kotoha"
  echo "push" >"$p/share/kotoha/Push.wav"
  echo "close" >"$p/share/kotoha/Close.wav"
  echo "$p"
}

check() { # name, condition...
  local name=$1
  shift
  if "$@"; then :; else
    echo "FAIL: $name: $*" >&2
    failures=$((failures + 1))
    return 1
  fi
}

run() { # name, env..., -- args...
  local name=$1
  shift
  local envs=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do envs+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  env -i PATH="$PATH" RAN="$T/$name/ran" "${envs[@]}" "$T/$name/inst/bin/kotoha-launcher" "$@" \
    >"$T/$name/out" 2>"$T/$name/err"
}

ran_in() { [ "$(head -n 1 "$T/$1/ran" 2>/dev/null)" = "$2" ]; }
same() { cmp -s "$1" "$2"; }

# --- first start: folder made, sounds copied, the game runs there ----------
n=first-start; p=$(install_fake $n)
run $n HOME="$T/$n/home" XDG_DATA_HOME="$T/$n/data" --
check $n ran_in $n "$T/$n/data/kotoha" &&
check $n same "$p/share/kotoha/Push.wav" "$T/$n/data/kotoha/Push.wav" &&
check $n same "$p/share/kotoha/Close.wav" "$T/$n/data/kotoha/Close.wav" &&
check $n test "$(find "$T/$n/data/kotoha" -mindepth 1 -printf "%f\n" | sort | tr "\n" " ")" = "Close.wav Push.wav " && passed=$((passed + 1))

# --- no XDG_DATA_HOME: the home's .local/share ------------------------------
n=home-default; p=$(install_fake $n)
run $n HOME="$T/$n/home" --
check $n ran_in $n "$T/$n/home/.local/share/kotoha" &&
check $n test -f "$T/$n/home/.local/share/kotoha/Push.wav" && passed=$((passed + 1))

# --- a relative XDG_DATA_HOME is ignored ------------------------------------
n=relative-xdg; p=$(install_fake $n)
(cd "$T/$n" && run $n HOME="$T/$n/home" XDG_DATA_HOME=rel --)
check $n ran_in $n "$T/$n/home/.local/share/kotoha" &&
check $n test ! -e "$T/$n/rel" && passed=$((passed + 1))

# --- a second start keeps the records and the user's own sounds -------------
n=keeps-user-files; p=$(install_fake $n)
mkdir -p "$T/$n/data/kotoha"
printf 'records' >"$T/$n/data/kotoha/RecordsS.dat"
printf 'my own push' >"$T/$n/data/kotoha/Push.wav"
run $n HOME="$T/$n/home" XDG_DATA_HOME="$T/$n/data" --
check $n ran_in $n "$T/$n/data/kotoha" &&
check $n test "$(cat "$T/$n/data/kotoha/RecordsS.dat")" = records &&
check $n test "$(cat "$T/$n/data/kotoha/Push.wav")" = "my own push" &&
check $n same "$p/share/kotoha/Close.wav" "$T/$n/data/kotoha/Close.wav" && passed=$((passed + 1))

# --- no sounds installed: the game still starts, silently -------------------
n=no-sounds; p=$(install_fake $n)
rm "$p/share/kotoha/Push.wav" "$p/share/kotoha/Close.wav"
run $n HOME="$T/$n/home" XDG_DATA_HOME="$T/$n/data" --
status=$?
check $n test $status -eq 0 &&
check $n ran_in $n "$T/$n/data/kotoha" &&
check $n test ! -e "$T/$n/data/kotoha/Push.wav" && passed=$((passed + 1))

# --- arguments and the exit status pass through ------------------------------
n=passes-through; p=$(install_fake $n)
run $n HOME="$T/$n/home" XDG_DATA_HOME="$T/$n/data" FAKE_STATUS=3 -- "two words" -x
status=$?
check $n test $status -eq 3 &&
check $n test "$(tail -n +2 "$T/$n/ran")" = "$(printf 'arg:two words\narg:-x')" && passed=$((passed + 1))

# --- started through a link elsewhere, folders with spaces ------------------
n="linked and spaced"; p=$(install_fake "$n")
mkdir -p "$T/$n/menu"
ln -s "$p/bin/kotoha-launcher" "$T/$n/menu/kotoha-launcher"
env -i PATH="$PATH" RAN="$T/$n/ran" HOME="$T/$n/home" XDG_DATA_HOME="$T/$n/my data" \
  "$T/$n/menu/kotoha-launcher" >/dev/null 2>&1
check "$n" ran_in "$n" "$T/$n/my data/kotoha" &&
check "$n" same "$p/share/kotoha/Push.wav" "$T/$n/my data/kotoha/Push.wav" && passed=$((passed + 1))

# --- a data folder that cannot be made: an error, and no game ---------------
n=cannot-make-folder; p=$(install_fake $n)
printf 'a file' >"$T/$n/data"
run $n HOME="$T/$n/home" XDG_DATA_HOME="$T/$n/data" --
status=$?
check $n test $status -ne 0 &&
check $n test ! -e "$T/$n/ran" &&
check $n test -s "$T/$n/err" && passed=$((passed + 1))

echo "launcher: $passed passed, $failures failed"
[ $failures -eq 0 ]
