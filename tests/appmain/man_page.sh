#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Scriba8_T3Plus_AP man page: groff reads it without a warning, its
# OPTIONS are exactly the long options the program's --help lists, and every
# SCRIBA8_ variable the library reads is described.
# usage: man_page.sh PAGE PROGRAM SOURCE_DIR
set -u
page=$1
program=$2
source=$3
source "$(dirname "$0")/../cli/man_page_checks.sh"
expect_sections NAME SYNOPSIS DESCRIPTION OPTIONS FILES ENVIRONMENT "EXIT STATUS"

help=$(QT_QPA_PLATFORM=offscreen "$program" --help) || fail "$program --help failed"
program_options=$(sed -n 's/^ *\(-[^ ,]*, \)\?\(--[a-z][-a-z]*\).*/\2/p' <<<"$help" | sort -u)
page_options=$(section OPTIONS | sed -n 's/^ \{7\}\(-[^ ,]*, \)\?\(--[a-z][-a-z]*\).*/\2/p' | sort -u)
[[ -n "$program_options" ]] || fail "no options in the program's --help"
if [[ "$program_options" != "$page_options" ]]; then
    fail "OPTIONS differ from --help (< program, > page): $(diff <(echo "$program_options") <(echo "$page_options") | grep '^[<>]' | tr '\n' ' ')"
fi
grep -q 'Setting\.ini' <<<"$(section FILES)" || fail "FILES does not name Setting.ini"

expect_environment "$source"/{library,sim,app}

exit $((failures > 0))
