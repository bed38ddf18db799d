# SPDX-License-Identifier: MIT
# Checks shared by the man page tests. Sourced after setting $page; gives
# fail, $text (the page rendered as plain text) and the functions below. The
# sourcing script ends with: exit $((failures > 0))
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

# expect_sections NAME...: the page has these headings
expect_sections() {
    local name
    for name; do
        grep -qxF "$name" <<<"$text" || fail "no $name section"
    done
}

# expect_environment DIR...: ENVIRONMENT describes every SCRIBA8_ variable
# the sources in DIR... read
expect_environment() {
    local environment name
    environment=$(section ENVIRONMENT)
    for name in $(grep -rhoE '"SCRIBA8_[A-Z0-9_]+"' "$@" | tr -d '"' | sort -u); do
        grep -qxF "       $name" <<<"$environment" || fail "ENVIRONMENT does not describe $name"
    done
}
