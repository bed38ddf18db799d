# SPDX-License-Identifier: MIT
# Checks shared by the shell tests that run scriba8 as a process. Sourced;
# the sourcing script sets $work (where each run's NAME.out and NAME.err go)
# and failures=0.

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# check_status NAME STATUS EXPECTED UNEXPECTED-REGEX ARGS...: after a run, a
# report on stderr matching the regex (a sanitizer's, say) and a wrong exit
# status are failures, shown with the run's output.
check_status() {
    local name=$1 status=$2 expected=$3 unexpected=$4
    shift 4
    if grep -q -- "$unexpected" "$work/$name.err"; then
        fail "$name: unexpected report"
        sed 's/^/    /' "$work/$name.err" >&2
    fi
    if [[ $status -ne $expected ]]; then
        fail "$name: exit status $status, expected $expected ($*)"
        sed 's/^/    /' "$work/$name.out" "$work/$name.err" >&2
    fi
}

expect_line() { # NAME REGEX [out|err]
    local file="$work/$1.${3:-out}"
    grep -Eq -- "$2" "$file" || fail "$1: no line matching /$2/ in $file"
}

refuse_line() { # NAME REGEX [out|err]
    local file="$work/$1.${3:-out}"
    ! grep -Eq -- "$2" "$file" || fail "$1: unexpected line matching /$2/ in $file"
}

# json_check NAME PYTHON-EXPRESSION: true for the one JSON object on stdout (j)
json_check() {
    python3 - "$work/$1.out" "$2" <<'PY' || fail "$1: JSON check failed: $2"
import json, sys
with open(sys.argv[1]) as f:
    text = f.read()
lines = [line for line in text.splitlines() if line.strip()]
assert len(lines) == 1, f"expected one JSON line, got {len(lines)}"
j = json.loads(lines[0])
assert eval("(" + sys.argv[2] + ")"), json.dumps(j, ensure_ascii=False)
PY
}
