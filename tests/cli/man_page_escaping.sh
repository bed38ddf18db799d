#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The man page writer on a help text full of what troff would misread: lines
# starting with a dot or an apostrophe, backslashes, and what CMake lists
# treat specially (";", "[", "]"). The page must show them as the help does.
# usage: man_page_escaping.sh MAN_PAGE_SCRIPT
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/fake" <<'PROGRAM'
#!/usr/bin/env bash
case "$*" in
--version) echo "fake 1.0" ;;
--help) cat <<'HELP' ;;
fake: try the page's escaping
Usage: fake [OPTIONS] SUBCOMMAND

Options:
  -h,--help                   Print this help message and exit

Subcommands:
  odd                         Lines troff would misread

Exit status:
  0  success; or [not]

Examples:
  fake odd 'a;b' [c] \n
HELP
"odd --help") cat <<'HELP' ;;
Lines troff would misread
Usage: fake odd [OPTIONS] [FILE]

Options:
  --path DIR                  A backslash \fB stays, as do ; and [brackets
.ds x a dot line
'br an apostrophe line
HELP
*) exit 2 ;;
esac
PROGRAM
chmod +x "$work/fake"
echo ".TP
.B FAKE_VARIABLE
Read by the library." >"$work/environment"

cmake -DSCRIBA8="$work/fake" -DENVIRONMENT_FILE="$work/environment" -DOUTPUT="$work/fake.1" \
    -P "$1" || exit 1
failures=0
warnings=$(groff -man -ww -z "$work/fake.1" 2>&1)
[[ -z "$warnings" ]] || { echo "FAIL: groff warns: $warnings" >&2; failures=1; }
text=$(groff -man -Tascii -P-cbou "$work/fake.1" 2>&1)
for expected in 'A backslash \fB stays, as do ; and [brackets' '.ds x a dot line' \
    "'br an apostrophe line" "fake odd 'a;b' [c] \\n" 'success; or [not]' \
    'fake odd [OPTIONS] [FILE]'; do
    grep -qF -- "$expected" <<<"$text" || { echo "FAIL: the page lacks: $expected" >&2; failures=1; }
done
exit $failures
