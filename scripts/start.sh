#!/bin/sh
# Installs what is missing, builds Brisvane and starts it on the sample EPD file.
# Without a display (no DISPLAY or WAYLAND_DISPLAY) it starts on a virtual screen (Xvfb) and
# says how to look at it and how to end it.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"
"$top/scripts/build.sh"
# Our chess font, which RTF diagrams are set in, in the user's fonts folder.
fonts="${XDG_DATA_HOME:-$HOME/.local/share}/fonts"
font="$top/gui/export/font/BrisvaneChess.ttf"
if ! cmp -s "$font" "$fonts/BrisvaneChess.ttf"; then
    mkdir -p "$fonts" && cp "$font" "$fonts/" && { fc-cache -f "$fonts" >/dev/null 2>&1 || true; }
fi
program="${BUILD_DIR:-$top/build}/bin/Brisvane"
sample="$top/samples/sample.epd"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$program" "$sample"
fi

# The first free display number from 99 on.
screen=99
while [ -e "/tmp/.X11-unix/X$screen" ] || [ -e "/tmp/.X$screen-lock" ]; do
    screen=$((screen + 1))
done
Xvfb ":$screen" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null' EXIT
trap 'exit 130' INT TERM
sleep 1
DISPLAY=":$screen" "$program" "$sample" &
brisvane=$!
cat <<TEXT
No display found: Brisvane runs on the virtual screen :$screen (no window appears here).
  See it:  DISPLAY=:$screen import -window root screen.png   (ImageMagick; apt-get install imagemagick)
  Use it:  DISPLAY=:$screen xdotool ...                     (xdotool; clicks and keys)
  End it:  press Ctrl+C here, or run: kill $brisvane
TEXT
trap 'kill "$brisvane" 2>/dev/null; exit 130' INT TERM
wait "$brisvane"
