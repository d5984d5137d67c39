#!/usr/bin/env bash
# Sets up the machine, builds the Windows release (MinGW-w64 i686, static
# runtime) and packs what a user gets into one ZIP:
#   build/package/vmswf-VERSION-win32.zip
# holding vmswf.dll, undula.dll, vmswfctl.dll (the movie control as a COM
# server for other programs), vmhost.exe, swfrun.exe (runs a movie headless
# and prints its trace lines), the documentation and the
# examples (with a batch file that runs the demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh windows

build=build/package-build
bash scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=Release -DVM_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32-posix.toolchain.cmake" \
  -DCMAKE_INSTALL_BINDIR=. -DCMAKE_INSTALL_LIBDIR=. -DCMAKE_INSTALL_DOCDIR=docs
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="vmswf-$version-win32"
stage="build/package/$name"
rm -rf "$stage" "build/package/$name.zip"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
cp examples/run-demo.bat "$stage/"
(cd build/package && cmake -E tar cf "$name.zip" --format=zip "$name")
echo "package: build/package/$name.zip"
(cd build/package && cmake -E tar tf "$name.zip")
