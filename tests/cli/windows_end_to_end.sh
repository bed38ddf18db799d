#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scriba8.exe under Wine on the virtual programmer: program, verify and dump
# a chip, and everything it writes (the dump as Intel HEX and binary, on
# standard output too, the log in both languages) byte for byte as the Linux
# scriba8 writes it on a programmer of its own. Names reach Windows as UTF-16.
# usage: windows_end_to_end.sh WINE_RUN SCRIBA8_EXE EXAMPLES_DIR [LINUX_SCRIBA8]
set -uo pipefail
# Each job runs in a folder of its own: the paths given must not depend on
# where this script was started.
wine_run=$(realpath "$1")
windows=$(realpath "$2")
examples=$(realpath "$3")
linux=${4:+$(realpath "$4")}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SCRIBA8_PROGRAMMER=virtual
unset SCRIBA8_VIRTUAL_FAULTS SCRIBA8_VIRTUAL_CHIP SCRIBA8_VIRTUAL_PACE SCRIBA8_TRACE
part=VS8G132
hex="$examples/blinky.hex"
failures=0

source "$(dirname "$0")/script_checks.sh"

# job SYSTEM PROGRAM...: the same steps with one system's scriba8, run in
# $work/SYSTEM with its programmer state and outputs there (named alike, so
# the logs are alike); a run's log is $work/SYSTEM-STEP.out and .err.
job() {
    local system=$1
    shift
    mkdir -p "$work/$system"
    cd "$work/$system" || return
    export SCRIBA8_VIRTUAL_STATE=programmer.state
    step() {
        local name=$system-$1 expected=$2
        shift 2
        timeout 120 "${program[@]}" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null
        check_status "$name" $? "$expected" 'wine: \|err:' "$@"
    }
    local program=("$@")
    step program 0 --part $part program "$hex"
    step verify 0 --part $part verify "$hex"
    step dump 0 --part $part dump -o dump.hex
    step dump-bin 0 --part $part dump -o dump.bin
    step stdout 0 --part $part dump -o -
    step chinese 0 --lang zh --part $part verify "$hex"
    step utf8 0 --part $part dump -o "芯片 Прошивка.hex"
    cd "$work" || return
}

job windows "$wine_run" "$windows"
expect_line windows-program '^002 - Program =>Pass   \['
expect_line windows-verify '^001 - Verify =>Pass   \['
expect_line windows-chinese '^001 - '
[[ -s "$work/windows/dump.hex" ]] || fail "windows: no dump"
cmp -s "$work/windows-stdout.out" "$work/windows/dump.bin" ||
    fail "windows: the dump on standard output differs from the file (newlines translated?)"
cmp -s "$work/windows/芯片 Прошивка.hex" "$work/windows/dump.hex" ||
    fail "windows: the dump under a UTF-8 name is missing or differs"
refuse_line windows-program $'\r'

if [[ -n "$linux" ]]; then
    job linux "$linux"
    for file in dump.hex dump.bin "芯片 Прошивка.hex"; do
        cmp "$work/linux/$file" "$work/windows/$file" || fail "$file differs between the systems"
    done
    # The logs, but for the seconds each step took.
    for name in program verify dump stdout chinese; do
        for stream in out err; do
            for system in linux windows; do
                sed -E 's/\[[0-9]+\.[0-9]{3}"\]/[T]/' "$work/$system-$name.$stream" \
                    >"$work/$system-$name.$stream.timeless"
            done
            cmp -s "$work/linux-$name.$stream.timeless" "$work/windows-$name.$stream.timeless" || {
                fail "$name: standard ${stream/out/output} differs between the systems"
                diff "$work/linux-$name.$stream.timeless" "$work/windows-$name.$stream.timeless" |
                    head -20 >&2
            }
        done
    done
fi

if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "scriba8.exe: program, verify and dump as expected${linux:+, byte for byte as on Linux}"
