#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The shared library (Linux .so or Windows .dll) must export the nineteen
# names, the documented extensions, and nothing else.
# usage: check_exports.sh LIBRARY [OBJDUMP]   (OBJDUMP reads a .dll's table)
set -euo pipefail
library=$1
objdump=${2:-objdump}
expected="BlankCheck CheckID DumpTarget Erase GetBodyInfo GetDLLInfo InsertISPcode LoadVLXBuffer
LoadVLXFooter OffLineMode Program ProgramEEPROM ReadCheckSum ReadOffLineModeInfo ReadOptions
SaveVLX Verify WholeChipErase WriteOptions
S8HoldProgrammer S8ReleaseProgrammer S8SelectProgrammer"
if [[ "$(head -c2 "$library")" == MZ ]]; then
    # The export table's name list: "[ n] Name" lines after its heading.
    actual=$("$objdump" -p "$library" |
        sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        awk '/^[[:space:]]*\[[[:space:]]*[0-9]+\]/ {print $NF}' | sort -u)
else
    actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWwDdBbRrVviu]$/ {print $3}' |
        sed 's/@.*//' | sort -u)
fi
want=$(echo $expected | tr ' ' '\n' | sort -u)
if [[ "$actual" != "$want" ]]; then
    echo "exported symbols differ from the nineteen exports and the extensions:"
    diff <(echo "$want") <(echo "$actual") || true
    exit 1
fi
echo "exports: $(echo "$actual" | wc -l) names, as expected"
