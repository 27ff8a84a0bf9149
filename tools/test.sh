#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
# Extra arguments go to ctest, e.g. tools/test.sh -R Profile
# The fuzz targets are built too, with clang and ASan+UBSan in their own
# directory (build/fuzz-build); the suite runs each for 20 s (Fuzz.*).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVO_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"
fuzz=$build/fuzz-build
if [ ! -f "$fuzz/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUORVO_BUILD_FUZZ=ON -DQUORVO_BUILD_TESTS=OFF -DQUORVO_BUILD_BENCH=OFF
fi
# Only the targets and the libraries they link.
cmake --build "$fuzz" --target fuzz --parallel "$(nproc)"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
