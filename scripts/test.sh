#!/bin/sh
# Installs what is missing, builds Brisvane with its tests and runs every test.
# With --sanitize the build goes to build-asan/ with AddressSanitizer and UBSan.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup-debian.sh"
if [ "${1:-}" = "--sanitize" ]; then
    export BUILD_DIR="$top/build-asan"
    "$top/scripts/build.sh" -DBRISVANE_SANITIZE=ON -DBRISVANE_BUILD_BENCH=OFF
else
    "$top/scripts/build.sh"
fi
cd "${BUILD_DIR:-$top/build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
