#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The scriba8 man page: groff reads it without a warning, the subcommands have
# their entries with their own options, and every SCRIBA8_ variable the
# program reads is described.
# usage: man_page.sh PAGE SOURCE_DIR
set -u
page=$1
source=$2
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

warnings=$(groff -man -ww -z "$page" 2>&1)
[[ -z "$warnings" ]] || fail "groff warns about $page: $warnings"
text=$(groff -man -Tascii -P-cbou "$page" 2>&1)

# section NAME: the text under that heading
section() {
    awk -v name="$1" '/^[A-Z]/ { inside = ($0 == name); next } inside' <<<"$text"
}
# entry NAME: the text of that subcommand's entry under COMMANDS
entry() {
    section COMMANDS | awk -v name="   $1" '/^   [^ ]/ { inside = ($0 == name); next } inside'
}

for name in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS "EXIT STATUS" ENVIRONMENT EXAMPLES; do
    grep -qxF "$name" <<<"$text" || fail "no $name section"
done
# expect COMMAND OPTION: the entry for COMMAND lists OPTION
expect() {
    local options
    options=$(entry "$1")
    [[ -n "$options" ]] || { fail "no entry for $1 under COMMANDS"; return; }
    grep -qe "^ *$2\b" <<<"$options" || fail "the entry for $1 lacks $2"
}
expect program --no-verify
expect write-options --from-chip
expect "project save" --customer-string
expect "offline download" --serial-address
grep -q '^ *130 ' <<<"$(section "EXIT STATUS")" || fail "EXIT STATUS lacks 130"

environment=$(section ENVIRONMENT)
for name in $(grep -rhoE '"SCRIBA8_[A-Z0-9_]+"' "$source"/{library,sim,cli} | tr -d '"' | sort -u); do
    grep -qxF "       $name" <<<"$environment" || fail "ENVIRONMENT does not describe $name"
done

exit $((failures > 0))
