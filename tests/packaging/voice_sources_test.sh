#!/usr/bin/env bash
# The private sources list the set-up fetches the reading voice through, built
# from each sample apt folder in voice-sources/: it must read as the case's
# expected.sources (a case without one names nothing to fetch from), and apt
# itself must read both the sample and the list without a complaint. No
# network is used.
#   tests/packaging/voice_sources_test.sh <voice_sources.py> <cases folder>
set -uo pipefail

BUILDER="$(readlink -f "${1:?list builder}")"
CASES="$(readlink -f "${2:?cases folder}")"
T="$(mktemp -d)"
trap 'rm -rf "$T"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The components apt sees in a sources setting, one per line, or its errors.
apt_components() { # sourcelist, sourceparts
  apt-get -o Dir::Etc::sourcelist="$1" -o Dir::Etc::sourceparts="$2" -o Dir::State::Lists="$T" \
    indextargets --no-release-info --format '$(COMPONENT)' 2>&1 | sort -u
}

for dir in "$CASES"/*/; do
  name="$(basename "$dir")"
  # The sample has to be a layout apt accepts, or the case proves nothing;
  # it may warn of targets named twice, which is what some cases are about.
  sample="$(apt_components "$dir/sources.list" "$dir/sources.list.d")"
  grep -q '^E:' <<<"$sample" && fail "$name: apt refuses the sample: $sample"

  out="$T/$name.sources"
  python3 "$BUILDER" "$dir" >"$out" 2>"$T/err"
  status=$?
  if [ ! -f "$dir/expected.sources" ]; then
    [ "$status" = 1 ] && [ ! -s "$out" ] && [ -s "$T/err" ] \
      || fail "$name: exited with $status and printed '$(cat "$out")' instead of refusing"
    continue
  fi
  [ "$status" = 0 ] || fail "$name: exited with $status: $(cat "$T/err")"
  diff -u "$dir/expected.sources" "$out" || fail "$name: the list differs from expected.sources"
  seen="$(apt_components "$out" -)"
  [ "$seen" = contrib ] || fail "$name: apt reads the list as: $seen"
done
exit $((failures > 0))
