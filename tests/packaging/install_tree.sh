#!/usr/bin/env bash
# `cmake --install` into an empty prefix: every file a desktop needs is where
# it looks for it, with the right kind and mode.
#   tests/packaging/install_tree.sh <build-dir>
set -euo pipefail

BUILD="$(cd "${1:?build dir}" && pwd)"
P="$(mktemp -d)"
trap 'rm -rf "$P"' EXIT
cmake --install "$BUILD" --prefix "$P" >/dev/null

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# PNG width and height from the IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }

expected=(
  bin/kotoha
  bin/kotoha-launcher
  share/kotoha/Push.wav
  share/kotoha/Close.wav
  share/applications/kotoha.desktop
  share/icons/hicolor/32x32/apps/kotoha.png
  share/icons/hicolor/64x64/apps/kotoha.png
  share/icons/hicolor/128x128/apps/kotoha.png
  share/doc/kotoha/CREDITS-voice.txt
)
# The modules the program loads at first use, where it looks for them: the
# library folder of the same prefix.
libdir="$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$BUILD/CMakeCache.txt")"
for module in kotoha_sound kotoha_charts; do
  expected+=("${libdir:-lib}/kotoha/$module.so")
done
# The reading clips, when this build could make them: the index and every
# clip the build made, nothing more.
# A build told not to make them installs none, whatever an earlier one left.
if [ -f "$BUILD/readings/index.tsv" ] && ! grep -q '^KOTOHA_MAKE_READINGS:BOOL=OFF$' "$BUILD/CMakeCache.txt"; then
  while IFS= read -r f; do expected+=("share/kotoha/readings/$f"); done \
    < <(cd "$BUILD/readings" && find . -type f | sed 's|^\./||')
  [ "$(head -c 4 "$P/share/kotoha/readings/001-1.wav" 2>/dev/null)" = RIFF ] || fail "the first reading clip is not a wave file"
fi
for f in "${expected[@]}"; do
  [ -f "$P/$f" ] || fail "$f is not installed"
done
# Nothing else: no test programs, tools or libraries in the package.
extra=$(cd "$P" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$extra" ] || fail "unexpected files installed: $extra"

for f in bin/kotoha bin/kotoha-launcher; do
  [ -x "$P/$f" ] || fail "$f is not executable"
done
for f in share/kotoha/Push.wav share/kotoha/Close.wav; do
  [ "$(head -c 4 "$P/$f")" = RIFF ] || fail "$f is not a wave file"
done
for size in 32 64 128; do
  f="$P/share/icons/hicolor/${size}x${size}/apps/kotoha.png"
  [ -f "$f" ] || continue
  [ "$(png_size "$f")" = "${size}x${size}" ] || fail "$f is $(png_size "$f"), not ${size}x${size}"
done

# The menu entry starts the launcher by the name it is installed under and
# names the installed icon.
desktop="$P/share/applications/kotoha.desktop"
grep -qx 'Exec=kotoha-launcher' "$desktop" || fail "the desktop entry does not start kotoha-launcher"
grep -qx 'Icon=kotoha' "$desktop" || fail "the desktop entry does not name the kotoha icon"
grep -qx 'Name\[ja\]=琴葉' "$desktop" || fail "the desktop entry has no Japanese name"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
else
  echo "desktop-file-validate not found (desktop-file-utils): entry not validated"
fi

echo "install tree: $(cd "$P" && find . -type f | wc -l) files, $failures failures"
[ $failures -eq 0 ]
