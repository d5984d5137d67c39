#!/usr/bin/env bash
# run.sh BUILD_DIR: runs the reference host over demo.vms with the plug-ins
# built in BUILD_DIR: libvmswf.so and libundula.so with vmhost, or for a
# Windows build vmswf.dll and undula.dll with vmhost.exe under Wine (inside
# scripts/wine-session.sh). Pictures go to BUILD_DIR/demo/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
if [ -f "$build/host/vmhost.exe" ]; then
  host=("$here/../../scripts/wine-run.sh" "$build/host/vmhost.exe")
  plugins=(--plugin "vmswf=$build/plugin/vmswf.dll" --plugin "undula=$build/undula/undula.dll")
else
  host=("$build/host/vmhost")
  plugins=(--plugin "vmswf=$build/plugin/libvmswf.so" --plugin "undula=$build/undula/libundula.so")
fi
mkdir -p "$build/demo"
echo "== vmhost ${plugins[*]} $here/demo.vms"
echo "== results on standard output, the plug-in's error boxes on standard error"
"${host[@]}" "${plugins[@]}" --output "$build/demo" "$here/demo.vms"
echo "== pictures in $build/demo/"
