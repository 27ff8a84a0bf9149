#!/bin/sh
# Fails when a library's header shows up outside the layer that owns it:
# libcurl only in src/net, SDL only in src/platform, cairo and pango only in
# src/platform and src/gfx.
set -u
cd "$(dirname "$0")/../.."
bad=0
complain() {
    echo "$1"
    bad=1
}
for file in $(git grep -l 'curl_\|<curl/' -- src | grep -v '^src/net/'); do
    complain "libcurl used outside src/net: $file"
done
for file in $(git grep -l '#include <SDL' -- src | grep -v '^src/platform/'); do
    complain "SDL included outside src/platform: $file"
done
for file in $(git grep -l '#include <\(cairo\|pango\)' -- src | grep -v '^src/platform/\|^src/gfx/'); do
    complain "cairo or pango included outside src/platform and src/gfx: $file"
done
exit $bad
