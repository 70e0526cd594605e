#!/usr/bin/env bash
# run.sh: builds the 64-bit program in build/run-win64 and starts it under Wine. With a real
# display (DISPLAY set) the program shows there; without one it runs on a private Xvfb display,
# which is what scripts/with-wine gives by default.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
build="$root/build/run-win64"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
    -DZENTREL_TESTS=OFF
fi
ninja -C "$build" -j2 zentrel
if [ -n "${DISPLAY:-}" ]; then
  export ZENTREL_DISPLAY="$DISPLAY"
fi
if [ -n "${ZENTREL_SCREENSHOT:-}" ]; then
  # No display to look at: start the program on the private Xvfb display, take a picture of the
  # screen once the dialog is up, and end the program.
  command -v import >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq imagemagick >/dev/null
  shot="$(cd "$(dirname "$ZENTREL_SCREENSHOT")" && pwd)/$(basename "$ZENTREL_SCREENSHOT")"
  exec "$root/scripts/with-wine" "$build" bash -c '
    "$1" "$2" & pid=$!
    sleep "${ZENTREL_SCREENSHOT_DELAY:-10}"
    import -window root "$3"
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; true' _ "$root/scripts/wine-run" "$build/app/zentrel.exe" "$shot"
fi
exec "$root/scripts/with-wine" "$build" "$root/scripts/wine-run" "$build/app/zentrel.exe" "$@"
