#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion against the scriba8 it completes for.
# usage: completion.sh SCRIBA8_DIR COMPLETION_FILE
set -u
PATH=$1:$PATH
source "$2"
failures=0
try() { # EXPECTED WORDS...
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _scriba8 scriba8
    if [[ "${COMPREPLY[*]}" != "$expected" ]]; then
        echo "FAIL: '$*' completed to '${COMPREPLY[*]}', expected '$expected'" >&2
        failures=$((failures + 1))
    fi
}
try "programmers program project produce" scriba8 pro
try "save show" scriba8 project s
try "VS8G132 VS8G132L" scriba8 --part VS8G13
try "VS8G132 VS8G132L" scriba8 program x.hex --part VS8G13
try "--no-erase --no-progress --no-verify" scriba8 --part VS8G132 program --no-
try "--from-chip" scriba8 write-options --from
try "en zh" scriba8 --lang ""
try "programmers" scriba8 programm
try "virtual" scriba8 --programmer vir
# Global options after the subcommand.
try "--programmer" scriba8 --part VS8G132 program x.hex --progr
try "--wait-timeout" scriba8 erase --wait
try "--quiet" scriba8 checksum --qu
exit $((failures > 0))
