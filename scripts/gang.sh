#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Gang programming: one scriba8 per programmer, all at once, a log per
# programmer and a summary at the end.
#
# usage: scripts/gang.sh PROGRAMMER... -- SCRIBA8-ARGUMENTS...
#   PROGRAMMER   usb:SERIAL or usb:/dev/hidrawN (scriba8 programmers lists
#                them), or virtual:STATEFILE for a virtual programmer with a
#                state file of its own
# environment:   SCRIBA8 (default: scriba8 on PATH), GANG_LOGS (default:
#                gang-logs, one NAME.log per programmer)
# example:       scripts/gang.sh usb:T3P-0001 usb:T3P-0002 -- --part VS8G132 program fw.hex
# Exit status 0 when every programmer passed, else 1.
set -uo pipefail

programmers=()
while [[ $# -gt 0 && $1 != "--" ]]; do
    programmers+=("$1")
    shift
done
if [[ $# -eq 0 || ${#programmers[@]} -eq 0 ]]; then
    sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
shift # the "--"
scriba8=${SCRIBA8:-scriba8}
logs=${GANG_LOGS:-gang-logs}
mkdir -p "$logs"

declare -A pids names
for programmer in "${programmers[@]}"; do
    name=$(printf '%s' "$programmer" | tr -c 'A-Za-z0-9._-' '_')
    log="$logs/$name.log"
    if [[ $programmer == virtual:* ]]; then
        SCRIBA8_VIRTUAL_STATE=${programmer#virtual:} \
            "$scriba8" --programmer virtual --no-progress "$@" >"$log" 2>&1 </dev/null &
    else
        "$scriba8" --programmer "$programmer" --no-progress "$@" >"$log" 2>&1 </dev/null &
    fi
    pids[$programmer]=$!
    names[$programmer]=$log
done

failed=0
printf '%-32s %-6s %s\n' PROGRAMMER STATUS LOG
for programmer in "${programmers[@]}"; do
    wait "${pids[$programmer]}"
    status=$?
    result=pass
    if [[ $status -ne 0 ]]; then
        result="exit $status"
        failed=$((failed + 1))
    fi
    printf '%-32s %-6s %s\n' "$programmer" "$result" "${names[$programmer]}"
done
echo "${#programmers[@]} programmer(s), $failed failed"
[[ $failed -eq 0 ]]
