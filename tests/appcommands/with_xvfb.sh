#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command on an X server of its own, as an operator's desktop would
# show the program: Xvfb on a free display (the server picks it) with the
# given screen size, Qt on xcb. Input sent there (xdotool) goes through the
# window system like a real mouse and keyboard.
# usage: with_xvfb.sh WIDTHxHEIGHT COMMAND [ARGUMENT...]
set -euo pipefail
size=$1
shift
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$dir/display" \
    2>"$dir/xvfb.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
# The server writes its display number once it accepts clients.
until [[ -s $dir/display ]]; do
    if ! kill -0 "$server" 2>/dev/null; then
        echo "with_xvfb.sh: Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        exit 1
    fi
    sleep 0.02
done
status=0
DISPLAY=":$(head -n1 "$dir/display")" QT_QPA_PLATFORM=xcb "$@" || status=$?
exit "$status"
