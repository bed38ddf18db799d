#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The shared library must export the nineteen names, the documented
# extensions, and nothing else.
set -euo pipefail
library=$1
expected="BlankCheck CheckID DumpTarget Erase GetBodyInfo GetDLLInfo InsertISPcode LoadVLXBuffer
LoadVLXFooter OffLineMode Program ProgramEEPROM ReadCheckSum ReadOffLineModeInfo ReadOptions
SaveVLX Verify WholeChipErase WriteOptions
S8HoldProgrammer S8ReleaseProgrammer S8SelectProgrammer"
actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWwDdBbRrVviu]$/ {print $3}' | sed 's/@.*//' | sort -u)
want=$(echo $expected | tr ' ' '\n' | sort -u)
if [[ "$actual" != "$want" ]]; then
    echo "exported symbols differ from the nineteen exports and the extensions:"
    diff <(echo "$want") <(echo "$actual") || true
    exit 1
fi
echo "exports: $(echo "$actual" | wc -l) names, as expected"
