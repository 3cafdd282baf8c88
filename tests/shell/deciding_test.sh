#!/bin/bash
# The real program's --deciding mode, run as a player would from a terminal
# without any display: its output against the deciding syllables by sound,
# and its refusal of a bad list.
set -u
kotoha=$1
golden=$2
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

out=$("$kotoha" --deciding) || fail "--deciding exited with $?"
diff <(printf '%s\n' "$out") "$golden" || fail "--deciding differs from $golden"

# After おおえやま and おおけなく, おおことの is decided at its second syllable
# and the two read poems are left out.
out=$("$kotoha" --deciding --read=60,95) || fail "--read exited with $?"
[ "$(printf '%s\n' "$out" | wc -l)" = 98 ] || fail "--read 60,95 does not print 98 lines"
printf '%s\n' "$out" | grep -qx $'44\tおお' || fail "44 is not おお after 60 and 95"
printf '%s\n' "$out" | grep -q $'^60\t' && fail "a read poem is printed"

for bad in "1,x" "0" "101" "1,,2" ""; do
  err=$("$kotoha" --deciding --read "$bad" 2>&1 >/dev/null)
  rc=$?
  [ $rc = 2 ] || fail "--read '$bad' exited with $rc"
  [ -n "$err" ] || fail "--read '$bad' gave no message"
done

"$kotoha" --help | grep -q -- '--deciding' || fail "--help does not list --deciding"
exit $((failures > 0))
