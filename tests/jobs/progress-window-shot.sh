#!/usr/bin/env bash
# Renders the progress window under Xvfb and saves it as docs/progress-window.png.
# Needs xwd (Debian's x11-apps) and convert (imagemagick).
# Usage: tests/jobs/progress-window-shot.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target progress_window_shot

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=d"
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
# A prefix of its own: Xvfb has no window manager, and Wine draws a window's
# caption and frame itself only when told not to leave them to one.
wineboot -i >"$work/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >"$work/reg.log" 2>&1
wineserver -w

# One display for the program and the capture; the window stays up 8 s and is
# captured after 5 s, when Wine has started and drawn it.
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
    "$1/cmake/wine-run" "$2/bin/progress_window_shot.exe" 8000 >"$3/frame" 2>"$3/stderr" &
    sleep 5
    xwd -root -silent >"$3/screen.xwd"
    wait
' shot "$root" "$build" "$work"
read -r width height left top <"$work/frame"
mkdir -p "$root/docs"
convert "$work/screen.xwd" -crop "${width}x${height}+${left}+${top}" +repage "$root/docs/progress-window.png"
echo "docs/progress-window.png: ${width}x${height}"
