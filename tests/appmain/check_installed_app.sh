#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs into a scratch prefix and starts the installed desktop program:
# it must find the library installed beside it without any search path set,
# and its menu entry and icon must be installed with it.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
program="$prefix/bin/Scriba8_T3Plus_AP"
[[ -x "$program" ]] || { echo "no $program" >&2; exit 1; }

library=$(env -u LD_LIBRARY_PATH ldd "$program" | sed -n 's/.*libScriba8_T3Plus_DLL[^ ]* => \([^ ]*\).*/\1/p')
if [[ "$library" != "$prefix"/* ]]; then
    echo "the installed program loads the library from '$library', not from $prefix" >&2
    exit 1
fi
env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen "$program" --help | grep -q -- '--programmer'

grep -q '^Exec=Scriba8_T3Plus_AP$' "$prefix/share/applications/Scriba8_T3Plus_AP.desktop"
[[ -f "$prefix/share/icons/hicolor/256x256/apps/Scriba8_T3Plus_AP.png" ]]
[[ -f "$prefix/share/icons/hicolor/scalable/apps/Scriba8_T3Plus_AP.svg" ]]
echo "installed program runs on $library"
