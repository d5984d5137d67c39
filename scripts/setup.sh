#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages. Does
# nothing when everything is there already. Run as root.
set -euo pipefail

packages=(cmake make ninja-build g++ clang libclang-rt-14-dev llvm
          libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
