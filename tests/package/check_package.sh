#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Debian packages cpack built in BUILD/packages without installing
# them: unpacks them into a scratch folder, compares their files with what the
# build installs, runs scriba8 from the unpacked tree, reads its man page and
# builds the C example against the unpacked library, once with pkg-config and
# once with CMake.
# usage: check_package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
packages=$build/packages

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# deb NAME: the one package file of that name
deb() {
    local found=("$packages/$1"_*.deb)
    [[ ${#found[@]} -eq 1 && -f ${found[0]} ]] || return 1
    echo "${found[0]}"
}

names=(libscriba8-t3plus1 libscriba8-t3plus-dev scriba8)
if [[ -x $build/app/main/Scriba8_T3Plus_AP ]]; then
    names+=(scriba8-t3plus-ap)
fi
for name in "${names[@]}"; do
    file=$(deb "$name") || { fail "no package $name in $packages"; continue; }
    dpkg-deb -x "$file" "$root" || fail "$name: dpkg-deb -x failed"
    dpkg-deb -c "$file" | awk '{print $6}' | sed 's|^\./||; s|/$||' | grep -v '^$' \
        >"$work/$name.files"
    depends=$(dpkg-deb -f "$file" Depends)
    [[ -n "$depends" ]] || fail "$name: no Depends"
    echo "$name: $depends"
done
if ((failures > 0)); then exit 1; fi

# contains PACKAGE PATH: the package holds this path
contains() {
    grep -qxF -- "$2" "$work/$1.files" || fail "$1 lacks $2"
}
lacks() {
    ! grep -qxF -- "$2" "$work/$1.files" || fail "$1 should not hold $2"
}

contains libscriba8-t3plus1 usr/lib/libScriba8_T3Plus_DLL.so.1
contains libscriba8-t3plus1 usr/lib/udev/rules.d/70-scriba8-t3plus.rules
lacks libscriba8-t3plus1 usr/include/Scriba8_T3Plus_DLL.h
lacks libscriba8-t3plus1 usr/lib/libScriba8_T3Plus_DLL.so
contains libscriba8-t3plus-dev usr/include/Scriba8_T3Plus_DLL.h
contains libscriba8-t3plus-dev usr/lib/libScriba8_T3Plus_DLL.so
contains libscriba8-t3plus-dev usr/lib/pkgconfig/scriba8-t3plus.pc
contains libscriba8-t3plus-dev usr/lib/cmake/Scriba8T3Plus/Scriba8T3PlusConfig.cmake
lacks libscriba8-t3plus-dev usr/lib/libScriba8_T3Plus_DLL.so.1
contains scriba8 usr/bin/scriba8
contains scriba8 usr/share/man/man1/scriba8.1
if [[ " ${names[*]} " == *" scriba8-t3plus-ap "* ]]; then
    contains scriba8-t3plus-ap usr/bin/Scriba8_T3Plus_AP
    desktop=$(grep -m1 '^usr/share/applications/.*\.desktop$' "$work/scriba8-t3plus-ap.files")
    if [[ -z "$desktop" ]]; then
        fail "scriba8-t3plus-ap has no .desktop file"
    else
        # The menu entry starts a program and shows an icon the package has.
        exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$root/$desktop")
        icon=$(sed -n 's/^Icon=//p' "$root/$desktop")
        contains scriba8-t3plus-ap "usr/bin/$exec"
        grep -q "^usr/share/icons/hicolor/.*/apps/$icon\.\(png\|svg\)$" \
            "$work/scriba8-t3plus-ap.files" || fail "no icon $icon in scriba8-t3plus-ap"
    fi
fi
soname=$(readelf -d "$root/usr/lib/libScriba8_T3Plus_DLL.so.1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ "$soname" == libScriba8_T3Plus_DLL.so.1 ]] || fail "SONAME is '$soname'"
grep -q 'TAG+="uaccess"' "$root/usr/lib/udev/rules.d/70-scriba8-t3plus.rules" ||
    fail "the udev rules give no access to the user at the seat"

# Every file the build installs is in a package, and nothing else is.
cmake --install "$build" --prefix "$work/installed/usr" >/dev/null || fail "cmake --install failed"
(cd "$work/installed" && find . -mindepth 1 ! -type d | sed 's|^\./||' | sort) >"$work/installed.list"
(cd "$root" && find . -mindepth 1 ! -type d | sed 's|^\./||' | sort) >"$work/packaged.list"
if ! diff -u "$work/installed.list" "$work/packaged.list" >"$work/difference"; then
    fail "installed files (-) and packaged files (+) differ:"
    sed 's/^/    /' "$work/difference" >&2
fi

# The tools from the unpacked tree, with its own library.
export LD_LIBRARY_PATH=$root/usr/lib
for name in $(env | sed -n 's/^\(SCRIBA8_[A-Z_]*\)=.*/\1/p'); do unset "$name"; done
ldd "$root/usr/bin/scriba8" | grep -q "=> $root/usr/lib/libScriba8_T3Plus_DLL.so.1" ||
    fail "scriba8 does not load the unpacked library"
missing=$(ldd "$root"/usr/bin/* "$root"/usr/lib/*.so.* | grep 'not found')
[[ -z "$missing" ]] || fail "unresolved libraries: $missing"
version=$("$root/usr/bin/scriba8" --version) || fail "scriba8 --version failed"
grep -q '1\.5\.0\.15' <<<"$version" || fail "scriba8 --version says '$version'"
info=$("$root/usr/bin/scriba8" --programmer virtual info) || fail "scriba8 info failed: $info"
grep -q '^Programmer (virtual): found$' <<<"$info" || fail "scriba8 info says '$info'"
bash "$source/tests/cli/man_page.sh" "$root/usr/share/man/man1/scriba8.1" "$source" ||
    fail "the packaged man page is incomplete or does not render"

# run_example NAME BINARY: the example lists the chips of the unpacked library
run_example() {
    local output
    output=$("$2") || fail "$1: list_chips failed: $output"
    grep -q '^[1-9][0-9]* chips$' <<<"$output" || fail "$1: no chip count in '$output'"
}

export PKG_CONFIG_PATH=$root/usr/lib/pkgconfig
flags=$(pkg-config --cflags --libs scriba8-t3plus) || fail "pkg-config does not know scriba8-t3plus"
# shellcheck disable=SC2086 # the flags are words
cc -std=c11 -Wall -Wextra -Werror -pedantic "$source/examples/list_chips.c" $flags \
    -o "$work/list_chips_pkgconfig" || fail "pkg-config build of list_chips.c failed"
[[ -x "$work/list_chips_pkgconfig" ]] && run_example pkg-config "$work/list_chips_pkgconfig"

mkdir -p "$work/consumer"
cat >"$work/consumer/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.16)
project(list_chips_consumer LANGUAGES C)
find_package(Scriba8T3Plus 1.5 REQUIRED)
add_executable(list_chips "$source/examples/list_chips.c")
target_link_libraries(list_chips PRIVATE Scriba8T3Plus::Scriba8_T3Plus_DLL)
CMAKE
if cmake -S "$work/consumer" -B "$work/consumer/build" -DCMAKE_PREFIX_PATH="$root/usr" \
        -DCMAKE_BUILD_TYPE=Release >"$work/consumer.log" 2>&1 &&
    cmake --build "$work/consumer/build" >>"$work/consumer.log" 2>&1; then
    run_example find_package "$work/consumer/build/list_chips"
else
    fail "find_package build of list_chips.c failed:"
    sed 's/^/    /' "$work/consumer.log" >&2
fi

if ((failures > 0)); then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "Packages ${names[*]}: all checks passed"
