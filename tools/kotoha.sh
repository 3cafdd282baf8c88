#!/usr/bin/env bash
# Set-up, build, play and test in one place.
#   tools/kotoha.sh play   install what is missing, build, start the game in ./run
#   tools/kotoha.sh test   install what is missing, build, run every test, the real program's runs under Xvfb included
#   tools/kotoha.sh voice  install the packages and the reading voice, nothing more
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KOTOHA_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  cmake ninja-build g++ pkg-config dpkg-dev file
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n libharfbuzz-dev libfontconfig-dev libicu-dev
  libqt6sql6-sqlite libsqlite3-dev qt6-charts-dev libqt6opengl6-dev sqlite3
  fonts-ipafont-gothic fonts-ipafont-mincho
  libbenchmark-dev clang libclang-rt-14-dev
  xvfb xauth imagemagick xdotool python3 desktop-file-utils pulseaudio pulseaudio-utils
  open-jtalk open-jtalk-mecab-naist-jdic htsengine libhtsengine-dev
)
VOICE_PACKAGE=hts-voice-nitech-jp-atr503-m001

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    as_root fc-cache -f >/dev/null
  fi
}

# The reading voice lives in the archive's contrib component, which the
# machine's own sources may not list. It is fetched through a private copy of
# those sources with the component swapped, so the system's apt set-up is
# left exactly as it was.
install_voice() {
  dpkg-query -W -f='${Status}' "$VOICE_PACKAGE" 2>/dev/null | grep -q "install ok installed" && return 0
  local dir
  dir="$(mktemp -d)"
  chmod 755 "$dir" # apt fetches as its own unprivileged user
  mkdir -p "$dir/lists/partial"
  # The file's extension tells apt to read it in deb822 form.
  python3 "$ROOT/tools/voice_sources.py" /etc/apt >"$dir/contrib.sources"
  local apt_opts=(-o Dir::Etc::sourcelist="$dir/contrib.sources" -o Dir::Etc::sourceparts=-
                  -o Dir::State::Lists="$dir/lists" -o APT::Get::List-Cleanup=0)
  echo "Fetching the reading voice: $VOICE_PACKAGE"
  as_root apt-get "${apt_opts[@]}" update -qq
  (cd "$dir" && as_root apt-get "${apt_opts[@]}" download "$VOICE_PACKAGE")
  as_root dpkg -i "$dir"/"$VOICE_PACKAGE"_*.deb
  rm -rf "$dir"
}

# With a compiler cache on the machine, sources unchanged since an earlier
# build are not compiled again; paths count from the tree's root, so that
# another checkout of it shares the cache.
configure() {
  local launch=()
  if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
    launch=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake "${launch[@]}" "$@" >/dev/null
}

build() {
  configure -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$BUILD"
}

# The whole suite again under AddressSanitizer, UndefinedBehaviorSanitizer
# and leak checking.
sanitized_tests() {
  local dir="$BUILD-asan"
  # The clips are made once, by the plain build; making them again with
  # every sample checked would take minutes and test nothing more.
  configure -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOTOHA_SANITIZE=ON -DKOTOHA_MAKE_READINGS=OFF
  cmake --build "$dir"
  ASAN_OPTIONS=detect_leaks=1 ctest --test-dir "$dir" --output-on-failure -j2
}

# One fuzzer for a bounded time, starting from the corpus kept in fuzz/. An
# input that runs for more than 10 s counts as a hang. A crashing input is
# kept in $dir/crashes/ and the fuzzer's whole report is shown.
fuzz_one() { # fuzzer, build dir, seconds
  local name work log
  name="$(basename "$1")"
  work="$(mktemp -d)"
  log="$work.log"
  echo "== $name for ${3}s"
  if "$1" -max_total_time="$3" -timeout=10 -max_len=2048 -print_final_stats=0 \
       -artifact_prefix="$2/crashes/$name-" "$work" "$ROOT/fuzz/corpus/${name#fuzz_}" >"$log" 2>&1; then
    tail -n 1 "$log"
  else
    cat "$log"
    echo "$name failed; the input is in $2/crashes/" >&2
    rm -rf "$work" "$log"
    return 1
  fi
  rm -rf "$work" "$log"
}

# Every fuzzer, two at a time (one per core); each one's report is shown
# whole once it ends.
fuzz_runs() {
  local dir="$BUILD-fuzz" seconds="${KOTOHA_FUZZ_SECONDS:-20}"
  configure -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOTOHA_FUZZ=ON \
    -DKOTOHA_BUILD_TESTS=OFF -DCMAKE_CXX_COMPILER=clang++
  cmake --build "$dir" --target fuzzers
  mkdir -p "$dir/crashes"
  local f reports running=0 failed=0
  reports="$(mktemp -d)"
  for f in "$dir"/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] || continue
    fuzz_one "$f" "$dir" "$seconds" >"$reports/$(basename "$f")" 2>&1 &
    if ((++running == 2)); then
      wait -n || failed=1
      running=$((running - 1))
    fi
  done
  while ((running > 0)); do
    wait -n || failed=1
    running=$((running - 1))
  done
  cat "$reports"/* 2>/dev/null || true
  rm -rf "$reports"
  return "$failed"
}

case "${1:-}" in
  play)
    install_packages
    install_voice
    build
    # The program keeps its records files and finds its sounds in the
    # folder it runs in.
    mkdir -p "$ROOT/run"
    for f in Push.wav Close.wav; do
      [ -f "$ROOT/run/$f" ] || cp "$BUILD/$f" "$ROOT/run/$f"
    done
    cd "$ROOT/run"
    exec "$BUILD/kotoha"
    ;;
  test)
    install_packages
    install_voice
    build
    # The real program's runs under Xvfb (label xvfb) clear QT_QPA_PLATFORM
    # for it, so the suite passes whether or not the caller sets offscreen.
    ctest --test-dir "$BUILD" --output-on-failure -j2
    sanitized_tests
    fuzz_runs
    ;;
  voice)
    install_packages
    install_voice
    ;;
  *)
    echo "usage: $0 play|test|voice" >&2
    exit 2
    ;;
esac
