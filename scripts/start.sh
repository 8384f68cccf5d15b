#!/bin/sh
# Installs what is missing, builds Brisvane and starts it on the sample EPD file.
# Without a display (no DISPLAY or WAYLAND_DISPLAY) it starts on a virtual X server.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"
"$top/scripts/build.sh"
program="${BUILD_DIR:-$top/build}/bin/Brisvane"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Brisvane on a virtual X server (xvfb-run)."
    exec xvfb-run -a "$program" "$top/samples/sample.epd"
fi
exec "$program" "$top/samples/sample.epd"
