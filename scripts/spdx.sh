#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every file of the tree must say under which licence it is: a source file
# (C, C++, Windows resource, CMake, shell, Python, assembly, linker script)
# by the SPDX line at its top, right after a #! line if it has one; any
# other file by a pattern in .reuse/dep5. Lists the files that do neither and
# fails if there are any.
# With --add, first puts the SPDX line into the source files that lack it.
# usage: scripts/spdx.sh [--add] [SOURCE_DIR]
set -euo pipefail
add=false
if [[ "${1:-}" == --add ]]; then
    add=true
    shift
fi
cd "${1:-$(dirname "$0")/..}"
identifier='SPDX-License-Identifier: MIT'

# The tree's files: what git knows or would add; without git (an unpacked
# source tarball), everything but build folders.
list_files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files --cached --others --exclude-standard
    else
        find . -path ./.git -prune -o -path './build*' -prune -o -path ./debian/.debhelper -prune \
            -o -type f -print | sed 's|^\./||'
    fi
}

# comment_for FILE: how the SPDX line is written in FILE, nothing for a file
# that is not source
comment_for() {
    case "$1" in
    *.c | *.cpp | *.cc | *.h | *.hpp | *.h.in | *.rc | *.rc.in) echo "// $identifier" ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake | *.cmake.in) echo "# $identifier" ;;
    *.sh | *.py | *.bash-completion | *.supp) echo "# $identifier" ;;
    *.asm | *.a51) echo "; $identifier" ;;
    *.map) echo "/* $identifier */" ;;
    *) if [[ "$(head -c2 "$1" | tr -d '\0')" == '#!' ]]; then echo "# $identifier"; fi ;;
    esac
}

# has_line FILE: the line is the first one, or the second after #!
has_line() {
    local first second
    {
        IFS= read -r first || true
        IFS= read -r second || true
    } <"$1"
    [[ "$first" == *"$identifier"* ]] && return 0
    [[ "$first" == '#!'* && "$second" == *"$identifier"* ]]
}

add_line() {
    local file=$1 line=$2 temporary
    temporary=$(mktemp)
    if [[ "$(head -c2 "$file" | tr -d '\0')" == '#!' ]]; then
        { head -n1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$temporary"
    else
        { echo "$line"; cat "$file"; } >"$temporary"
    fi
    # Writing into the file keeps its mode (scripts stay executable).
    cat "$temporary" >"$file"
    rm -f "$temporary"
}

# The Files: patterns of .reuse/dep5; "*" matches across folders there, as it
# does in a bash [[ == ]] pattern.
patterns=()
in_files=false
if [[ -f .reuse/dep5 ]]; then
    while IFS= read -r entry; do
        case "$entry" in
        Files:*) in_files=true entry=${entry#Files:} ;;
        [[:space:]]*) ;;
        *) in_files=false ;;
        esac
        if $in_files; then
            read -ra words <<<"$entry"
            patterns+=("${words[@]}")
        fi
    done <.reuse/dep5
fi

covered_by_dep5() {
    local pattern
    for pattern in "${patterns[@]}"; do
        # shellcheck disable=SC2053 # the pattern is meant to match
        [[ "$1" == $pattern ]] && return 0
    done
    return 1
}

missing=()
while IFS= read -r file; do
    [[ -f "$file" && ! -L "$file" ]] || continue
    line=$(comment_for "$file")
    if [[ -n "$line" ]]; then
        has_line "$file" && continue
        if $add; then
            add_line "$file" "$line"
            echo "added: $file"
            continue
        fi
        missing+=("$file: no '$line' at the top")
    elif ! covered_by_dep5 "$file"; then
        missing+=("$file: not a source file and no pattern in .reuse/dep5 covers it")
    fi
done < <(list_files)

if ((${#missing[@]} > 0)); then
    printf '%s\n' "${missing[@]}" >&2
    echo "${#missing[@]} file(s) without licence information (scripts/spdx.sh --add puts the SPDX line into source files)" >&2
    exit 1
fi
echo "every file has licence information"
