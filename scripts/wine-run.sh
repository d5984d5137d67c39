#!/usr/bin/env bash
# wine-run.sh PROGRAM.exe [ARGS...]: runs a Windows program of the build
# under Wine with the users' code page (932, Shift-JIS: Wine takes it from
# LC_ALL, which works even where that locale is not generated). The prefix,
# the X display and the wineserver come from scripts/wine-session.sh, which
# CTest and the scripts run inside. Exits with the program's own status.
#
# Wine 8.0 of Debian 12 sometimes crashes itself as a program ends (about
# one run in a hundred when the machine is busy): a thread of the process
# receives a signal while it is torn down, and Wine's own handler faults
# (pthread_getspecific from NtCurrentTeb in ntdll's Unix side), killing the
# process with SIGSEGV, status 139. A Windows program that faults ends with
# a Windows exception code instead, never with 139; so a run that ends with
# 139 is run again, up to two more times, and only the output of the run
# that counts is passed on.
set -euo pipefail
if [ -z "${WINEPREFIX:-}" ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-run.sh: no Wine prefix; run the command inside scripts/wine-session.sh" >&2
  exit 125
fi
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2 3; do
  status=0
  env LC_ALL=ja_JP.UTF-8 wine "$@" >"$out" 2>"$err" || status=$?
  [ "$status" = 139 ] || break
done
cat "$out"
cat "$err" >&2
exit "$status"
