#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
# Extra arguments go to ctest, e.g. tools/test.sh -R Profile
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVO_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
