#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs every one of them, then prints one
# table of the Google Benchmark figures.
#   tools/bench.sh [--compare OLD_RESULTS] [benchmark options...]
# Results are kept as JSON in build-bench/results/ (KOTOHA_BENCH_DIR sets the
# build folder). To compare two builds, keep a copy of the results of the
# first and pass it to --compare when running the second. Options such as
# --benchmark_filter=Draw or --benchmark_repetitions=5 go to every Google
# Benchmark program; a bench_* program without Google Benchmark runs without
# arguments and prints its own figures.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KOTOHA_BENCH_DIR:-$ROOT/build-bench}"
compare=""
if [ "${1:-}" = "--compare" ]; then
  [ $# -ge 2 ] || { echo "usage: $0 [--compare OLD_RESULTS] [benchmark options...]" >&2; exit 2; }
  compare="$(cd "$2" && pwd)"
  shift 2
fi

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DKOTOHA_BUILD_BENCHMARKS=ON -DKOTOHA_BUILD_TESTS=OFF >/dev/null
cmake --build "$BUILD"

# No display is needed; the fonts are the ones the program installs.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
fi

results="$BUILD/results"
rm -rf "$results"
mkdir -p "$results"
failed=0
for b in "$BUILD"/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  name="$(basename "$b")"
  if grep -qaE 'libbenchmark|benchmark_out_format' "$b"; then
    echo "== $name"
    "$b" --benchmark_out="$results/$name.json" --benchmark_out_format=json "$@" || failed=1
  else
    # A program that prints its own figures (one that needs the real event
    # loop, say): run as it is, its output kept beside the JSON results.
    echo "== $name (prints its own figures)"
    "$b" 2>&1 | tee "$results/$name.txt" || failed=1
  fi
done

echo
"$BUILD/bench/benchtable" "$results" || failed=1
if [ -n "$compare" ]; then
  echo
  "$BUILD/bench/benchtable" --compare "$compare" "$results"
fi
exit "$failed"
