#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The scriba8 man page: groff reads it without a warning, the subcommands have
# their entries with their own options, and every SCRIBA8_ variable the
# program reads is described.
# usage: man_page.sh PAGE SOURCE_DIR
set -u
page=$1
source=$2
source "$(dirname "$0")/man_page_checks.sh"

# entry NAME: the text of that subcommand's entry under COMMANDS
entry() {
    section COMMANDS | awk -v name="   $1" '/^   [^ ]/ { inside = ($0 == name); next } inside'
}

expect_sections NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS "EXIT STATUS" ENVIRONMENT EXAMPLES
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

expect_environment "$source"/{library,sim,cli}

exit $((failures > 0))
