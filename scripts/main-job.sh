#!/usr/bin/env bash
# The main job on a built tree: install the library and drive it from a C program.
# usage: scripts/main-job.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
prefix="$build/install"
cmake --install "$build" --prefix "$prefix" >/dev/null
cc -std=c11 -Wall -Wextra -Werror -I"$prefix/include" examples/list_chips.c \
    -L"$prefix/lib" -Wl,-rpath,"$(realpath "$prefix/lib")" -lScriba8_T3Plus_DLL -o "$build/list_chips"
"$build/list_chips"
