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

# trace_exports TRACE: per export, the commands it sent besides the firmware
# query and the target's power-on and power-down ("-" for none), one word
# each, e.g. "02/01 05/01 06/01" for an erase, a program and a verify.
# Command blocks are the SET reports that start with 0x55 and hold nothing
# after their 16 bytes; data reports are left out.
trace_exports() {
    awk '$1 == "SET" && $3 == "55" {
        for (i = 19; i <= NF; ++i) if ($i != "00") next
        op = $5 "/" $6
        if (op == "04/0A") { if (n++) print (line == "" ? "-" : line); line = "" }
        else if (op != "07/01" && op != "07/02") line = line (line == "" ? "" : "+") op
    }
    END { if (n) print (line == "" ? "-" : line) }' "$1" | paste -sd' '
}

# expect_exports NAME "OP/AREA ...": the exports the run NAME made, from its
# trace $work/NAME.trace.
expect_exports() {
    local got
    got=$(trace_exports "$work/$1.trace")
    [[ $got == "$2" ]] || fail "$1: the exports sent '$got', expected '$2'"
}
