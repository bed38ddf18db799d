#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the library into a scratch prefix and builds a plain C program
# against the installed header and shared library.
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
cc -std=c11 -Wall -Wextra -Werror -pedantic -I"$prefix/include" "$source/examples/list_chips.c" \
    -L"$prefix/lib" -Wl,-rpath,"$prefix/lib" -lScriba8_T3Plus_DLL -o "$prefix/list_chips"
output=$("$prefix/list_chips")
echo "$output" | head -3
grep -q '^87 chips$' <<<"$output"
grep -q 'v1.5.0.15 (edition 1)' <<<"$output"
