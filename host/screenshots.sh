#!/usr/bin/env bash
# Screenshots of vornix-host's windowed mode for docs/: a person's session with
# the real plug-in, played by xdotool on a private X server, uploading to a
# local FTP server. Writes docs/host-main-menu.png, docs/host-options.png,
# docs/host-more-settings.png, docs/host-contact-menu.png and
# docs/host-upload.png.
#
# Usage (as root, after scripts/build): host/screenshots.sh [BUILD_DIR]
# Needs the Debian packages xvfb, xdotool, imagemagick, python3-pyftpdlib, wine.
#
# It runs in a network namespace of its own (port 21 on its loopback is private)
# with a Wine prefix of its own, whose wineserver lives and ends in there.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/wine-env"
build=$(cd "${1:-$here/$test_build}" && pwd)
if [ -z "${VORNIX_SCREENSHOT_NS:-}" ]; then
  exec env VORNIX_SCREENSHOT_NS=1 unshare -n "$0" "$build"
fi
ip link set lo up

work=$(mktemp -d)
pids=()
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=d"
wine() { "$wine_loader" "$@"; }
export LANG=pl_PL.UTF-8

mkdir -p "$work/ftp" "$work/files"
head -c 3000000 /dev/urandom >"$work/files/wakacje.jpg"
/usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p 21 -w -d "$work/ftp" >"$work/ftp.log" 2>&1 &
pids+=($!)

Xvfb -displayfd 5 -screen 0 1024x700x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
pids+=($!)
while [ ! -s "$work/display" ]; do sleep 0.2; done
export DISPLAY=:$(cat "$work/display")
wine wineboot -i >/dev/null 2>&1
wineserver -w

host="$build/bin/vornix-host.exe"
profile="$work/profile"
wine "$host" --profile "$profile" options ftpHost=127.0.0.1 username=anonymous password=wtw@example.org \
  httpHost=http://127.0.0.1/pliki/ sendLink=0 autoClose=0 >/dev/null 2>&1

# Where the options window puts "Więcej ustawień..." on the 1024x700 desktop.
more_x=357 more_y=387
shot() { sleep 1.5; import -window root "$here/docs/$1"; }
keys() { for key in "$@"; do xdotool key "$key"; sleep 1; done; }

wine explorer /desktop=wtw,1024x700 "$host" --profile "$profile" --contact GG/1/alicja --contact GG/1/bartek \
  --contact XMPP/2/celina@example.org gui >"$work/transcript" 2>&1 &
pids+=($!)
sleep 8
mkdir -p "$here/docs"

xdotool mousemove 150 120 click 1
sleep 2
keys alt+m Right
shot host-main-menu.png
keys Escape Escape Escape alt+m Right Return
shot host-options.png
# "Więcej ustawień..." beside "Sprawdź", at the foot of the page.
xdotool mousemove "$more_x" "$more_y" click 1
shot host-more-settings.png
keys Escape Escape
xdotool mousemove 150 120 click 1
keys shift+F10 Down Down Right
shot host-contact-menu.png
keys Return
sleep 3
xdotool type --delay 30 'Z:'"${work//\//\\}"'\files\wakacje.jpg'
keys Return
sleep 5
shot host-upload.png
cat "$work/transcript"
