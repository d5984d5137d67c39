#!/usr/bin/env bash
# compare-demos.sh LINUX_BUILD WINDOWS_BUILD: the demo of both builds wrote
# the same pictures, byte for byte, and printed the same results and boxes
# (demo.out and demo.err in each build folder).
set -euo pipefail
linux=$1/demo
windows=$2/demo
count=0
for picture in "$linux"/*.png; do
  name=$(basename "$picture")
  if ! cmp -s "$picture" "$windows/$name"; then
    echo "compare-demos: $name differs between the Linux and the Windows demo" >&2
    exit 1
  fi
  count=$((count + 1))
done
[ "$count" -gt 0 ] || { echo "compare-demos: the Linux demo wrote no pictures" >&2; exit 1; }
# Standard output (results) and standard error (the plug-ins' boxes) apart:
# a Windows program's two streams reach us one after the other.
for stream in out err; do
  if ! diff <(grep -v '^== ' "$1/demo.$stream") <(grep -v '^== ' "$2/demo.$stream") >/dev/null; then
    echo "compare-demos: the demos printed different results on standard $stream:" >&2
    diff <(grep -v '^== ' "$1/demo.$stream") <(grep -v '^== ' "$2/demo.$stream") >&2 || true
    exit 1
  fi
done
echo "compare-demos: $count pictures and every printed result are the same on both targets"
