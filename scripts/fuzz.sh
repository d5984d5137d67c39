#!/usr/bin/env bash
# fuzz.sh BUILD_DIR SECONDS: runs every fuzz target built in BUILD_DIR for
# SECONDS each, starting from its seed folder fuzz/seeds/NAME when there is one,
# with the dictionary fuzz/dicts/NAME.dict when there is one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
seconds=$2
found=0
for target in "$dir"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  found=1
  name=$(basename "$target")
  corpus="$dir/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/seeds/$name" ] && seeds=("$root/fuzz/seeds/$name")
  options=()
  [ -f "$root/fuzz/dicts/$name.dict" ] && options=(-dict="$root/fuzz/dicts/$name.dict")
  echo "fuzz: $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "${options[@]}" "$corpus" "${seeds[@]}" \
    2>"$dir/fuzz/$name.log" || { tail -n 60 "$dir/fuzz/$name.log"; exit 1; }
  grep -E '^stat::number_of_executed_units' "$dir/fuzz/$name.log" || true
done
[ "$found" = 1 ] || echo "fuzz: no targets built"
