#!/bin/sh
# Configures (once) and builds the project into build/ (or $QUORVO_BUILD_DIR).
# Extra arguments go to the first CMake configure, e.g. -DQUORVO_SANITIZE=address.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVO_BUILD_DIR:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
fi
cmake --build "$build" --parallel "$(nproc)"
