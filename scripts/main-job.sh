#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The main job on a built tree, on the virtual programmer: load the sample
# program, check the chip's ID, erase, program, verify, write the options,
# read them back and dump the chip, each step a run of the scriba8 tool as a
# production script would make it. The programmer's state is kept in a file
# under the build folder, so every run sees the same programmer and chip.
# usage: scripts/main-job.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scriba8="$build/cli/scriba8"
job="$build/main-job"
part=VS8G132

if [[ ! -x "$scriba8" ]]; then
    echo "main-job: $scriba8 is missing; build first (scripts/setup.sh build)" >&2
    exit 2
fi
mkdir -p "$job"
rm -f "$job/programmer.state" "$job/dump.hex"
export SCRIBA8_VIRTUAL_STATE="$job/programmer.state"

step() {
    local shown="\$ scriba8 --programmer virtual --part $part" word
    for word in "$@"; do
        [[ $word == *' '* ]] && word="\"$word\""
        shown+=" $word"
    done
    echo "$shown"
    "$scriba8" --programmer virtual --part "$part" "$@"
    echo
}

step check-id
step erase
step program examples/blinky.hex
step verify examples/blinky.hex
step write-options --option ISP_SIZE=1.0k --option "BOD1 level=Detect 2.4V" --bit LOCK=off
step read-options
step dump -o "$job/dump.hex"
echo "main-job: passed; the chip's contents are in $job/dump.hex"
