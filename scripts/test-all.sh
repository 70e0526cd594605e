#!/usr/bin/env bash
# Builds the three builds and runs every test: native (plain, then AddressSanitizer and
# UndefinedBehaviorSanitizer), a short libFuzzer run, the 64-bit Windows build under Wine, and the
# 32-bit release build (compiled warning-free, not run). Ends with one line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${ZENTREL_JOBS:-2}
fuzz_seconds=${ZENTREL_FUZZ_SECONDS:-60}

bash scripts/setup.sh || exit 1

passed=0
failed=0
status=0

# ctest prints "NN% tests passed, F tests failed out of T".
tally() {
  local log=$1 line t f
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then failed=$((failed + 1)); status=1; return; fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
  [ "$f" = 0 ] || status=1
}

stage() { echo; echo "==== $* ===="; }

build() {  # dir, cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  ninja -C "$dir" -j"$jobs" 2>&1 | tail -n 25
  return "${PIPESTATUS[0]}"
}

mkdir -p build

stage "native build and tests"
if build build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo; then
  (cd build/native && ctest --output-on-failure -j"$jobs") 2>&1 | tee build/native.test.log
  tally build/native.test.log
else failed=$((failed + 1)); status=1; fi

stage "native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if build build/asan -DCMAKE_BUILD_TYPE=Debug -DZENTREL_SANITIZE=ON; then
  (cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j"$jobs") 2>&1 | tee build/asan.test.log
  tally build/asan.test.log
else failed=$((failed + 1)); status=1; fi

if [ -f fuzz/CMakeLists.txt ]; then
  stage "fuzzing (${fuzz_seconds} s per target)"
  if build build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENTREL_FUZZ=ON -DZENTREL_TESTS=OFF; then
    for target in build/fuzz/fuzz/*_fuzz; do
      [ -x "$target" ] || continue
      name=$(basename "$target")
      # Seeds: fuzz/corpus/<name without _fuzz>, or the name's first word.
      corpus="fuzz/corpus/${name%_fuzz}"
      [ -d "$corpus" ] || corpus="fuzz/corpus/${name%%_*}"
      work=$(mktemp -d)
      seeds=()
      [ -d "$corpus" ] && seeds=("$corpus")
      if "$target" -max_total_time="$fuzz_seconds" -max_len=4096 -rss_limit_mb=2048 "$work" "${seeds[@]}" \
           >"build/$name.log" 2>&1; then
        passed=$((passed + 1)); echo "$name: no failure in ${fuzz_seconds} s"
      else
        failed=$((failed + 1)); status=1; echo "$name: FAILED"; tail -n 40 "build/$name.log"
      fi
      rm -rf "$work"
    done
  else failed=$((failed + 1)); status=1; fi
fi

stage "64-bit Windows build, tests under Wine"
if build build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake; then
  scripts/with-wine build/win64 bash -c 'cd build/win64 && ctest --output-on-failure' 2>&1 | tee build/win64.test.log
  tally build/win64.test.log
else failed=$((failed + 1)); status=1; fi

stage "32-bit Windows release build (warnings are errors)"
if build build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
     -DZENTREL_TESTS=OFF -DCMAKE_CXX_FLAGS=-Werror; then
  passed=$((passed + 1)); echo "32-bit build: ok"
else failed=$((failed + 1)); status=1; echo "32-bit build: FAILED"; fi

echo
echo "$passed passed, $failed failed"
exit $status
