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
# Exit status 0 when every programmer passed, 1 when any failed, 2 for a
# usage mistake (nothing runs then: a programmer named twice, or two names
# that would share a log).
set -uo pipefail

programmers=()
while [[ $# -gt 0 && $1 != "--" ]]; do
    programmers+=("$1")
    shift
done
if [[ $# -eq 0 || ${#programmers[@]} -eq 0 ]]; then
    sed -n '3,15p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
shift # the "--"
scriba8=${SCRIBA8:-scriba8}
logs=${GANG_LOGS:-gang-logs}
mkdir -p "$logs"

# Every run needs its own programmer and its own log: two runs on one
# programmer would wait for each other, and one log would lose a run.
declare -A logOf ownerOf
for programmer in "${programmers[@]}"; do
    if [[ -n ${logOf[$programmer]+set} ]]; then
        echo "gang.sh: $programmer is named twice" >&2
        exit 2
    fi
    name=$(printf '%s' "$programmer" | tr -c 'A-Za-z0-9._-' '_')
    log="$logs/$name.log"
    if [[ -n ${ownerOf[$log]+set} ]]; then
        echo "gang.sh: $programmer and ${ownerOf[$log]} would share the log $log: name one of" \
            "them another way (a device path instead of a serial number, say)" >&2
        exit 2
    fi
    logOf[$programmer]=$log
    ownerOf[$log]=$programmer
done

declare -A pids
for programmer in "${programmers[@]}"; do
    "$scriba8" --programmer "$programmer" --no-progress "$@" >"${logOf[$programmer]}" 2>&1 </dev/null &
    pids[$programmer]=$!
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
    printf '%-32s %-6s %s\n' "$programmer" "$result" "${logOf[$programmer]}"
done
echo "${#programmers[@]} programmer(s), $failed failed"
[[ $failed -eq 0 ]]
