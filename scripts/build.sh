#!/bin/sh
# Configures and builds Brisvane into build/ (or the folder in BUILD_DIR).
# Extra arguments go to CMake, e.g. -DBRISVANE_SANITIZE=ON.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
