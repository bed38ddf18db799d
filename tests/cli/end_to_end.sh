#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# End-to-end runs of the scriba8 process on the virtual programmer, each
# scenario with a programmer state file of its own.
# usage: end_to_end.sh SCRIBA8 EXAMPLES_DIR SCENARIO
set -uo pipefail
scriba8=$1
examples=$2
scenario=$3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SCRIBA8_PROGRAMMER=virtual
export SCRIBA8_VIRTUAL_STATE="$work/programmer.state"
unset SCRIBA8_VIRTUAL_FAULTS SCRIBA8_VIRTUAL_CHIP SCRIBA8_VIRTUAL_PACE
part=VS8G132
hex="$examples/blinky.hex"
failures=0

source "$(dirname "$0")/script_checks.sh"

# run NAME EXPECTED_STATUS ARGS... : output in $work/NAME.out and .err
run() {
    local name=$1 expected=$2
    shift 2
    timeout 60 "$scriba8" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null
    check_status "$name" $? "$expected" 'Sanitizer' "$@"
}

# traced NAME EXPECTED_STATUS ARGS...: run, with its transfer trace in $work/NAME.trace
traced() {
    rm -f "$work/$1.trace"
    SCRIBA8_TRACE="$work/$1.trace" run "$@"
}

case "$scenario" in
program-then-verify)
    run program 0 --part $part program "$hex"
    expect_line program '^000 - Load File =>Pass   \[[0-9]+\.[0-9]{3}"\]$'
    expect_line program '^001 - Erase =>Pass   \['
    expect_line program '^002 - Program =>Pass   \['
    expect_line program '^003 - Verify =>Pass   \['
    # A second process sees what the first one wrote.
    run verify 0 --part $part verify "$hex"
    expect_line verify '^001 - Verify =>Pass'
    printf '\x02\x00\x31' >"$work/other.bin"
    run verify-other 1 verify "$work/other.bin" --part $part --json
    expect_line verify-other '^001 - Verify =>Fail' err
    expect_line verify-other 'program the chip again' err
    json_check verify-other 'j["data"]["mismatch"]["count"] >= 1
        and j["data"]["mismatch"]["first"][0]["address"] < 3
        and len(j["data"]["mismatch"]["first"]) <= 8'
    # Over a programmed chip, without the erase: the verify says where.
    run no-erase 1 --part $part program "$work/other.bin" --no-erase
    expect_line no-erase '^002 - Verify =>Fail'
    expect_line no-erase 'bytes? differ'
    expect_line no-erase '^  0x0000000[0-2]  expected 0x[0-9A-F]{2}, read 0x[0-9A-F]{2}$'
    # With the erase (the default) the same file passes.
    run reprogram 0 --part $part program "$work/other.bin"
    run verify-reprogrammed 0 --part $part verify "$work/other.bin"
    run skip-both 0 --part $part program "$hex" --no-erase --no-verify
    refuse_line skip-both 'Erase|Verify'
    run program-again 0 --part $part program "$hex"
    # The dump, written as Intel HEX, verifies against the chip as well.
    run dump 0 --part $part dump -o "$work/dump.hex"
    run verify-dump 0 --part $part verify "$work/dump.hex"
    run checksum-language 0 --part $part --lang zh verify "$hex"
    expect_line checksum-language '^001 - 校验 =>成功'
    # The mismatch report of an erased chip: at most eight addresses, the
    # first ones, and the count of all.
    run erase-for-mismatch 0 --part $part erase
    for count in 8 9 20; do
        head -c $count /dev/zero >"$work/zeros$count.bin"
        run mismatch-$count 1 --part $part verify "$work/zeros$count.bin"
        shown=$((count < 8 ? count : 8))
        [[ $(grep -Ec '^  0x[0-9A-F]{8}  expected 0x00, read 0xFF$' "$work/mismatch-$count.out") -eq $shown ]] ||
            fail "mismatch-$count: not $shown addresses listed"
        expect_line mismatch-$count "^  0x0000000$((shown - 1))  expected"
        if [[ $count -gt 8 ]]; then
            expect_line mismatch-$count "^$count bytes differ; the first 8:$"
        else
            expect_line mismatch-$count "^$count bytes differ:$"
        fi
        run mismatch-$count-json 1 --json --part $part verify "$work/zeros$count.bin"
        json_check mismatch-$count-json "j['data']['mismatch']['count'] == $count
            and [m['address'] for m in j['data']['mismatch']['first']] == list(range($shown))
            and all(m['expected'] == 0 and m['read'] == 255 for m in j['data']['mismatch']['first'])"
    done
    ;;

stops-at-first-failure)
    # Every command of several steps ends at its first failed step: the
    # trace shows that no later export ran, the log that none was reported.
    # Erase is 02/01, Program 05/01, a Flash read 06/01, Write Options 05/02,
    # Read Options 06/02, Whole-Chip Erase 02/02 with its option write.
    SCRIBA8_VIRTUAL_FAULTS=status=02/01:1 traced program-erase-fails 1 --part $part program "$hex"
    expect_exports program-erase-fails '02/01'
    refuse_line program-erase-fails 'Program|Verify'
    SCRIBA8_VIRTUAL_FAULTS=status=05/01:1 traced program-fails 7 --part $part program "$hex"
    expect_exports program-fails '02/01 05/01'
    refuse_line program-fails 'Verify'
    traced program-passes 0 --part $part program "$hex"
    expect_exports program-passes '02/01 05/01 06/01'
    # The second report read is the options': refused, so nothing is written.
    SCRIBA8_VIRTUAL_FAULTS=get-fail=2 traced from-chip-fails 4 --part $part write-options --from-chip --bit LOCK=off
    expect_exports from-chip-fails '06/02'
    refuse_line from-chip-fails 'Write Options|written'
    traced from-chip-passes 0 --part $part write-options --from-chip --bit LOCK=off
    expect_exports from-chip-passes '06/02 05/02'

    SCRIBA8_VIRTUAL_FAULTS=status=05/01:1 traced auto 7 --part $part auto "$hex"
    expect_exports auto '02/02+05/02 06/01 05/01'
    expect_line auto '^001 - Auto ======>Start$'
    expect_line auto '^       WholeChip Erase =>Pass'
    expect_line auto '^       Program =>Checksum error'
    refuse_line auto 'Verify'
    refuse_line auto 'Write Options'
    expect_line auto '^         Auto ======>End$'
    # A failed verify ends it too: what follows is only the read-back that
    # says where the chip differs, never the option write.
    printf '\x02\x00\x31' >"$work/other.bin"
    traced auto-verify-fails 1 --part $part auto "$work/other.bin" --steps verify,write-options
    [[ $(trace_exports "$work/auto-verify-fails.trace") == '06/01 '* ]] || fail "auto-verify-fails: no verify"
    grep -q '05/02' <(trace_exports "$work/auto-verify-fails.trace") && fail "auto-verify-fails: options written"
    refuse_line auto-verify-fails 'Write Options'
    # The same sequence without the fault runs every default step.
    run auto-clean 0 --part $part auto "$hex" --steps default
    for step in 'WholeChip Erase' 'Blank Check' 'Program' 'Verify' 'Write Options'; do
        expect_line auto-clean "^       $step =>Pass"
    done
    run auto-steps 0 --part $part auto "$hex" --steps verify
    refuse_line auto-steps 'Program'
    ;;

exit-status)
    SCRIBA8_VIRTUAL_FAULTS=absent run no-programmer 3 --part $part erase
    expect_line no-programmer '^000 - Erase =>Connect error'
    # The virtual programmer is the one selected: the advice does not send
    # the user to USB cables.
    expect_line no-programmer 'The virtual programmer could not be used' err
    run unknown-part 2 --part VS8G13 erase
    expect_line unknown-part 'did you mean VS8G132' err
    run no-part 2 erase
    run bad-option 2 --part $part write-options --option ISP_SIZE=3.3k
    expect_line bad-option 'ISP_SIZE of VS8G132 can be 0, 0.5k' err
    run unknown-flag 2 --part $part erase --frobnicate
    run lower-case-part 0 --part vs8g132 check-id
    # A selection that is not understood never falls back to some programmer.
    SCRIBA8_PROGRAMMER=virtaul run unknown-programmer 2 --part $part check-id
    expect_line unknown-programmer 'SCRIBA8_PROGRAMMER=virtaul is not understood' err
    run bad-programmer-option 2 --programmer usb: --part $part check-id
    run typo-command 2 --part $part prgram "$hex"
    expect_line typo-command 'did you mean program\?' err
    run twice 2 --part $part write-options --option ISP_SIZE=1k --option ISP_SIZE=1.5k
    expect_line twice 'ISP_SIZE is given twice' err
    run bit-word 2 --part $part write-options --bit LOCK=yes
    run empty-steps 2 --part $part auto "$hex" --steps ""
    run empty-step 2 --part $part auto "$hex" --steps erase,,program
    run checksum-alone 2 --part $part auto "$hex" --steps program,save-checksum
    expect_line checksum-alone 'needs write-options' err
    run eeprom-blank 2 --part VS8K116 auto "$hex" --steps erase,eeprom-program
    expect_line eeprom-blank 'eeprom-file' err
    run no-subcommand 2
    run missing-file 8 --part $part program "$work/missing.hex"
    expect_line missing-file '^000 - Load File =>Open file error'
    head -c 40000 /dev/zero >"$work/big.bin"
    run too-large 8 --part $part program "$work/big.bin"
    # The erase status that never comes is a transfer failure, not a bad chip.
    SCRIBA8_VIRTUAL_FAULTS=no-reply=02/01 run status-timeout 4 --part $part erase
    expect_line status-timeout '^000 - Erase =>Status read error'
    # A write whose status reply never comes, or answers another command:
    # the library can only say Fail, but for the user it is a USB fault.
    SCRIBA8_VIRTUAL_FAULTS=no-reply=05/01 run program-no-reply 4 --part $part program "$hex"
    expect_line program-no-reply '^002 - Program =>Fail'
    expect_line program-no-reply 'stopped answering: unplug' err
    SCRIBA8_VIRTUAL_FAULTS=wrong-tag=05/02 run options-wrong-tag 4 --json --part $part write-options
    json_check options-wrong-tag 'j["result"] == 102 and j["exitStatus"] == 4
        and "answered another command" in j["message"] and "no other program" in j["advice"]'
    # -v and a trace file of the user's own still get every report.
    SCRIBA8_VIRTUAL_FAULTS=no-reply=05/01 run verbose 4 -v --part $part program "$hex"
    expect_line verbose '^TIMEOUT 0001 ' err
    SCRIBA8_TRACE="$work/own.trace" run own-trace 0 --part $part check-id
    grep -q '^SET 0001 55' "$work/own.trace" || fail "own-trace: no SET line in the trace file"
    SCRIBA8_VIRTUAL_FAULTS=locked run locked 6 --part $part check-id
    run locked-erase 0 --part $part whole-chip-erase
    # The firmware question: no terminal answers no, and nothing waits.
    rm -f "$SCRIBA8_VIRTUAL_STATE"
    SCRIBA8_VIRTUAL_FAULTS=fw-main=0x00140001 run old-firmware 5 --part $part check-id
    expect_line old-firmware 'Answered no' err
    SCRIBA8_VIRTUAL_FAULTS=fw-main=0x00140001 run declined 5 --no --part $part check-id
    # An image with the old version: --yes must not re-flash for ever.
    mkdir -p "$work/images"
    python3 -c 'import sys; sys.stdout.buffer.write(b"S8FW\x01\x01\x00\x14\x00\x01" + bytes(22386))' \
        >"$work/images/FWCODE_3000.bin"
    SCRIBA8_RESOURCE_DIR="$work/images" SCRIBA8_VIRTUAL_FAULTS=fw-main=0x00140001 \
        run same-old-firmware 5 --yes --part $part check-id
    expect_line same-old-firmware 'still reports the same version mismatch' err
    expect_line same-old-firmware 'FWCODE_3000.bin' err
    [[ $(grep -c 'Do you want to update' "$work/same-old-firmware.err") -eq 1 ]] ||
        fail "same-old-firmware: the question should come once"
    # The old firmware stays in the saved state: start a new programmer.
    rm -f "$SCRIBA8_VIRTUAL_STATE"
    run no-offline 9 offline read
    run help 0 --help
    expect_line help '^  3  no programmer found'
    run subcommand-help 0 auto --help
    expect_line subcommand-help '--steps'
    ;;

json)
    run check-id 0 --json --part $part check-id
    json_check check-id 'j["command"] == "check-id" and j["result"] == 101 and j["ok"] is True
        and j["exitStatus"] == 0 and j["message"] == "Pass"
        and isinstance(j["elapsedMs"], int) and j["chip"]["name"] == "VS8G132"
        and j["chip"]["flashSize"] == 32768 and isinstance(j["data"], dict)'
    # The log moves to stderr so that stdout stays one object.
    expect_line check-id '^000 - Check ID =>Pass' err
    run write 0 --part $part write-options --option ISP_SIZE=2k --bit LOCK=off --json
    run read 0 --part $part read-options --json
    json_check read 'j["data"]["options"]["items"]["ISP_SIZE"] == "2.0k"
        and j["data"]["options"]["bits"]["LOCK"] is False
        and j["data"]["options"]["bits"]["BO0REO"] is True'
    # With save-checksum the options carry the file's chip checksum.
    run save-checksum 0 --part $part auto "$hex" --steps erase,program,write-options,save-checksum
    run checksum 0 --part $part checksum --json
    json_check checksum 'j["data"]["chipChecksum"] == 0x6477'
    run auto 0 --part $part auto "$hex" --steps erase,program,verify --json
    json_check auto '[s["step"] for s in j["data"]["steps"]] == ["erase", "program", "verify"]
        and all(s["result"] == 101 for s in j["data"]["steps"])
        and j["data"]["file"]["length"] == 99'
    SCRIBA8_VIRTUAL_FAULTS=absent run failed 3 --part $part erase --json
    json_check failed 'j["result"] == 105 and j["ok"] is False and j["exitStatus"] == 3
        and "virtual programmer" in j["advice"] and j["message"] == "Connect error"'
    run usage 2 --part NOPE erase --json
    json_check usage 'j["result"] is None and j["exitStatus"] == 2 and "NOPE" in j["message"]'
    # Mistakes CLI11 finds come as JSON too.
    run usage-command 2 --json frobnicate
    json_check usage-command 'j["exitStatus"] == 2 and j["ok"] is False and "frobnicate" in j["message"]'
    run usage-file 2 --part $part program --json
    json_check usage-file 'j["exitStatus"] == 2 and "FILE" in j["message"]'
    # --from-chip changes one option and keeps the rest as the chip has them.
    run isp-first 0 --part $part write-options --option ISP_SIZE=1.5k --bit LOCK=off
    run from-chip 0 --part $part write-options --from-chip --bit BO0REO=off
    run after-from-chip 0 --part $part read-options --json
    json_check after-from-chip 'j["data"]["options"]["items"]["ISP_SIZE"] == "1.5k"
        and j["data"]["options"]["bits"]["BO0REO"] is False'
    run defaults 0 --part $part write-options --bit BO0REO=off
    run after-defaults 0 --part $part read-options --json
    json_check after-defaults 'j["data"]["options"]["items"]["ISP_SIZE"] != "1.5k"'
    run parts 0 parts VS8E --json
    json_check parts 'len(j["data"]["parts"]) > 1
        and all("VS8E" in p["name"] for p in j["data"]["parts"])'
    ;;

projects)
    run save 0 --part $part project save "$hex" -o "$work/blinky.vlx" \
        --option ISP_SIZE=1.5k --bit HWBS=on --steps erase,program,verify
    expect_line save '^001 - Save VLX =>Pass'
    run show 0 project show "$work/blinky.vlx"
    expect_line show 'Part +VS8G132'
    expect_line show 'Code file +blinky.hex'
    expect_line show 'Auto steps +erase,program,verify'
    expect_line show 'ISP_SIZE +1.5k'
    expect_line show 'HWBS +on'
    # The project names the part and its steps.
    run auto 0 auto "$work/blinky.vlx"
    expect_line auto '^       Verify =>Pass'
    refuse_line auto 'Blank Check'
    run mismatch 2 --part VS8A108 auto "$work/blinky.vlx"
    run extract 0 project load "$work/blinky.vlx" -o "$work/code.bin"
    cmp -s "$work/code.bin" <(head -c 99 "$work/code.bin") || fail "extract: unexpected length"
    [[ $(stat -c %s "$work/code.bin") -eq 99 ]] || fail "extract: 99 bytes expected"
    printf 'garbage' >"$work/bad.vlx"
    run damaged 8 project show "$work/bad.vlx"
    expect_line damaged '^000 - Load File =>VLX file checksum error'
    run isp 0 --part $part isp-insert "$hex" -o "$work/with-isp.hex"
    expect_line isp '^001 - Insert ISP-code =>Pass'
    expect_line isp 'write-options --option ISP_SIZE=[0-9.]+k --bit HWBS=on'
    # Code under the ISP area or the serial block is kept unless --force.
    head -c 32768 /dev/zero >"$work/full.bin"
    run isp-over-code 2 --part $part isp-insert "$work/full.bin" -o "$work/isp-over.bin"
    expect_line isp-over-code 'overwrite .* at 0x00007[0-9A-F]{3}-0x00007[0-9A-F]{3}' err
    [[ ! -e "$work/isp-over.bin" ]] || fail "isp-over-code: wrote the image anyway"
    run isp-forced 0 --part $part isp-insert "$work/full.bin" -o "$work/isp-over.bin" --force
    run serial-over-code 2 --part $part offline download "$hex" --serial --serial-address 0x30
    expect_line serial-over-code 'would overwrite code at 0x00000030-0x0000003F' err
    run serial-forced 0 --part $part offline download "$hex" --serial --serial-address 0x30 --force
    run offline 0 --part $part offline download "$hex" --max-count 10
    run offline-read 0 offline read
    expect_line offline-read 'Counter +0 of 10'
    ;;

damaged-files)
    # A chip programmed with good code, and its contents as a reference.
    run program 0 --part $part program "$hex"
    run before 0 --part $part dump -o "$work/before.bin"
    # Record 3 of 6 with a wrong checksum: nothing of the file is used.
    sed '3s/00AA/00AB/' "$hex" >"$work/bad.hex"
    for command in program auto verify; do
        run "bad-$command" 8 --part $part $command "$work/bad.hex"
        expect_line "bad-$command" "^000 - Load File =>Open file error \\(.*bad.hex: line 3: checksum error\\)"
        refuse_line "bad-$command" '(Program|Erase|Verify) =>'
    done
    run bad-project 8 --part $part project save "$work/bad.hex" -o "$work/bad.vlx"
    [[ ! -e "$work/bad.vlx" ]] || fail "bad-project: a project was written"
    run bad-json 8 --json --part $part program "$work/bad.hex"
    json_check bad-json 'j["result"] == 114 and "line 3: checksum error" in j["message"]'
    # A record whose ':' was lost, two files joined with cat, a NUL byte:
    # refused with the line, never programmed without the missing bytes.
    sed '3s/^://' "$hex" >"$work/colon.hex"
    run colon 8 --part $part program "$work/colon.hex"
    expect_line colon "colon.hex: line 3: not an Intel HEX record \\(a record line starts with ':'\\)"
    refuse_line colon '(Program|Erase|Verify) =>'
    cat "$hex" "$hex" >"$work/joined.hex"
    run joined 8 --part $part program "$work/joined.hex"
    expect_line joined "joined.hex: line $(($(wc -l <"$hex") + 1)): more after the end-of-file record"
    { head -n 2 "$hex"; printf '\0'; tail -n +3 "$hex"; } >"$work/nul.hex"
    run nul 8 --part $part program "$work/nul.hex"
    expect_line nul 'nul.hex: line 3: NUL byte'
    printf ':02800000AABB19\r\n:00000001FF\r\n' >"$work/beyond.hex"
    run beyond 8 --part $part program --absolute "$work/beyond.hex"
    expect_line beyond 'beyond.hex: highest address 0x8001; 2 bytes from 0x8000 do not fit in the 32768-byte buffer'
    # Every project and ISP file problem names the file and its cause, and
    # the advice fits the cause: a damaged file is not a matter of its name.
    expect_line colon 'The file is damaged: make it again' err
    : >"$work/empty.vlx"
    run empty-project 8 project show "$work/empty.vlx"
    expect_line empty-project 'empty.vlx: the file is empty\)'
    expect_line empty-project 'The file is damaged' err
    head -c 300 /dev/urandom >"$work/noise.vlx"
    run noise-project 8 project show "$work/noise.vlx"
    expect_line noise-project 'noise.vlx: the file is damaged or cut short'
    run save-for-cut 0 --part $part project save "$hex" -o "$work/whole.vlx"
    head -c 100 "$work/whole.vlx" >"$work/cut.vlx"
    run cut-project 8 project show "$work/cut.vlx"
    expect_line cut-project 'cut.vlx: the file is (damaged or )?cut short'
    : >"$work/empty-isp.bin"
    run empty-isp 8 --part $part isp-insert "$hex" --isp-file "$work/empty-isp.bin" -o "$work/isp.bin"
    expect_line empty-isp 'empty-isp.bin: the file is empty\)'
    sed '2s/^://' "$hex" >"$work/isp-colon.hex"
    run damaged-isp 8 --part $part isp-insert "$hex" --isp-file "$work/isp-colon.hex" -o "$work/isp.bin"
    expect_line damaged-isp 'isp-colon.hex: the file is damaged'
    run missing-isp 8 --part $part isp-insert "$hex" --isp-file "$work/none.bin" -o "$work/isp.bin"
    expect_line missing-isp 'none.bin: no such file or folder\)'
    expect_line missing-isp 'check its name' err
    [[ ! -e "$work/isp.bin" ]] || fail "a failed isp-insert wrote its output"
    # The virtual programmer is already selected: its own trouble is not
    # met with advice to select it.
    cp "$SCRIBA8_VIRTUAL_STATE" "$work/good.state"
    echo garbage >"$SCRIBA8_VIRTUAL_STATE"
    run damaged-state 3 --part $part check-id
    expect_line damaged-state 'state file .* is damaged' err
    expect_line damaged-state 'The virtual programmer could not be used' err
    refuse_line damaged-state 'run with --programmer virtual' err
    cp "$work/good.state" "$SCRIBA8_VIRTUAL_STATE"
    head -n 5 "$hex" >"$work/no-end.ihx"
    run no-end 8 --part $part program "$work/no-end.ihx"
    expect_line no-end 'no-end.ihx: no end-of-file record'
    : >"$work/empty.bin"
    run empty 8 --part $part program "$work/empty.bin"
    expect_line empty 'empty.bin: the file is empty'
    run empty-zh 8 --lang zh --part $part program "$work/empty.bin"
    expect_line empty-zh 'empty.bin: 文件是空的'
    # A named pipe is refused at once, as code, ISP code and project file.
    mkfifo "$work/pipe.hex" "$work/pipe.vlx"
    run pipe 8 --part $part program "$work/pipe.hex"
    expect_line pipe 'pipe.hex: not a regular file'
    run pipe-project 8 project show "$work/pipe.vlx"
    run pipe-isp 8 --part $part isp-insert "$hex" --isp-file "$work/pipe.hex" -o "$work/isp.bin"
    # An end-of-file-only ISP file would make the chip boot into nothing.
    printf ':00000001FF\r\n' >"$work/eof.hex"
    run isp-no-data 8 --part $part isp-insert "$hex" --isp-file "$work/eof.hex" -o "$work/isp.bin"
    [[ ! -e "$work/isp.bin" ]] || fail "isp-no-data: an image was written"
    run after 0 --part $part dump -o "$work/after.bin"
    cmp -s "$work/before.bin" "$work/after.bin" || fail "the virtual chip changed"

    # Code linked above 0: placed at the load offset with a warning, or at
    # its own address with --absolute.
    printf ':020100000102FA\r\n:00000001FF\r\n' >"$work/high.hex"
    run high 0 --part $part program "$work/high.hex"
    expect_line high 'high.hex: the HEX data start at 0x100 .*--absolute' err
    run absolute 0 --part $part program --absolute "$work/high.hex"
    refuse_line absolute 'warning'
    run absolute-dump 0 --part $part dump -o "$work/absolute.bin"
    [[ $(od -An -tx1 -j256 -N2 "$work/absolute.bin" | tr -d ' ') == 0102 ]] ||
        fail "absolute: the bytes are not at 0x100"
    run absolute-offset 2 --part $part program --absolute --offset 4 "$work/high.hex"
    printf ':02000000AABB99\r\n:0100010001FD\r\n:00000001FF\r\n' >"$work/overlap.hex"
    run overlap 0 --part $part program "$work/overlap.hex"
    expect_line overlap 'warning: .*overlap.hex: records overlap with different bytes at 0x1' err

    # What scriba8 writes loads back unchanged, as HEX and as binary.
    for name in dump.hex dump.ihx dump.ihex dump.bin; do
        run "write-$name" 0 --part $part dump -o "$work/$name"
        run "read-$name" 0 --part $part verify "$work/$name"
    done
    ;;

gang)
    # Four virtual programmers at once, each with a state of its own.
    states=()
    for n in 1 2 3 4; do states+=("virtual:$work/gang$n.state"); done
    SCRIBA8=$scriba8 GANG_LOGS="$work/logs" timeout 120 bash "$scripts/gang.sh" "${states[@]}" \
        -- --part $part program "$hex" >"$work/gang.out" 2>&1 || fail "gang: a programmer failed"
    expect_line gang '^4 programmer\(s\), 0 failed$'
    for n in 1 2 3 4; do
        grep -q '^003 - Verify =>Pass' "$work/logs/virtual__"*"gang$n.state.log" ||
            fail "gang: no verify in the log of programmer $n"
        SCRIBA8_VIRTUAL_STATE="$work/gang$n.state" run verify-gang$n 0 --part $part verify "$hex"
    done
    # One programmer named twice, or two names for one log: nothing runs.
    for pair in "virtual:$work/twice.state virtual:$work/twice.state" \
                "usb:A/B usb:A_B"; do
        SCRIBA8=$scriba8 GANG_LOGS="$work/logs2" timeout 60 bash "$scripts/gang.sh" $pair \
            -- --part $part program "$hex" >"$work/gang-refused.out" 2>&1
        [[ $? -eq 2 ]] || fail "gang $pair: not refused"
        grep -Eq 'named twice|would share the log' "$work/gang-refused.out" || fail "gang $pair: no reason"
    done
    [[ ! -e "$work/twice.state" && ! -e "$work/logs2" || -z "$(ls "$work/logs2")" ]] ||
        fail "gang: a refused gang ran something"
    # Every run's status is its own.
    printf 'bad' >"$work/gang-bad.state"
    SCRIBA8=$scriba8 GANG_LOGS="$work/logs3" timeout 120 bash "$scripts/gang.sh" \
        "virtual:$work/gang-good.state" "virtual:$work/gang-bad.state" \
        -- --part $part check-id >"$work/gang-mixed.out" 2>&1
    [[ $? -eq 1 ]] || fail "gang mixed: exit status 1 expected"
    expect_line gang-mixed "gang-good.state +pass"
    expect_line gang-mixed "gang-bad.state +exit 3"
    # Two processes on one programmer take turns export by export: the dump
    # sees the chip before or after the whole write, and the write is not lost.
    run erase-shared 0 --part $part erase
    export SCRIBA8_VIRTUAL_PACE=real
    printf '\x5A%.0s' $(seq 1 20000) >"$work/a.bin"
    timeout 120 "$scriba8" --part $part program --no-erase --no-verify "$work/a.bin" \
        >"$work/writer.out" 2>&1 &
    writer=$!
    sleep 0.2
    timeout 120 "$scriba8" --part $part dump -o "$work/during.bin" >"$work/reader.out" 2>&1 ||
        fail "shared: the dump failed: $(cat "$work/reader.out")"
    wait $writer || fail "shared: the program failed: $(cat "$work/writer.out")"
    python3 - "$work/during.bin" <<'PY' || fail "shared: the dump saw half a write"
import sys
data = open(sys.argv[1], "rb").read()[:20000]
assert data in (b"\xff" * 20000, b"\x5a" * 20000), sorted(set(data))
PY
    unset SCRIBA8_VIRTUAL_PACE
    run verify-shared 0 --part $part verify "$work/a.bin"
    ;;

one-programmer-one-command)
    # Eight runs on one programmer at once, each with its own image: each
    # holds the programmer from its erase to its verify, so all pass and the
    # chip holds exactly one image, never two ANDed together.
    export SCRIBA8_VIRTUAL_PACE=real
    runners=()
    for n in 1 2 3 4 5 6 7 8; do
        head -c 2048 /dev/urandom >"$work/image$n.bin"
        timeout 120 "$scriba8" --part $part --no-progress program "$work/image$n.bin" \
            >"$work/parallel$n.out" 2>&1 &
        runners+=($!)
    done
    for n in 1 2 3 4 5 6 7 8; do
        wait "${runners[$((n - 1))]}" || fail "parallel $n: $(grep -E 'Fail|differ' "$work/parallel$n.out")"
    done
    unset SCRIBA8_VIRTUAL_PACE
    run dump-after 0 --part $part dump -o "$work/after.bin"
    matches=0
    for n in 1 2 3 4 5 6 7 8; do
        cmp -s -n 2048 "$work/after.bin" "$work/image$n.bin" && matches=$((matches + 1))
    done
    [[ $matches -eq 1 ]] || fail "parallel: the chip matches $matches of the eight images"

    # A programmer still in use: --wait-timeout 0 does not wait, a limit
    # waits that long; either way nothing is done and the exit class says why.
    export SCRIBA8_VIRTUAL_PACE=real
    head -c 30000 /dev/urandom >"$work/long.bin"
    timeout 120 "$scriba8" --part $part --no-progress program "$work/long.bin" >"$work/long.out" 2>&1 &
    holder=$!
    sleep 0.3
    run busy-now 10 --part $part --wait-timeout 0 erase
    refuse_line busy-now 'Erase'
    expect_line busy-now 'in use by another process' err
    run busy-limit 10 --part $part --wait-timeout 0.3 --json erase
    json_check busy-limit 'j["exitStatus"] == 10 and j["result"] == 126 and not j["ok"]'
    run busy-zh 10 --lang zh --part $part --wait-timeout 0 erase
    expect_line busy-zh '正被另一个进程使用' err
    # Ctrl-C while waiting cancels at once: the erase never runs.
    "$scriba8" --part $part --lang zh erase >"$work/waiting.out" 2>"$work/waiting.err" &
    waiter=$!
    for _ in $(seq 1 100); do grep -q '等待' "$work/waiting.err" && break; sleep 0.05; done
    expect_line waiting '正在等待其空闲' err
    kill -INT $waiter
    wait $waiter
    status=$?
    [[ $status -eq 130 ]] || fail "waiting: exit status $status, expected 130"
    refuse_line waiting '擦除|Erase'
    expect_line waiting '在等待编程器时被中断' err
    wait $holder || fail "the holder failed: $(cat "$work/long.out")"
    unset SCRIBA8_VIRTUAL_PACE
    run long-intact 0 --part $part verify "$work/long.bin"

    # A selection nobody understands is a usage error, from the option or
    # the environment; the option wins over the environment.
    SCRIBA8_PROGRAMMER=bogus run env-bogus 2 --part $part check-id
    expect_line env-bogus 'SCRIBA8_PROGRAMMER=bogus is not understood' err
    SCRIBA8_PROGRAMMER=bogus run option-wins 0 --programmer virtual --part $part check-id
    # Both understood: the run takes the option's programmer, not the other.
    SCRIBA8_PROGRAMMER="virtual:$work/from-environment.state" run option-over-environment 0 \
        --programmer "virtual:$work/from-option.state" --part $part erase
    [[ -e "$work/from-option.state" && ! -e "$work/from-environment.state" ]] ||
        fail "option-over-environment: the environment's programmer was used"
    run wait-bogus 2 --part $part --wait-timeout soon check-id
    ;;
interrupt)
    # Ctrl-C while a paced program writes: the write finishes, the verify
    # does not start, and the exit status says it was interrupted.
    export SCRIBA8_VIRTUAL_PACE=real
    printf '\x3C%.0s' $(seq 1 30000) >"$work/c.bin"
    run erase-first 0 --part $part erase
    "$scriba8" --part $part program --no-erase "$work/c.bin" >"$work/stopped.out" 2>"$work/stopped.err" &
    program=$!
    sleep 0.3
    kill -INT $program
    wait $program
    status=$?
    [[ $status -eq 130 ]] || fail "stopped: exit status $status, expected 130"
    expect_line stopped '^001 - Program =>Pass'
    refuse_line stopped 'Verify'
    expect_line stopped 'interrupted' err
    unset SCRIBA8_VIRTUAL_PACE
    run consistent 0 --part $part verify "$work/c.bin"

    # The same for auto: a signal while the program step runs lets that step
    # finish and starts no other. A second signal ends the process at once,
    # killed by that signal, before the step finishes.
    export SCRIBA8_VIRTUAL_PACE=real
    for signals in INT TERM "TERM TERM"; do
        name=auto-${signals// /-}
        rm -f "$work/$name.trace"
        SCRIBA8_TRACE="$work/$name.trace" "$scriba8" --part $part --no-progress auto "$work/c.bin" \
            --steps erase,program,verify,write-options >"$work/$name.out" 2>"$work/$name.err" &
        auto=$!
        # Once the program command is out, the step takes about a second.
        for _ in $(seq 1 200); do
            grep -Eq '^SET [0-9A-F]{4} 55 [0-9A-F]{2} 05 01 ' "$work/$name.trace" 2>/dev/null && break
            sleep 0.02
        done
        for signal in $signals; do kill -$signal $auto; sleep 0.1; done
        wait $auto
        status=$?
        expect_exports $name '02/01 05/01'
        if [[ $signals == *" "* ]]; then
            [[ $status -eq 143 ]] || fail "$name: exit status $status, expected 143 (killed by SIGTERM)"
            refuse_line $name 'Program =>'
        else
            [[ $status -eq 130 ]] || fail "$name: exit status $status, expected 130"
            expect_line $name '^       Program =>Pass'
            refuse_line $name 'Verify|Write Options'
        fi
    done
    unset SCRIBA8_VIRTUAL_PACE
    # A dump stopped midway leaves no output file.
    export SCRIBA8_VIRTUAL_PACE=real
    "$scriba8" --part $part dump -o "$work/half.hex" >"$work/dump.out" 2>&1 &
    dump=$!
    sleep 0.3
    kill -TERM $dump
    wait $dump
    status=$?
    [[ $status -eq 130 ]] || fail "dump: exit status $status, expected 130"
    [[ ! -e "$work/half.hex" ]] || fail "dump: an output file was left"
    ls "$work" | grep -q '^half\.hex' && fail "dump: a temporary file was left"
    unset SCRIBA8_VIRTUAL_PACE
    ;;

outputs-and-state)
    run program 0 --part $part program "$hex"
    run dump 0 --part $part dump -o "$work/dump.bin"
    # -o - is standard output: the data alone, the log on standard error.
    timeout 60 "$scriba8" --part $part dump -o - >"$work/stdout.bin" 2>"$work/stdout.err" ||
        fail "dump -o -: exit status $?"
    cmp -s "$work/dump.bin" "$work/stdout.bin" || fail "dump -o -: not the dumped bytes"
    grep -q '^001 - Save Buffer =>Pass' "$work/stdout.err" || fail "dump -o -: no log on stderr"
    run stdout-json 2 --json --part $part dump -o -
    # Output that never arrives is a failure.
    timeout 60 "$scriba8" --part $part dump -o - >/dev/full 2>"$work/full.err"
    [[ $? -eq 8 ]] || fail "dump -o - >/dev/full: exit status 8 expected"
    grep -q 'no space left on the device' "$work/full.err" || fail "/dev/full: no reason given"
    timeout 60 "$scriba8" parts VS8G132 >/dev/full 2>"$work/full-parts.err"
    [[ $? -eq 8 ]] || fail "parts >/dev/full: exit status 8 expected"
    grep -q 'cannot write to standard output' "$work/full-parts.err" || fail "/dev/full: no message"
    for words in --help --version "program --help"; do
        timeout 60 "$scriba8" $words >/dev/full 2>"$work/full-help.err"
        [[ $? -ne 0 ]] || fail "$words >/dev/full: succeeded"
        grep -q 'cannot write to standard output' "$work/full-help.err" || fail "$words: no message"
    done
    # A closed standard output is never taken for a file of the tool's own:
    # the dump once went into the transfer trace and the run passed.
    timeout 60 "$scriba8" --part $part dump -o - >&- 2>"$work/closed.err"
    [[ $? -eq 8 ]] || fail "dump -o - >&-: exit status 8 expected"
    grep -q 'standard output: closed' "$work/closed.err" || fail ">&-: no reason given"
    timeout 60 "$scriba8" --part $part checksum >&- 2>"$work/closed-log.err"
    [[ $? -eq 8 ]] || fail "checksum >&-: exit status 8 expected"
    timeout 60 "$scriba8" --part $part -v checksum 2>&- >"$work/closed-err.out" ||
        fail "checksum 2>&-: a closed standard error failed the run"
    # A pipe nobody reads is refused at once instead of waiting for a reader.
    mkfifo "$work/unread"
    run unread 8 --part $part dump -o "$work/unread"
    expect_line unread 'unread: no process reads this pipe'
    refuse_line unread '^Flash'
    # A read-only output stays as it was, even for root, unless --force.
    printf 'keep' >"$work/read-only.bin"
    chmod 444 "$work/read-only.bin"
    run read-only 8 --part $part dump -o "$work/read-only.bin"
    expect_line read-only 'read-only.bin: permission denied'
    refuse_line read-only '^Flash'
    [[ $(cat "$work/read-only.bin") == keep ]] || fail "read-only: the file changed"
    run read-only-isp 8 --part $part isp-insert "$hex" -o "$work/read-only.bin"
    refuse_line read-only-isp 'Write them with'
    run read-only-forced 0 --part $part dump -o "$work/read-only.bin" --force
    cmp -s "$work/dump.bin" "$work/read-only.bin" || fail "read-only --force: not replaced"
    [[ ! -w "$work/read-only.bin" || $(id -u) -eq 0 ]] || fail "read-only --force: permissions lost"
    [[ $(stat -c %a "$work/read-only.bin") == 444 ]] || fail "read-only --force: permissions changed"
    # Quiet drops the log, not the answer.
    run quiet-checksum 0 -q --part $part checksum
    expect_line quiet-checksum '^0x[0-9A-F]{4}$'
    run quiet-options 0 -q --part $part read-options
    expect_line quiet-options '^  LOCK +o(n|ff)$'
    refuse_line quiet-options ' - Read Options'
    run quiet-program 0 -q --part $part program "$hex"
    [[ ! -s "$work/quiet-program.out" ]] || fail "quiet program printed its log"
    # Devices are written, not replaced; links stay links.
    run dev-null 0 --part $part dump -o /dev/null
    [[ -c /dev/null ]] || fail "/dev/null is no longer a device"
    mkdir "$work/real"
    ln -s real/target.bin "$work/link.bin"
    run link 0 --part $part dump -o "$work/link.bin"
    [[ -L "$work/link.bin" ]] || fail "link: the link was replaced"
    cmp -s "$work/dump.bin" "$work/real/target.bin" || fail "link: the target was not written"
    run missing-folder 8 --part $part dump -o "$work/missing/out.bin"
    expect_line missing-folder 'Save file error \(.*missing/out.bin: no such file or folder\)'
    run missing-folder-zh 8 --lang zh --part $part dump -o "$work/missing/out.bin"
    expect_line missing-folder-zh '保存文件错误 \(.*missing/out.bin: 文件或文件夹不存在\)'
    # An output may not overwrite an input.
    cp "$hex" "$work/code.hex"
    run same-project 8 --part $part project save "$work/code.hex" -o "$work/code.hex"
    run same-isp 8 --part $part isp-insert "$work/code.hex" -o "$work/code.hex"
    ln -s code.hex "$work/alias.hex"
    run same-alias 8 --part $part isp-insert "$work/code.hex" -o "$work/alias.hex"
    cmp -s "$hex" "$work/code.hex" || fail "an input file was overwritten"
    run project-missing-folder 8 --part $part project save "$hex" -o "$work/missing/p.vlx"
    expect_line project-missing-folder 'missing/p.vlx: no such file or folder'
    # Texts stored into chips are in the project code page.
    run serial 0 --part $part offline download "$hex" --serial --serial-string "编号" --max-count 1
    run serial-read 0 offline read
    expect_line serial-read '编号'
    run serial-long 2 --part $part offline download "$hex" --serial --serial-string "一二三四五六七"

    # A damaged state is refused and kept; one that cannot be saved fails.
    printf 'garbage' >"$work/damaged.state"
    SCRIBA8_VIRTUAL_STATE="$work/damaged.state" run damaged-state 3 --part $part erase
    expect_line damaged-state 'damaged.state is damaged' err
    [[ $(cat "$work/damaged.state") == garbage ]] || fail "damaged state: the file changed"
    # One wrong line is named: here the chip's Flash, one byte short.
    sed 's/^\(flash [0-9A-F]*\)[0-9A-F][0-9A-F]$/\1/' "$SCRIBA8_VIRTUAL_STATE" >"$work/short.state"
    SCRIBA8_VIRTUAL_STATE="$work/short.state" run short-state 3 --part $part erase
    expect_line short-state 'short.state is damaged \(its "flash" line is missing or wrong\)' err
    ln -s missing/programmer.state "$work/unsavable.state"
    SCRIBA8_VIRTUAL_STATE="$work/unsavable.state" run unsavable-state 1 --part $part erase
    expect_line unsavable-state 'cannot save the state file' err
    ;;

language)
    # --lang zh anywhere on the command line: usage errors, help and the
    # part tables in Chinese; English stays as it was.
    run unknown-zh 2 --lang zh prgram
    expect_line unknown-zh '^scriba8: 未知的子命令 "prgram"；您是指 program 吗？$' err
    expect_line unknown-zh '^使用 --help 查看更多信息。$' err
    run unknown-zh-json 2 prgram --json --lang=zh
    json_check unknown-zh-json 'j["exitStatus"] == 2 and j["message"].startswith("未知的子命令")'

    # The tool's own usage errors, in text and JSON.
    run no-part-zh 2 program "$hex" --lang zh
    expect_line no-part-zh '^scriba8: 请用 --part NAME 指定芯片（scriba8 parts 可列出所有型号）$' err
    run no-part-zh-json 2 --lang zh --json program "$hex"
    json_check no-part-zh-json 'j["message"] == "请用 --part NAME 指定芯片（scriba8 parts 可列出所有型号）"'
    run bad-bit-zh 2 --lang zh --part $part write-options --bit LOCK=maybe
    expect_line bad-bit-zh '^scriba8: LOCK 只能取 on 或 off（或 1 或 0），不能是 "maybe"$' err
    run empty-step-zh 2 --lang zh --part $part auto "$hex" --steps erase,,verify
    expect_line empty-step-zh '^scriba8: --steps: "erase,,verify" 中有空的步骤：请去掉多余的逗号$' err
    # The tool's own lines around a run: the answer to a firmware question and
    # the note of a first Ctrl-C.
    SCRIBA8_VIRTUAL_STATE="$work/old-firmware.state" SCRIBA8_VIRTUAL_FAULTS=fw-main=0x00140001 \
        run answered-zh 5 --lang zh --part $part check-id
    expect_line answered-zh '^已回答否：没有可以提问的终端' err
    export SCRIBA8_VIRTUAL_PACE=real
    printf '\x3C%.0s' $(seq 1 30000) >"$work/zh.bin"
    "$scriba8" --lang zh --part $part program "$work/zh.bin" >"$work/stopped-zh.out" 2>"$work/stopped-zh.err" &
    stopped=$!
    sleep 0.5
    kill -INT $stopped
    wait $stopped
    unset SCRIBA8_VIRTUAL_PACE
    expect_line stopped-zh '^scriba8：当前步骤完成后停止（再按一次立即停止）$' err
    run unknown-part-zh 2 --lang zh --part VS8G13 erase
    expect_line unknown-part-zh '^scriba8: 未知的型号 "VS8G13"；您是指 VS8G132.* 吗？' err

    run help-zh 0 --lang zh --help
    expect_line help-zh '^用法: scriba8 \[选项\] 子命令$'
    expect_line help-zh '^选项:$'
    expect_line help-zh '^子命令:$'
    expect_line help-zh '^  program                     擦除 Flash'
    expect_line help-zh '^退出状态:$'
    expect_line help-zh '^  2  用法错误'
    for args in "program --help --lang zh" "program --lang=zh --help" "--lang zh program --help"; do
        run help-program-zh 0 $args
        expect_line help-program-zh '^用法: scriba8 program \[选项\] FILE$'
        expect_line help-program-zh '^位置参数:$'
        expect_line help-program-zh '^  --no-verify                 编程后不回读芯片校验$'
        expect_line help-program-zh '^全局选项'
    done
    python3 - "$work/help-zh.out" <<'PY' || fail "help-zh: a line is wider than 80 columns"
import sys, unicodedata
for line in open(sys.argv[1], encoding="utf-8").read().splitlines():
    width = sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in line)
    assert width <= 80, line
PY

    run part-zh 0 parts VS8G132 --lang zh
    expect_line part-zh '^  位选项（--bit NAME=on\|off），名称后为默认值：$'
    expect_line part-zh '^    LOCK            off         设备数据加锁$'
    expect_line part-zh '^    IAP_SIZE        0           \[0 到 32.0k，步长 0.5k\]$'
    run list-zh 0 --lang zh parts VS8G13
    expect_line list-zh '^行号  型号        系列         Flash  EEPROM  选项$'

    # What the commands print: result lines in Chinese, the label column
    # still lined up.
    run program-zh 0 --lang zh --part $part program "$hex"
    printf '\x02\x00\x31' >"$work/other.bin"
    run verify-zh 1 --lang zh --part $part verify "$work/other.bin"
    expect_line verify-zh '^1 个字节不一致：$'
    expect_line verify-zh '^  0x00000002  应为 0x31，读出 0x'
    run save-zh 0 --part $part project save "$hex" -o "$work/zh.vlx"
    run show-zh 0 --lang zh project show "$work/zh.vlx"
    expect_line show-zh '^  型号            VS8G132$'
    expect_line show-zh '^  Flash           [0-9]+ 字节，检验和 0x[0-9A-F]{4}，芯片检验和 0x[0-9A-F]{4}$'

    run programmers-zh 0 --lang zh programmers
    expect_line programmers-zh '序列号 +virtual +正常 +固件 0x[0-9A-F]{8} / 辅助 0x[0-9A-F]{4}（支持 8051）  \[已选用\]$'

    # English: as the man page and scripts know it, without a Chinese byte.
    run help-en 0 --help
    expect_line help-en '^Usage: scriba8 \[OPTIONS\] SUBCOMMAND$'
    expect_line help-en '^Exit status:$'
    run part-en 0 --lang en parts VS8G132
    expect_line part-en '^    LOCK            off         Lock Device$'
    run unknown-en 2 prgram
    expect_line unknown-en '^scriba8: unknown subcommand "prgram"; did you mean program\?$' err
    run no-part-en 2 --json program "$hex"
    json_check no-part-en 'j["message"] == "name the chip with --part NAME (scriba8 parts lists every part)"'
    for name in help-en part-en unknown-en no-part-en; do
        ! LC_ALL=C grep -qP '[\x80-\xff]' "$work/$name.out" "$work/$name.err" ||
            fail "$name: non-English text"
    done
    ;;

*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac

if [[ $failures -ne 0 ]]; then
    echo "$scenario: $failures check(s) failed" >&2
    exit 1
fi
echo "$scenario: passed"
