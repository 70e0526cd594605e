#!/usr/bin/env bash
# run.sh: builds the 64-bit program in build/run-win64 and starts it under Wine. With a real
# display (DISPLAY set) the program shows there; without one it runs on a private Xvfb display,
# which is what scripts/with-wine gives by default.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/run-win64"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DZENTREL_TESTS=OFF
fi
ninja -C "$build" -j2 zentrel
if [ -n "${DISPLAY:-}" ]; then
  export ZENTREL_DISPLAY="$DISPLAY"
fi
exec "$root/scripts/with-wine" "$build" "$root/scripts/wine-run" "$build/app/zentrel.exe" "$@"
