#!/usr/bin/env bash
# wine-com-scenarios.sh TEST_PLUGIN.exe VMSWFCTL.dll REFUSINGCTL.dll: runs
# the plug-in's end-to-end tests with the movie control created through
# COM, in a Wine prefix of its own (its own wineserver too), so that no
# registration made here is ever seen by another test:
#  1. our control's COM server registered machine-wide (regsvr32 /n
#     /i:machine; Wine 8's COM reads only machine-wide classes): every
#     player command, drawing, playback on the control's own timer, set-up
#     and tear-down, and the stress cycles, through COM;
#  2. a registered control whose class factory refuses to create it:
#     opening fails and leaves nothing behind. (A registration whose library
#     is missing would not do: Wine's COM then goes on to look for a local
#     server and answers that the class is not registered.)
# Each registration is removed again and checked gone; the prefix is
# deleted at the end. Runs inside scripts/wine-session.sh (an X display).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$1
server=$2
refusing=$3
prefix=$(mktemp -d /tmp/vm-wine-com.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
export program server refusing here
WINEPREFIX="$prefix" bash "$here/wine-session.sh" bash -c '
  set -euo pipefail
  key="HKLM\\Software\\Classes\\CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}"
  registered() { wine reg query "$key" >/dev/null 2>&1; }
  if registered; then echo "a fresh prefix has the control registered" >&2; exit 1; fi

  echo "== our COM server registered"
  wine regsvr32 /s /n /i:machine "$(winepath -w "$server")"
  registered || { echo "regsvr32 registered nothing" >&2; exit 1; }
  VM_CONTROL_SOURCE=registered "$here/wine-run.sh" "$program" \
    --gtest_filter="MovieCommandTest.*:ControlSourceTest.*:PlugInStress.*"
  wine regsvr32 /s /u /n /i:machine "$(winepath -w "$server")"
  if registered; then echo "regsvr32 /u left the control registered" >&2; exit 1; fi

  echo "== a registered control that cannot be created"
  wine reg add "$key\\InprocServer32" /ve /d "$(winepath -w "$refusing")" /f >/dev/null
  wine reg add "$key\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null
  VM_CONTROL_SOURCE=failing "$here/wine-run.sh" "$program" --gtest_filter="ControlSourceTest.*"
  wine reg delete "$key" /f >/dev/null
  if registered; then echo "the broken registration stayed" >&2; exit 1; fi
'
