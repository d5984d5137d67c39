#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test twice: a normal build with
# g++, then a build with AddressSanitizer and UndefinedBehaviorSanitizer with
# clang. Any failure or sanitizer report fails the run. The fuzz targets then
# run for a short while each (FUZZ_SECONDS, default 20) over their seeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh

jobs=$(nproc)
echo "== normal build (g++)"
CC=gcc CXX=g++ bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== sanitizer build (clang, AddressSanitizer + UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
CC=clang CXX=clang++ bash scripts/build.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DVM_SANITIZE=ON
ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== fuzz smoke run (libFuzzer under both sanitizers)"
CC=clang CXX=clang++ bash scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVM_FUZZ=ON -DVM_TESTS=OFF
bash scripts/fuzz.sh build/fuzz "${FUZZ_SECONDS:-20}"
