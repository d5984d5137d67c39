#!/usr/bin/env bash
# wine-run.sh PROGRAM.exe [ARGS...]: runs a Windows program of the build
# under Wine with the users' code page (932, Shift-JIS: Wine takes it from
# LC_ALL, which works even where that locale is not generated). The prefix,
# the X display and the wineserver come from scripts/wine-session.sh, which
# CTest and the scripts run inside. Exits with the program's own status.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-run.sh: no Wine prefix; run the command inside scripts/wine-session.sh" >&2
  exit 125
fi
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
exec env LC_ALL=ja_JP.UTF-8 wine "$@"
