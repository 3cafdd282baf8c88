#!/usr/bin/env bash
# Set-up, build, play and test in one place.
#   tools/kotoha.sh play   install what is missing, build, start the game in ./run
#   tools/kotoha.sh test   install what is missing, build, run every test without a display
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${KOTOHA_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-multimedia-dev libharfbuzz-dev libicu-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  libbenchmark-dev
  xvfb xauth imagemagick xdotool
)

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

build() {
  cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$BUILD"
}

case "${1:-}" in
  play)
    install_packages
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
    build
    ctest --test-dir "$BUILD" --output-on-failure -j2
    ;;
  *)
    echo "usage: $0 play|test" >&2
    exit 2
    ;;
esac
