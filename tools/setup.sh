#!/bin/sh
# Installs the Debian packages this project needs, skipping what is already
# installed. Safe to run again; never prompts. Needs root (or sudo).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
wanted=$(cat "$here"/deps/*.txt | sed -e 's/#.*//' -e 's/[[:space:]]//g' | grep -v '^$' | sort -u)

missing=""
for pkg in $wanted; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    case "$status" in
        *" installed") ;;
        *) missing="$missing $pkg" ;;
    esac
done

if [ -z "$missing" ]; then
    echo "setup: all $(echo "$wanted" | wc -l) required packages are installed"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "setup: missing packages:$missing" >&2
    echo "setup: run this script as root to install them" >&2
    exit 1
fi

echo "setup: installing missing packages:$missing"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
# shellcheck disable=SC2086
$sudo apt-get install -y -q --no-install-recommends $missing
echo "setup: done"
