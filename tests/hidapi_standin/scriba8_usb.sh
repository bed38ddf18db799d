#!/usr/bin/env bash
# scriba8 over its USB backend, with the stand-in hidapi in place of
# libhidapi-hidraw: separate processes share the programmers' state through
# SCRIBA8_HIDAPI_STANDIN_STATE, as they would share real hardware.
# usage: scriba8_usb.sh SCRIBA8 STANDIN_DIR EXAMPLES_DIR
set -uo pipefail
scriba8=$1
standin=$2
examples=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in $(env | sed -n 's/^\(SCRIBA8_[A-Z_]*\)=.*/\1/p'); do unset "$name"; done
export LD_LIBRARY_PATH="$standin"
export SCRIBA8_HIDAPI_STANDIN_STATE="$work"
part=VS8G132
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# run NAME BUS EXPECTED_STATUS ARGS... : output in $work/NAME.out and .err;
# $programmer, when set, is the --programmer value (else usb)
run() {
    local name=$1 bus=$2 expected=$3
    shift 3
    SCRIBA8_HIDAPI_STANDIN="$bus" timeout 60 "$scriba8" --programmer "${programmer:-usb}" "$@" \
        >"$work/$name.out" 2>"$work/$name.err" </dev/null
    local status=$?
    if grep -q 'Sanitizer\|stand-in' "$work/$name.err"; then
        fail "$name: unexpected report"
        sed 's/^/    /' "$work/$name.err" >&2
    fi
    if [[ $status -ne $expected ]]; then
        fail "$name: exit status $status, expected $expected ($*)"
        sed 's/^/    /' "$work/$name.out" "$work/$name.err" >&2
    fi
}

expect_line() { # NAME REGEX [out|err]
    local file="$work/$1.${3:-out}"
    grep -Eq -- "$2" "$file" || fail "$1: no line matching /$2/ in $file"
}

refuse_line() { # NAME REGEX [out|err]
    local file="$work/$1.${3:-out}"
    ! grep -Eq -- "$2" "$file" || fail "$1: unexpected line matching /$2/ in $file"
}

run info "P1; B2 boot" 0 info
expect_line info '^Programmer \(USB\): found$'
run info-boot-only "B2 boot" 3 info
expect_line info-boot-only '^Programmer \(USB\): not found$'

# The image goes out and comes back through the USB code, in two processes.
run program "P1" 0 --part $part program "$examples/blinky.hex"
expect_line program '^002 - Program =>Pass'
[[ -s "$work/P1.state" ]] || fail "program: no state saved for P1"
run verify "P1" 0 --part $part verify "$examples/blinky.hex"
expect_line verify '^001 - Verify =>Pass'
run dump "P1" 0 --part $part dump -o "$work/dump.hex"
run verify-dump "P1" 0 --part $part verify "$work/dump.hex"

run denied "D1 denied" 3 --part $part check-id
expect_line denied '/dev/standin/hidraw0 but this user may not open it \(permission denied\)' err
run denied-then-free "D1 denied; P1" 0 --part $part check-id
refuse_line denied-then-free 'permission denied' err

# The programmer asked for by serial number or device node.
programmer=usb:FREE2 run by-serial "LOCKED1 faults=locked; FREE2" 0 --part $part check-id
programmer=usb:/dev/standin/hidraw0 run by-path "LOCKED1 faults=locked; FREE2" 6 --part $part check-id
programmer=usb:ELSEWHERE run by-missing-serial "LOCKED1; FREE2" 3 --part $part check-id

# An old firmware is replaced; the programmer comes back with the new one.
run update "OLD1 faults=fw-main=0x00140001" 0 --yes --part $part check-id
expect_line update 'Unmatched FW version, Do you want to update \?' err
expect_line update '^000 - Check ID =>Pass'
run after-update "OLD1 faults=fw-main=0x00140001" 0 --no --part $part check-id
refuse_line after-update 'Unmatched FW version' err

exit $((failures > 0))
