#!/usr/bin/env bash
# wine-session.sh COMMAND [ARGS...]: runs COMMAND (CTest over the Windows
# build, the Windows demo) with Wine ready for unattended Windows programs:
#  - a throw-away 32-bit prefix (WINEPREFIX, removed at the end unless the
#    caller gave one),
#  - Wine's virtual desktop, so that a message box opens in about 50 ms
#    instead of 2 s under a plain X server,
#  - an X display: the caller's, or a private Xvfb (without one
#    MessageBoxW fails at once),
#  - a wineserver kept running for the whole session, so that every program
#    does not wait seconds for the server to start and stop.
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
own_prefix=0
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX=$(mktemp -d /tmp/vm-wine.XXXXXX)
  own_prefix=1
fi
export WINEPREFIX WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ "$own_prefix" = 1 ]; then rm -rf "$WINEPREFIX"; fi
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  env LC_ALL=ja_JP.UTF-8 wineboot -i >/dev/null 2>&1
  wineserver -w
  env LC_ALL=ja_JP.UTF-8 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  env LC_ALL=ja_JP.UTF-8 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
  wineserver -w
fi
wineserver -p
# Wine's own background programs (services, the desktop) start with the
# first program and live on; started here with no standard streams, they
# never hold a test's output open.
env LC_ALL=ja_JP.UTF-8 wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
