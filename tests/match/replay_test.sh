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

# Hostile files, made in a folder of the test's own.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tr '\n' '\r' <readme-example.txt >"$scratch/old-mac.txt"
diff <("$kotoha" --replay "$scratch/old-mac.txt" 2>&1) readme-example.expected \
  || fail "a record with CR line ends does not replay as with LF"
{ cat readme-example.txt; head -c $((4 * 1024 * 1024)) /dev/zero | tr '\0' '#'; } >"$scratch/large.txt"
got=$("$kotoha" --replay "$scratch/large.txt" 2>&1)
[ $? = 2 ] && [[ $got == *"4 MiB まで"* ]] || fail "a record over 4 MiB: '$got'"
mkfifo "$scratch/fifo"
got=$(timeout 20 "$kotoha" --replay "$scratch/fifo" 2>&1)
[ $? = 2 ] && [[ $got == *"普通のファイルではありません"* ]] || fail "a FIFO: '$got'"
"$kotoha" --help | grep -q -- '--replay' || fail "--help does not list --replay"
exit $((failures > 0))
