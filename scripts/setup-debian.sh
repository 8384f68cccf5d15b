#!/bin/sh
# Installs the Debian packages that building, running and testing Brisvane need.
# Safe to run again: it installs only what is missing and says nothing when all is there.
set -eu

packages="build-essential cmake qt6-base-dev libgl-dev libsimpleini-dev libgtest-dev
libbenchmark-dev xvfb xauth fonts-dejavu-core pgn-extract stockfish libgif-dev poppler-utils
libreoffice-writer-nogui fontconfig"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages:$missing (run this script as root to install them)" >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
