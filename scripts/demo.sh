#!/usr/bin/env bash
# Sets up the machine, builds the plug-ins and the reference host, and runs
# the host's demo script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
CC=gcc CXX=g++ bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec bash examples/demo/run.sh build/release
