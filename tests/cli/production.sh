#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scriba8 produce and scriba8 report on virtual programmers, each scenario in
# a folder of its own. An operator at each virtual socket swaps chips
# (SCRIBA8_VIRTUAL_SOCKET) and keeps every chip taken out in a tray, so each
# chip's contents can be checked afterwards.
# usage: production.sh SCRIBA8 EXAMPLES_DIR SCENARIO [CHIPS]
set -uo pipefail
scriba8=$1
examples=$2
scenario=$3
chips=${4:-250}

work=$(mktemp -d)
trap "[[ -n \"${KEEP:-}\" ]] || rm -rf \"$work\"" EXIT
for name in $(env | sed -n 's/^\(SCRIBA8_[A-Z_]*\)=.*/\1/p'); do unset "$name"; done
part=VS8G132
hex="$examples/blinky.hex"
failures=0
mkdir "$work/tray"
export SCRIBA8_VIRTUAL_SOCKET="looks=1,empty=1,tray=$work/tray"

source "$(dirname "$0")/script_checks.sh"

run() { # NAME EXPECTED_STATUS ARGS...
    local name=$1 expected=$2
    shift 2
    timeout 600 "$scriba8" "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null
    check_status "$name" $? "$expected" 'Sanitizer' "$@"
}

programmers() { # N: --programmer virtual:$work/pK.state for K = 1..N
    local k
    for ((k = 1; k <= $1; k++)); do printf -- '--programmer\nvirtual:%s/p%d.state\n' "$work" "$k"; done
}

# Every chip the run made: those in the tray and those still in a socket.
collect_chips() { # N
    local k
    for ((k = 1; k <= $1; k++)); do
        SCRIBA8_VIRTUAL_SOCKET= timeout 60 "$scriba8" --programmer "virtual:$work/p$k.state" --part $part \
            -q dump -o "$work/tray/p$k.state-last.bin" || fail "dump of programmer $k"
    done
}

# check_run ADDRESS SIZE: the journal, the log and the chips agree: one
# record per attempt, every number once, every gap explained, and every
# good chip holding its own number.
check_run() {
    python3 - "$work" "$1" "$2" <<'PY' || fail "the run's journal, log and chips disagree"
import glob, json, os, sys
work, address, size = sys.argv[1], int(sys.argv[2], 0), int(sys.argv[3])
reserved, outcome = [], {}
for line in open(os.path.join(work, "serials.journal")):
    fields = line.rstrip("\n").split("\t")
    if fields[0] == "reserve": reserved.append(fields[1])
    elif fields[0] == "outcome": outcome[fields[1]] = fields[2]
records = [json.loads(l) for l in open(os.path.join(work, "run.jsonl")) if l.strip()]
assert len(reserved) == len(set(reserved)), "a number was reserved twice"
assert len(records) == len(reserved), f"{len(records)} records for {len(reserved)} reservations"
good = [r["serial"] for r in records if r["result"] == "pass"]
assert len(good) == len(set(good)), "a number went into two good chips"
for r in records:
    key = "n:%d" % int(r["serial"], 16)
    assert outcome.get(key) == r["outcome"], (key, outcome.get(key), r["outcome"])
    assert r["result"] == "pass" or r["resultCode"] != 101
numbers = sorted(int(r["serial"], 16) for r in records)
failed = {int(r["serial"], 16) for r in records if r["result"] != "pass"}
for n in range(numbers[0], numbers[-1] + 1):
    assert n in failed or "%X" % n in good, "gap at %X with no recorded failure" % n
in_chips = []
for path in glob.glob(os.path.join(work, "tray", "*.bin")):
    data = open(path, "rb").read()
    value = int.from_bytes(data[address:address + size], "big")
    if value != (1 << (8 * size)) - 1: in_chips.append("%X" % value)
missing = sorted(set(good) - set(in_chips), key=lambda s: int(s, 16))
extra = sorted(set(in_chips) - set(good), key=lambda s: int(s, 16))
assert len(in_chips) == len(set(in_chips)) and not missing and not extra, \
    f"the chips do not hold exactly the good numbers: missing {missing[:5]}, extra {extra[:5]}"
PY
}

case "$scenario" in
scale)
    # Four programmers, many chips each: every number once, in its own chip.
    mapfile -t four < <(programmers 4)
    run scale 0 --part $part produce "$hex" "${four[@]}" --continuous --count $((4 * chips)) --poll 1 \
        --serial start=0x1000,size=2,address=0x7FF0 --journal "$work/serials.journal" --log "$work/run.jsonl" -q
    collect_chips 4
    check_run 0x7FF0 2
    run scale-report 0 report "$work/run.jsonl" --json
    json_check scale-report "j[\"data\"][\"good\"] == $((4 * chips)) and j[\"data\"][\"serials\"][\"gaps\"] == []
        and len(j[\"data\"][\"byProgrammer\"]) == 4"
    ;;

kill-resume)
    # The program step's reply never comes: the run hangs inside the first
    # chip, is killed there, and leaves a reserved number without outcome.
    SCRIBA8_VIRTUAL_FAULTS=no-reply=05/01 "$scriba8" --part $part produce "$hex" \
        --programmer "virtual:$work/p1.state" --serial start=1,size=2,address=0x7FF0 \
        --journal "$work/serials.journal" --log "$work/run.jsonl" >"$work/killed.out" 2>&1 &
    killed=$!
    for _ in $(seq 1 200); do grep -q $'^reserve\tn:1\t' "$work/serials.journal" 2>/dev/null && break; sleep 0.05; done
    sleep 0.3
    kill -9 $killed
    wait $killed 2>/dev/null
    grep -q $'^outcome\tn:1' "$work/serials.journal" && fail "kill: the killed chip has an outcome"
    # A record a crash cut in half.
    printf '{"time":"2026-12-10T07:00:00.000Z","programmer":"virtual:x","part":"VS8' >>"$work/run.jsonl"
    run resume 0 --part $part produce "$hex" --programmer "virtual:$work/p1.state" --continuous --count 3 \
        --poll 1 --serial start=1,size=2,address=0x7FF0 --journal "$work/serials.journal" \
        --log "$work/run.jsonl" -q
    python3 - "$work/run.jsonl" <<'PY' || fail "resume: number 1 was handed out again"
import json, sys
lines = [l for l in open(sys.argv[1]).read().split("\n") if l.strip()]
serials = [json.loads(l)["serial"] for l in lines if l.endswith("}")]
assert serials == ["2", "3", "4"], serials
PY
    run report 0 report "$work/run.jsonl" --journal "$work/serials.journal"
    expect_line report 'line 1: not a whole production record' err
    expect_line report '^  gap 1\.\.1 \(1\):$'
    expect_line report '^    1  no record: the run ended while a chip was being programmed'
    ;;

one-faulty)
    # The second programmer's chips all fail their program step (checksum
    # error after writing), the fifth is gone from the bus; the others make
    # the count.
    export SCRIBA8_VIRTUAL_FAULTS_AT="$work/p2.state|status=05/01:1;$work/p5.state|absent"
    mapfile -t five < <(programmers 5)
    run faulty 1 --part $part produce "$hex" "${five[@]}" --continuous --count 30 --poll 1 \
        --serial start=1,size=2,address=0x7FF0 --journal "$work/serials.journal" --log "$work/run.jsonl"
    expect_line faulty "programmer taken out: virtual:$work/p5.state: Connect error" err
    unset SCRIBA8_VIRTUAL_FAULTS_AT
    collect_chips 4
    check_run 0x7FF0 2
    python3 - "$work/run.jsonl" "$work/p2.state" <<'PY' || fail "faulty: records do not show it"
import json, sys
records = [json.loads(l) for l in open(sys.argv[1]) if l.strip()]
bad = [r for r in records if r["programmer"] == "virtual:" + sys.argv[2]]
gone = [r for r in records if r["programmer"].endswith("p5.state")]
assert len(gone) == 1 and gone[0]["resultCode"] == 105 and gone[0]["outcome"] == "unused", gone
good = [r for r in records if r["result"] == "pass"]
assert bad and all(r["resultCode"] == 112 and r["result"].startswith("program: ") for r in bad), bad[:1]
assert all(r["outcome"] == "failed" for r in bad)
assert len(good) == 30 and all(r["programmer"] != "virtual:" + sys.argv[2] for r in good)
PY
    ;;

lists)
    printf '0001\n0002\n0 003\n' >"$work/bad.list"
    run bad-list 2 --part $part produce "$hex" --programmer "virtual:$work/p1.state" --serial-list "$work/bad.list" \
        --serial address=0x7FF0 --journal "$work/serials.journal" --log "$work/run.jsonl"
    expect_line bad-list 'bad.list: line 3: a hex byte split by a blank' err
    [[ ! -e "$work/run.jsonl" && ! -e "$work/p1.state" ]] || fail "bad-list: something was touched"
    [[ ! -s "$work/serials.journal" ]] || fail "bad-list: the journal was written"
    printf '# three\nA1B1\n"C2"\nA3B3\n' >"$work/three.list"
    mapfile -t two < <(programmers 2)
    run three 0 --part $part produce "$hex" "${two[@]}" --continuous --poll 1 --serial-list "$work/three.list" \
        --serial address=0x7FF0 --journal "$work/serials.journal" --log "$work/run.jsonl"
    expect_line three 'the serial numbers ran out'
    [[ $(grep -c . "$work/run.jsonl") -eq 3 ]] || fail "three: not three records"
    run again 0 --part $part produce "$hex" --programmer "virtual:$work/p1.state" --serial-list "$work/three.list" \
        --serial address=0x7FF0 --journal "$work/serials.journal" --log "$work/run.jsonl"
    expect_line again 'the serial numbers ran out'
    [[ $(grep -c . "$work/run.jsonl") -eq 3 ]] || fail "again: a used number was handed out"
    ;;

stand-alone)
    # The same project and serial block: the chips produce makes equal the
    # ones the programmer makes on its own, chip for chip.
    run project 0 --part $part project save "$hex" -o "$work/job.vlx" --bit LOCK=off
    serial=(--serial-string "SN-" --serial-number 00000100)
    run produce 0 produce "$work/job.vlx" --programmer "virtual:$work/p1.state" --continuous --count 3 --poll 1 \
        "${serial[@]}"
    unset SCRIBA8_VIRTUAL_SOCKET
    run download 0 --programmer "virtual:$work/own.state" offline download "$work/job.vlx" --serial \
        --serial-auto-increment "${serial[@]}"
    for k in 1 2 3; do
        SCRIBA8_VIRTUAL_OFFLINE=run=1 run "own-$k" 0 --programmer "virtual:$work/own.state" --part $part \
            dump -o "$work/own-$k.bin"
    done
    run last 0 --programmer "virtual:$work/p1.state" --part $part dump -o "$work/last.bin"
    for k in 1 2; do
        cmp -s "$work/tray/p1.state-00000$k.bin" "$work/own-$k.bin" || fail "chip $k differs from the stand-alone one"
    done
    cmp -s "$work/last.bin" "$work/own-3.bin" || fail "chip 3 differs from the stand-alone one"
    run options-produced 0 --programmer "virtual:$work/p1.state" --part $part read-options
    run options-own 0 --programmer "virtual:$work/own.state" --part $part read-options
    diff <(sed 1d "$work/options-produced.out") <(sed 1d "$work/options-own.out") >/dev/null ||
        fail "the options differ from the stand-alone ones"
    ;;

*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
exit $((failures > 0))
