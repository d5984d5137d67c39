#!/usr/bin/env bash
# setup.sh [native] [windows]: installs what building and testing need, from
# Debian's packages. Does nothing when everything is there already. Run as
# root. Groups:
#   native   compilers, CMake, GoogleTest, Google Benchmark, zlib, stb, and
#            the free fonts text fields without embedded glyphs are drawn
#            with (DejaVu, IPA Gothic for Japanese) (default)
#   windows  the MinGW-w64 cross compiler with zlib for it, GoogleTest's
#            sources, and Wine (32-bit) with Xvfb to run the Windows build
set -euo pipefail
groups=("$@")
[ ${#groups[@]} -gt 0 ] || groups=(native)

packages=()
need_i386=0
for group in "${groups[@]}"; do
  case "$group" in
    native)
      packages+=(cmake make ninja-build g++ clang libclang-rt-14-dev llvm
                 libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libstb-dev
                 fonts-dejavu-core fonts-ipafont-gothic) ;;
    windows)
      packages+=(cmake ninja-build g++-mingw-w64-i686 libz-mingw-w64-dev googletest libstb-dev
                 wine wine32:i386 xvfb xauth binutils-mingw-w64-i686)
      need_i386=1 ;;
    *) echo "setup: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$need_i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
