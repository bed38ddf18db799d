#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows DLL and programs carry their C++ runtime inside: they may load
# Windows' own DLLs and the device library, nothing else (no libstdc++,
# libgcc or winpthread DLL that a Windows computer does not have).
# usage: check_windows_imports.sh OBJDUMP FILE...
set -euo pipefail
objdump=$1
shift
status=0
for file in "$@"; do
    while read -r dll; do
        case "${dll,,}" in
        kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | shell32.dll | hid.dll | \
            setupapi.dll | scriba8_t3plus_dll.dll) ;;
        *)
            echo "$(basename "$file") needs $dll, which Windows does not have"
            status=1
            ;;
        esac
    done < <("$objdump" -p "$file" | awk '/DLL Name:/ {print $3}')
done
[[ $status -eq 0 ]] && echo "imports: only Windows' own DLLs and the device library"
exit $status
