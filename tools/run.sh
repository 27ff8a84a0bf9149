#!/bin/sh
# Installs what is missing, builds, starts the bundled reference service on
# a free loopback port and opens the window against it; the service stops
# when the window closes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVO_BUILD_DIR:-$root/build}
"$root/tools/setup.sh"
"$root/tools/build.sh"

server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT INT TERM

if [ -z "${QUORVO_API_HOST:-}" ] && [ -x "$build/bin/quorvo-server" ]; then
    log="$build/quorvo-server.log"
    : >"$log"
    "$build/bin/quorvo-server" --port 0 --quiet --data-dir "$build/server-data" >"$log" 2>&1 &
    server_pid=$!
    line=""
    tries=0
    while [ -z "$line" ] && [ "$tries" -lt 100 ]; do
        line=$(grep -m1 '^listening on http://' "$log" || true)
        [ -n "$line" ] || sleep 0.1
        tries=$((tries + 1))
    done
    if [ -z "$line" ]; then
        echo "run: the reference service did not start; see $log" >&2
        exit 1
    fi
    QUORVO_API_HOST=${line#listening on http://}
    export QUORVO_API_HOST
    echo "run: reference service at $QUORVO_API_HOST"
fi

status=0
"$build/bin/quorvo" "$@" || status=$?
exit $status
