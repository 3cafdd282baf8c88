#!/bin/bash
# The real program's --replay on hand-written records, without any display:
# a record that keeps the rules prints its readings and result and exits 0;
# a broken one exits 1 naming its line and why. Each NAME.txt is checked
# against NAME.expected (standard output, then standard error).
set -u
kotoha=$1
cd "$2" || exit 1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for record in *.txt; do
  name=${record%.txt}
  got=$("$kotoha" --replay "$record" 2>&1)
  rc=$?
  case $name in
    broken-*) [ $rc = 1 ] || fail "$record exited with $rc, not 1" ;;
    *) [ $rc = 0 ] || fail "$record exited with $rc" ;;
  esac
  diff <(printf '%s\n' "$got") "$name.expected" || fail "$record: output differs from $name.expected"
done

"$kotoha" --replay no-such-record.txt 2>/dev/null
[ $? = 2 ] || fail "a missing file did not exit with 2"
"$kotoha" --help | grep -q -- '--replay' || fail "--help does not list --replay"
exit $((failures > 0))
