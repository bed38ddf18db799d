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
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

warnings=$(groff -man -ww -z "$page" 2>&1)
[[ -z "$warnings" ]] || fail "groff warns about $page: $warnings"
text=$(groff -man -Tascii -P-cbou "$page" 2>&1)
section() {
    awk -v name="$1" '/^[A-Z]/ { inside = ($0 == name); next } inside' <<<"$text"
}
for name in NAME SYNOPSIS DESCRIPTION OPTIONS FILES ENVIRONMENT "EXIT STATUS"; do
    grep -qxF "$name" <<<"$text" || fail "no $name section"
done

help=$(QT_QPA_PLATFORM=offscreen "$program" --help) || fail "$program --help failed"
program_options=$(sed -n 's/^ *\(-[^ ,]*, \)\?\(--[a-z][-a-z]*\).*/\2/p' <<<"$help" | sort -u)
page_options=$(section OPTIONS | sed -n 's/^ \{7\}\(-[^ ,]*, \)\?\(--[a-z][-a-z]*\).*/\2/p' | sort -u)
[[ -n "$program_options" ]] || fail "no options in the program's --help"
if [[ "$program_options" != "$page_options" ]]; then
    fail "OPTIONS differ from --help (< program, > page): $(diff <(echo "$program_options") <(echo "$page_options") | grep '^[<>]' | tr '\n' ' ')"
fi
grep -q 'Setting\.ini' <<<"$(section FILES)" || fail "FILES does not name Setting.ini"

environment=$(section ENVIRONMENT)
for name in $(grep -rhoE '"SCRIBA8_[A-Z0-9_]+"' "$source"/{library,sim,app} | tr -d '"' | sort -u); do
    grep -qxF "       $name" <<<"$environment" || fail "ENVIRONMENT does not describe $name"
done

exit $((failures > 0))
