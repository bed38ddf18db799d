#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
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

source "$(dirname "$0")/../cli/script_checks.sh"

# run NAME BUS EXPECTED_STATUS ARGS... : output in $work/NAME.out and .err;
# $programmer, when set, is the --programmer value (else usb)
run() {
    local name=$1 bus=$2 expected=$3
    shift 3
    SCRIBA8_HIDAPI_STANDIN="$bus" timeout 60 "$scriba8" --programmer "${programmer:-usb}" "$@" \
        >"$work/$name.out" 2>"$work/$name.err" </dev/null
    check_status "$name" $? "$expected" 'Sanitizer\|stand-in' "$@"
}

run info "P1; B2 boot" 0 info
expect_line info '^Programmer \(USB\): found$'
run info-boot-only "B2 boot" 3 info
expect_line info-boot-only '^Programmer \(USB\): not found$'
# Nothing on the bus: the advice is about the cable and the udev rules.
run none "" 3 --part $part erase --json
json_check none 'j["result"] == 105 and j["exitStatus"] == 3 and "udev" in j["advice"]
    and "--programmer virtual" in j["advice"]'

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
# Of several nodes refused, the first one tried is the one named.
run denied-several "D1 denied; D2 denied; D3 denied" 3 --part $part check-id
expect_line denied-several '/dev/standin/hidraw0 but this user may not open it' err
refuse_line denied-several 'hidraw[12]' err
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

# hold FILE: another process holds the lock on FILE until release_hold
hold() {
    rm -f "$work/held"
    (flock 9 && touch "$work/held" && exec sleep 60) 9>>"$1" &
    holder=$!
    for _ in $(seq 100); do [[ -e "$work/held" ]] && return; sleep 0.1; done
    fail "hold: no lock on $1"
}
release_hold() { kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null; }

# The listing: every programmer, with what it answers or what keeps it from
# use. Its nodes are files here, so one can be held as another process would.
export SCRIBA8_HIDAPI_STANDIN_NODES="$work/nodes"
mkdir -p "$SCRIBA8_HIDAPI_STANDIN_NODES"
node="$SCRIBA8_HIDAPI_STANDIN_NODES/hidraw"
bus="GOOD1; BOOT2 boot; DENY3 denied; OLD4 faults=fw-main=0x00140001; MUTE5 faults=get-fail=1; HELD6"
hold "${node}5"
run list "$bus" 0 -v programmers
run list-json "$bus" 0 programmers --json
release_hold
expect_line list "^${node}0 +serial GOOD1 +normal +firmware 0x00150003 / aux 0x0104 \(8051 supported\) +\[selected\]$"
expect_line list "^${node}1 +serial BOOT2 +boot loader +runs its boot loader"
expect_line list "^${node}2 +serial DENY3 +normal +permission denied: the udev rules give access"
expect_line list "^${node}3 +serial OLD4 +normal +firmware 0x00140001 / aux 0x0104 \(8051 supported\); needs a firmware update"
expect_line list "^${node}4 +serial MUTE5 +normal +does not answer the firmware query"
expect_line list "^${node}5 +serial HELD6 +normal +in use by another process$"
# Nothing but the firmware query goes out, and only to the three that could take it.
[[ $(grep -c '^SET' "$work/list.err") -eq 3 ]] || fail "list: not three reports sent"
refuse_line list '^SET [0-9A-F]{4} 55 [0-9A-F]{2} (0[0-35-9A-F] |04 [^0]|04 0[^A])' err
json_check list-json '[p["serial"] for p in j["data"]["programmers"]] == ["GOOD1", "BOOT2", "DENY3", "OLD4", "MUTE5", "HELD6"]
    and [p["state"] for p in j["data"]["programmers"]] == ["answered", "not-queried", "denied", "answered", "no-answer", "busy"]
    and [p["selected"] for p in j["data"]["programmers"]] == [True, False, False, False, False, False]
    and [p["personality"] for p in j["data"]["programmers"]][:2] == ["normal", "boot-loader"]
    and j["data"]["programmers"][3]["mainFirmware"] == 0x00140001 and j["data"]["programmers"][3]["auxFirmware"] == 0x0104
    and j["data"]["programmers"][3]["firmwareAccepted"] is False and j["data"]["programmers"][0]["firmwareAccepted"] is True
    and j["data"]["programmers"][0]["supports8051"] is True and j["data"]["programmers"][5]["mainFirmware"] is None
    and j["data"]["programmers"][0]["path"].endswith("/nodes/hidraw0") and j["result"] == 101'

# The mark follows the selection; without one it is the first usable programmer.
programmer=usb:OLD4 run list-serial "GOOD1; OLD4" 0 programmers
expect_line list-serial "^${node}1 +serial OLD4 .*\[selected\]$"
refuse_line list-serial "^${node}0 .*\[selected\]"
programmer=usb:${node}1 run list-path "GOOD1; OLD4" 0 programmers
expect_line list-path "^${node}1 .*\[selected\]$"
programmer=usb:ELSEWHERE run list-missing "GOOD1" 0 programmers
expect_line list-missing 'names none of these programmers' err
run list-first-usable "DENY1 denied; GOOD2" 0 programmers
expect_line list-first-usable "^${node}1 +serial GOOD2 .*\[selected\]$"

run list-none "" 3 programmers --json
expect_line list-none 'No programmer found' err
json_check list-none 'j["result"] == 105 and j["data"]["programmers"] == []'
SCRIBA8_PROGRAMMER=bogus timeout 60 "$scriba8" programmers >"$work/list-bogus.out" 2>"$work/list-bogus.err"
[[ $? -eq 2 ]] || fail "list-bogus: an unknown SCRIBA8_PROGRAMMER is not a usage error"
expect_line list-bogus 'SCRIBA8_PROGRAMMER=bogus is not understood' err

# The virtual programmer, when selected, after the USB ones: its state file
# and its versions.
export SCRIBA8_VIRTUAL_STATE="$work/virtual.state"
programmer=virtual run list-virtual "GOOD1" 0 programmers --json
json_check list-virtual '[p["serial"] for p in j["data"]["programmers"]] == ["GOOD1", "virtual"]
    and [p["selected"] for p in j["data"]["programmers"]] == [False, True]
    and j["data"]["programmers"][1]["path"] == "'"$SCRIBA8_VIRTUAL_STATE"'"
    and j["data"]["programmers"][1]["virtual"] is True
    and j["data"]["programmers"][1]["mainFirmware"] == 0x00150003'
hold "$SCRIBA8_VIRTUAL_STATE.lock"
programmer=virtual run list-virtual-busy "" 0 programmers
release_hold
expect_line list-virtual-busy "^$SCRIBA8_VIRTUAL_STATE +serial virtual +normal +in use by another process +\[selected\]$"
SCRIBA8_VIRTUAL_FAULTS=fw-no8051 programmer=virtual run list-virtual-old "" 0 programmers
expect_line list-virtual-old '\(no 8051 support\); needs a firmware update'
SCRIBA8_VIRTUAL_FAULTS=absent programmer=virtual run list-virtual-absent "" 3 programmers
unset SCRIBA8_VIRTUAL_STATE

# A production run on every connected programmer: each usable one programs
# its chip and is recorded by its node and serial number; one in its boot
# loader is no programmer to run on.
run produce-all "GOOD1; BOOT2 boot; GOOD3" 0 --part $part -q produce "$examples/blinky.hex" \
    --programmer all --log "$work/all.jsonl"
python3 - "$work/all.jsonl" "$node" <<'CHECK' || fail "produce-all: the record is not one passed chip per programmer"
import json, sys
records = [json.loads(line) for line in open(sys.argv[1])]
node = sys.argv[2]
assert sorted((r["devicePath"], r["usbSerial"], r["result"]) for r in records) == \
    [(node + "0", "GOOD1", "pass"), (node + "2", "GOOD3", "pass")], records
CHECK
run produce-all-none "BOOT1 boot" 2 --part $part produce "$examples/blinky.hex" --programmer all
expect_line produce-all-none 'no USB programmer is connected' err
unset SCRIBA8_HIDAPI_STANDIN_NODES

exit $((failures > 0))
