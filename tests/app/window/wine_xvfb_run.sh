#!/usr/bin/env bash
# Runs a Windows program under Wine on a fresh Xvfb screen of its own:
#   wine_xvfb_run.sh PREFIX PROGRAM.exe [arguments...]
# The window tests use a Wine prefix of their own, so the desktop process that Wine
# starts for this screen is never one that an earlier screen left behind. The run waits
# for that prefix's Wine server to end before the screen goes away.
set -euo pipefail
if [ "$#" -lt 2 ]; then
  echo "usage: wine_xvfb_run.sh PREFIX PROGRAM.exe [arguments...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../../scripts/wine-run"
wineserver=$(command -v wineserver 2>/dev/null || echo /usr/lib/wine/wineserver)

if [ "$1" = --on-screen ]; then
  # Second half, inside xvfb-run: the program, then the prefix's server winding down.
  prefix=$2
  shift 2
  # No window manager runs on the screen, so Wine draws the frames and captions itself;
  # and the GUI font gets a face with the Chinese characters, as on a Chinese Windows.
  "$wine_run" --prefix "$prefix" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Decorated /d N /f >/dev/null
  "$wine_run" --prefix "$prefix" reg add \
    'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'MS Shell Dlg' /d 'WenQuanYi Micro Hei' /f >/dev/null
  set +e
  "$wine_run" --prefix "$prefix" "$@"
  status=$?
  WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null
  exit "$status"
fi

prefix=$(realpath -m "$1")
shift
# A server of this prefix that outlived another screen would keep its desktop there.
WINEPREFIX=$prefix "$wineserver" -w 2>/dev/null || true
exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/wine_xvfb_run.sh" --on-screen "$prefix" "$@"
