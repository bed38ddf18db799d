#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Debian packages in PACKAGES without installing them on this
# machine: lintian must report nothing (informational tags only where
# debian/*.lintian-overrides gives the reason); the packages are unpacked
# into a throw-away root, from which scriba8 programs the virtual
# programmer, the desktop application starts offscreen, the man pages render
# and the C example builds, once with pkg-config as a cross build would use
# it (sysroot) and once with CMake.
# usage: check_package.sh PACKAGES_DIR SOURCE_DIR
set -uo pipefail
packages=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)

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

names=(libscriba8-t3plus-dll1 libscriba8-t3plus-dev scriba8 scriba8-t3plus-ap)
files=()
for name in "${names[@]}"; do
    file=$(deb "$name") || { fail "no package $name in $packages"; continue; }
    files+=("$file")
    dpkg-deb -x "$file" "$root" || fail "$name: dpkg-deb -x failed"
    dpkg-deb -c "$file" | awk '{print $6}' | sed 's|^\./||; s|/$||' | grep -v '^$' \
        >"$work/$name.files"
    dpkg-deb -e "$file" "$work/$name.control"
done
if ((failures > 0)); then exit 1; fi

# Lintian prints nothing when it has nothing to say (on stderr it may say
# that it runs as root).
lintian --fail-on error,warning,info --display-info "${files[@]}" >"$work/lintian.log" 2>"$work/lintian.err"
status=$?
if [[ -s "$work/lintian.log" ]]; then
    fail "lintian reports:"$'\n'"$(cat "$work/lintian.log")"
elif ((status != 0)); then
    fail "lintian failed: $(cat "$work/lintian.err")"
fi

contains() {
    grep -qxF -- "$2" "$work/$1.files" || fail "$1 lacks $2"
}
lacks() {
    ! grep -qxF -- "$2" "$work/$1.files" || fail "$1 should not hold $2"
}

lib=usr/lib/$triplet
for name in "${names[@]}"; do
    contains "$name" "usr/share/doc/$name/copyright"
    contains "$name" "usr/share/doc/$name/changelog.gz"
    [[ "$name" == libscriba8-t3plus-dev ]] || grep -q . <<<"$(dpkg-deb -f "$(deb "$name")" Depends)" ||
        fail "$name: no Depends"
done
contains libscriba8-t3plus-dll1 "$lib/libScriba8_T3Plus_DLL.so.1"
contains libscriba8-t3plus-dll1 usr/lib/udev/rules.d/70-scriba8-t3plus.rules
lacks libscriba8-t3plus-dll1 "$lib/libScriba8_T3Plus_DLL.so"
contains libscriba8-t3plus-dev usr/include/Scriba8_T3Plus_DLL.h
contains libscriba8-t3plus-dev "$lib/libScriba8_T3Plus_DLL.so"
contains libscriba8-t3plus-dev "$lib/pkgconfig/scriba8-t3plus.pc"
contains libscriba8-t3plus-dev "$lib/cmake/Scriba8T3Plus/Scriba8T3PlusConfig.cmake"
contains scriba8 usr/bin/scriba8
contains scriba8 usr/share/man/man1/scriba8.1.gz
contains scriba8 usr/share/bash-completion/completions/scriba8
contains scriba8-t3plus-ap usr/bin/Scriba8_T3Plus_AP
contains scriba8-t3plus-ap usr/share/man/man1/Scriba8_T3Plus_AP.1.gz
contains scriba8-t3plus-ap usr/share/applications/Scriba8_T3Plus_AP.desktop
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
    contains scriba8-t3plus-ap "usr/share/icons/hicolor/$size/apps/Scriba8_T3Plus_AP.png"
done
contains scriba8-t3plus-ap usr/share/icons/hicolor/scalable/apps/Scriba8_T3Plus_AP.svg

# The library's package: ldconfig by trigger, and the symbols file that
# makes a build fail when an export goes away.
control=$work/libscriba8-t3plus-dll1.control
grep -qx 'activate-noawait ldconfig' "$control/triggers" 2>/dev/null || fail "no ldconfig trigger"
exports=$(nm -D --defined-only "$root/$lib/libScriba8_T3Plus_DLL.so.1" | awk '{print $3}' | sort)
listed=$(sed -n 's/^ \([A-Za-z_0-9]*\)@Base .*/\1/p' "$control/symbols" 2>/dev/null | sort)
[[ -n "$exports" && "$exports" == "$listed" ]] ||
    fail "the symbols file does not list the exports: $(diff <(echo "$listed") <(echo "$exports") | grep '^[<>]' | tr '\n' ' ')"
soname=$(readelf -d "$root/$lib/libScriba8_T3Plus_DLL.so.1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ "$soname" == libScriba8_T3Plus_DLL.so.1 ]] || fail "SONAME is '$soname'"

# The rules the permission advice names are the ones the package installs.
rules=/usr/lib/udev/rules.d/70-scriba8-t3plus.rules
grep -q 'TAG+="uaccess"' "$root$rules" || fail "the udev rules give no access to the user at the seat"
grep -qaF "$rules" "$root/$lib/libScriba8_T3Plus_DLL.so.1" ||
    fail "the library's permission advice does not name $rules"

metainfo=$(grep -m1 '^usr/share/metainfo/.*\.metainfo\.xml$' "$work/scriba8-t3plus-ap.files")
if [[ -z "$metainfo" ]]; then
    fail "scriba8-t3plus-ap has no AppStream metainfo"
else
    appstreamcli validate --no-net "$root/$metainfo" >"$work/appstream.log" 2>&1 ||
        fail "appstreamcli validate: $(cat "$work/appstream.log")"
fi

# The programs from the unpacked root, with its own library.
export LD_LIBRARY_PATH=$root/$lib
for name in $(env | sed -n 's/^\(SCRIBA8_[A-Z_]*\)=.*/\1/p'); do unset "$name"; done
grep -q "=> $root/$lib/libScriba8_T3Plus_DLL.so.1" <<<"$(ldd "$root/usr/bin/scriba8")" ||
    fail "scriba8 does not load the unpacked library"
missing=$(ldd "$root"/usr/bin/* "$root/$lib"/*.so.* | grep 'not found')
[[ -z "$missing" ]] || fail "unresolved libraries: $missing"
version=$("$root/usr/bin/scriba8" --version) || fail "scriba8 --version failed"
package_version=$(dpkg-deb -f "$(deb scriba8)" Version)
grep -qF "$package_version" <<<"$version" ||
    fail "scriba8 --version says '$version', the package is $package_version"
export SCRIBA8_VIRTUAL_STATE=$work/programmer.state
run=$("$root/usr/bin/scriba8" --programmer virtual --part VS8G132 program "$source/examples/blinky.hex" 2>&1) ||
    fail "scriba8 program on the virtual programmer failed: $run"
grep -q '^[0-9]* - Verify =>Pass' <<<"$run" || fail "scriba8 program did not verify: $run"

# The window, offscreen: it stays up on a known chip and ends at once on an
# unknown one, so it has read the library's chip table.
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
timeout 5 "$root/usr/bin/Scriba8_T3Plus_AP" --programmer virtual --part VS8G132 >"$work/ap.log" 2>&1
status=$?
[[ $status -eq 124 ]] || fail "Scriba8_T3Plus_AP ended with $status: $(cat "$work/ap.log")"
timeout 5 "$root/usr/bin/Scriba8_T3Plus_AP" --programmer virtual --part NO_SUCH_PART >"$work/ap.log" 2>&1
status=$?
[[ $status -eq 2 ]] || fail "Scriba8_T3Plus_AP on an unknown part ended with $status, not 2"

gunzip -c "$root/usr/share/man/man1/scriba8.1.gz" >"$work/scriba8.1"
bash "$source/tests/cli/man_page.sh" "$work/scriba8.1" "$source" ||
    fail "the packaged scriba8 man page is incomplete or does not render"
gunzip -c "$root/usr/share/man/man1/Scriba8_T3Plus_AP.1.gz" >"$work/Scriba8_T3Plus_AP.1"
bash "$source/tests/appmain/man_page.sh" "$work/Scriba8_T3Plus_AP.1" "$root/usr/bin/Scriba8_T3Plus_AP" \
    "$source" || fail "the packaged Scriba8_T3Plus_AP man page is incomplete or does not render"

# run_example NAME BINARY: the example lists the chips of the unpacked library
run_example() {
    local output
    output=$("$2") || fail "$1: list_chips failed: $output"
    grep -q '^[1-9][0-9]* chips$' <<<"$output" || fail "$1: no chip count in '$output'"
}

# As a cross build sees it: the .pc file's paths under the sysroot.
flags=$(PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$root/$lib/pkgconfig \
    pkg-config --cflags --libs scriba8-t3plus) || fail "pkg-config does not know scriba8-t3plus"
flags=${flags% }
[[ "$flags" == "-I$root/usr/include -L$root/$lib -lScriba8_T3Plus_DLL" ]] ||
    fail "pkg-config gives '$flags' under the sysroot $root"
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
echo "Packages ${names[*]}: lintian clean, all checks passed"
