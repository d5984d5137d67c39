#!/usr/bin/env bash
# compare-demos.sh LINUX_BUILD WINDOWS_BUILD: the demo of both builds wrote
# the same pictures, byte for byte, and printed the same results.
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
if ! diff <(grep -v '^== ' "$1/demo.log") <(grep -v '^== ' "$2/demo.log") >/dev/null; then
  echo "compare-demos: the demos printed different results:" >&2
  diff <(grep -v '^== ' "$1/demo.log") <(grep -v '^== ' "$2/demo.log") >&2 || true
  exit 1
fi
echo "compare-demos: $count pictures and every printed result are the same on both targets"
