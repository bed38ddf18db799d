#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the library into a scratch prefix, builds check_id.c against it and
# runs CheckID on the virtual programmer with the fault variables, and on USB
# with nothing attached.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
cc -std=c11 -Wall -Wextra -Werror -pedantic -I"$prefix/include" "$here/check_id.c" \
    -L"$prefix/lib" -Wl,-rpath,"$prefix/lib" -lScriba8_T3Plus_DLL -o "$prefix/check_id"

# Only the variables each case names.
for name in $(env | sed -n 's/^\(SCRIBA8_[A-Z_]*\)=.*/\1/p'); do unset "$name"; done

SCRIBA8_PROGRAMMER=virtual SCRIBA8_TRACE="$prefix/trace.txt" "$prefix/check_id" 101 "$prefix/trace.txt"
SCRIBA8_PROGRAMMER=virtual SCRIBA8_VIRTUAL_FAULTS=absent "$prefix/check_id" 105
SCRIBA8_PROGRAMMER=virtual SCRIBA8_VIRTUAL_FAULTS=locked "$prefix/check_id" 110
# The state file carries the locked chip over to the next process.
SCRIBA8_PROGRAMMER=virtual SCRIBA8_VIRTUAL_STATE="$prefix/state" SCRIBA8_VIRTUAL_FAULTS=locked \
    "$prefix/check_id" 110
SCRIBA8_PROGRAMMER=virtual SCRIBA8_VIRTUAL_STATE="$prefix/state" "$prefix/check_id" 110
# USB, and no programmer with these ids attached.
"$prefix/check_id" 105
