#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test: a normal build with g++,
# a build with AddressSanitizer and UndefinedBehaviorSanitizer with clang,
# the threading and player tests built with ThreadSanitizer, then the
# Windows build (MinGW-w64) under Wine, whose demo must draw the
# same pictures as the Linux demo. Any failure or sanitizer report fails the
# run. The fuzz targets then run for a short while each (FUZZ_SECONDS,
# default 20) over their seeds. Each stage prints how long it took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh native windows

jobs=$(nproc)
stage_start=$SECONDS
stage() {
  echo "== $1 (previous stage: $((SECONDS - stage_start)) s)"
  stage_start=$SECONDS
}

stage "normal build (g++)"
CC=gcc CXX=g++ bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVM_WERROR=ON
ctest --test-dir build/release --output-on-failure -j "$jobs"

stage "sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
CC=clang CXX=clang++ bash scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DVM_SANITIZE=ON -DVM_WERROR=ON
ctest --test-dir build/asan --output-on-failure -j "$jobs"

stage "ThreadSanitizer build (clang): threads and the movie player"
# Only the two test programs whose subject is threads, so the stage stays short.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
if [ ! -f build/tsan/CMakeCache.txt ]; then
  generator=()
  command -v ninja >/dev/null && generator=(-G Ninja)
  CC=clang CXX=clang++ cmake -S . -B build/tsan "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVM_TSAN=ON -DVM_WERROR=ON >/dev/null
fi
cmake --build build/tsan -j "$jobs" --target test_threading test_activex
ctest --test-dir build/tsan/tests/threading --output-on-failure -j "$jobs"
ctest --test-dir build/tsan/tests/activex --output-on-failure -j "$jobs"

stage "Windows build (MinGW-w64 i686) under Wine"
bash scripts/build.sh build/windows -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVM_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32-posix.toolchain.cmake"
bash scripts/wine-session.sh bash -c '
  set -e
  ctest --test-dir build/windows --output-on-failure -j '"$jobs"'
  echo "== the demo with vmhost.exe, vmswf.dll and undula.dll"
  bash examples/demo/run.sh build/windows > build/windows/demo.out 2> build/windows/demo.err ||
    { cat build/windows/demo.out build/windows/demo.err; exit 1; }'
bash examples/demo/run.sh build/release > build/release/demo.out 2> build/release/demo.err ||
  { cat build/release/demo.out build/release/demo.err; exit 1; }
bash scripts/compare-demos.sh build/release build/windows

stage "fuzz smoke run (libFuzzer under both sanitizers)"
CC=clang CXX=clang++ bash scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVM_FUZZ=ON -DVM_TESTS=OFF
bash scripts/fuzz.sh build/fuzz "${FUZZ_SECONDS:-20}"
stage "done"
