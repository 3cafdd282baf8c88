#!/bin/bash
# The real program's --deciding mode as a player runs it from a terminal,
# without any display: the deciding syllables by sound of all hundred, the
# refusal of a bad list, and the help.
set -u
kotoha=$1
golden=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

out=$("$kotoha" --deciding) || fail "--deciding exited with $?"
diff <(printf '%s\n' "$out") "$golden" || fail "--deciding differs from $golden"

err=$("$kotoha" --deciding --read 1,x 2>&1 >/dev/null)
rc=$?
[ $rc = 2 ] && [ -n "$err" ] || fail "a bad list exited with $rc and message '$err'"

"$kotoha" --help | grep -q -- '--deciding' || fail "--help does not list --deciding"
exit $((failures > 0))
