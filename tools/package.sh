#!/bin/sh
# Makes the Debian package quorvo_VERSION_ARCH.deb in build/ (or
# $QUORVO_BUILD_DIR): installs what is missing, builds what is not built yet
# (an up-to-date build is reused as it is), then runs `cpack -G DEB`.
# Install it with: apt-get install ./build/quorvo_*.deb
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVO_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"
# Only this version's package is left, so that ./build/quorvo_*.deb names one file.
rm -f "$build"/quorvo_*.deb
cd "$build"
cpack -G DEB --config CPackConfig.cmake >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
for deb in "$build"/quorvo_*.deb; do
    echo "package: $deb ($(stat -c %s "$deb") bytes)"
done
