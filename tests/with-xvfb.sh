#!/usr/bin/env bash
# Runs a command on a private 800x600x24 Xvfb display (another size with
# NIMRA_SCREEN=WIDTHxHEIGHT). The server picks a free display
# number itself (-displayfd), so any number of these can run side by side. -noreset keeps
# it from resetting when its last client leaves: SDL opens and closes a probe connection
# just before its real one, and a resetting server refuses that second connection.
set -euo pipefail

dir=$(mktemp -d)
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 "${NIMRA_SCREEN:-800x600}x24" -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
server=$!
cleanup() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT

if ! read -r -t 30 number <"$dir/display"; then
    echo "with-xvfb: Xvfb did not start" >&2
    cat "$dir/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$number"
rc=0
"$@" || rc=$?
exit $rc
