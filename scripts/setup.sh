#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and then:
#   scripts/setup.sh run    runs the main job on the virtual programmer
#   scripts/setup.sh test   runs every test (plain, ASan+UBSan, TSan, fuzz)
#   scripts/setup.sh build  only builds
#   scripts/setup.sh package  builds the Debian packages into build/packages and checks them,
#                             and the Windows zip beside them
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-run}
jobs=${JOBS:-2}

install_missing_packages() {
    local missing=()
    local package
    while read -r package; do
        [[ -z "$package" || "$package" == \#* ]] && continue
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done < scripts/packages.txt
    ((${#missing[@]} == 0)) && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [[ "$(id -u)" -ne 0 ]] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_and_build DIR [cmake options...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# A selection that finds no test fails: a build folder configured without
# tests must never pass as a clean run.
run_tests() {
    local dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j "$jobs" "$@"
}

# configure_and_build_tests DIR BUILD_TYPE SANITIZE APP BENCHMARKS FUZZ
# Every option the test phase depends on is given, so a cache left in DIR by
# another mode (run builds build/ without tests) cannot change what runs.
configure_and_build_tests() {
    configure_and_build "$1" -DCMAKE_BUILD_TYPE="$2" -DSCRIBA8_BUILD_TESTS=ON -DSCRIBA8_WERROR=ON \
        -DSCRIBA8_SANITIZE="$3" -DSCRIBA8_BUILD_APP="$4" -DSCRIBA8_BUILD_BENCHMARKS="$5" \
        -DSCRIBA8_FUZZ="$6"
}

# copy_source_tree DIR: the files of the tree (what git tracks or would add;
# without git, everything but build folders) into DIR
copy_source_tree() {
    mkdir -p "$1"
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' file; do [[ -e "$file" ]] && printf '%s\0' "$file"; done |
            tar -c --null -T - | tar -x -C "$1"
    else
        tar -c --exclude='./build*' --exclude=./.git . | tar -x -C "$1"
    fi
}

# The Debian packages, built as Debian builds them (dpkg-buildpackage on
# debian/, without tests: the test phases ran them) from a copy of the tree in
# build/deb, so the tree stays clean; then their check. A ccache on this
# machine serves the build; it is not needed.
make_packages() {
    local work=build/deb
    rm -rf "$work" build/packages
    copy_source_tree "$work/src"
    echo "Building the Debian packages (log: $work/build.log)"
    if ! (
        cd "$work/src"
        if command -v ccache >/dev/null && [[ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]]; then
            export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
        fi
        DEB_BUILD_OPTIONS="parallel=$jobs nocheck" dpkg-buildpackage -b -us -uc
    ) >"$work/build.log" 2>&1; then
        tail -n 40 "$work/build.log" >&2
        return 1
    fi
    # The debug symbols apart, so that "apt install ./build/packages/*.deb"
    # installs the four packages.
    mkdir -p build/packages/debug
    mv "$work"/*-dbgsym_*.deb build/packages/debug/
    mv "$work"/*.deb build/packages/
    bash tests/package/check_package.sh build/packages .
    ls build/packages/*.deb
}

# The Windows build (MinGW-w64) in build-windows/: configure_and_build_windows
# TESTS [LINUX_SCRIBA8]. Its tests run under Wine; scriba8.exe is compared
# byte for byte with LINUX_SCRIBA8 when given.
configure_and_build_windows() {
    configure_and_build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIBA8_BUILD_TESTS="$1" -DSCRIBA8_WERROR=ON \
        -DSCRIBA8_BUILD_APP=OFF -DSCRIBA8_BUILD_BENCHMARKS=OFF -DSCRIBA8_FUZZ=OFF \
        ${2:+"-DSCRIBA8_NATIVE_SCRIBA8=$2"}
}

# build/packages/scriba8-t3plus-windows-x64.zip from build-windows/: the DLL,
# its import library and header, scriba8.exe, the README and the licence.
make_windows_zip() {
    local name=scriba8-t3plus-windows-x64
    local stage=build-windows/zip/$name
    rm -rf build-windows/zip
    mkdir -p "$stage" build/packages
    cp build-windows/bin/scriba8.exe build-windows/bin/Scriba8_T3Plus_DLL.dll \
        build-windows/library/Scriba8_T3Plus_DLL.lib library/interface/Scriba8_T3Plus_DLL.h \
        README.md "$stage/"
    [[ -f LICENSE ]] && cp LICENSE "$stage/"
    x86_64-w64-mingw32-strip --strip-unneeded "$stage/scriba8.exe" "$stage/Scriba8_T3Plus_DLL.dll"
    rm -f "build/packages/$name.zip"
    (cd build-windows/zip && zip -qr "../../build/packages/$name.zip" "$name")
    echo "build/packages/$name.zip"
}

# With a display, the desktop application opens on the virtual programmer
# that the main job left behind, so the operator sees its result.
start_application_on_the_job() {
    local dir=$1
    if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
        return 0
    fi
    local program="$dir/app/main/Scriba8_T3Plus_AP"
    [[ -x "$program" ]] || return 0
    echo "Starting Scriba8_T3Plus_AP on the main job's virtual programmer (log: $dir/main-job/application.log)"
    SCRIBA8_VIRTUAL_STATE="$dir/main-job/programmer.state" \
        setsid "$program" --programmer virtual --part VS8G132 \
        >"$dir/main-job/application.log" 2>&1 </dev/null &
}

install_missing_packages

case "$mode" in
build)
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ;;
run)
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIBA8_BUILD_TESTS=OFF
    scripts/main-job.sh build
    start_application_on_the_job build
    ;;
test)
    export QT_QPA_PLATFORM=offscreen
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
    #                         dir        build type     sanitize app benchmarks fuzz
    configure_and_build_tests build-asan Debug          address  ON  OFF        OFF
    run_tests build-asan -LE 'fuzz|bench|install'
    echo "== ThreadSanitizer (threaded paths) =="
    configure_and_build_tests build-tsan Debug          thread   OFF OFF        OFF
    run_tests build-tsan -L threads
    echo "== ThreadSanitizer with Qt (the window's command worker) =="
    cmake -S . -B build-tsan-qt -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSCRIBA8_BUILD_TESTS=ON \
        -DSCRIBA8_WERROR=ON -DSCRIBA8_SANITIZE=thread -DSCRIBA8_BUILD_APP=ON \
        -DSCRIBA8_BUILD_BENCHMARKS=OFF -DSCRIBA8_FUZZ=OFF >/dev/null
    cmake --build build-tsan-qt -j "$jobs" --target appcommands_worker_test
    run_tests build-tsan-qt -L threads -R '^appcommands_worker'
    echo "== Fuzz targets =="
    CC=clang CXX=clang++ \
    configure_and_build_tests build-fuzz RelWithDebInfo ""       OFF OFF        ON
    run_tests build-fuzz -L fuzz
    echo "== Release build, every test =="
    configure_and_build_tests build      RelWithDebInfo ""       ON  ON         OFF
    run_tests build -LE fuzz
    echo "== Windows (MinGW-w64 under Wine) =="
    configure_and_build_windows ON "$PWD/build/cli/scriba8"
    run_tests build-windows
    echo "== Debian packages =="
    make_packages
    make_windows_zip
    ;;
package)
    make_packages
    configure_and_build_windows OFF
    make_windows_zip
    ;;
*)
    echo "usage: $0 [run|test|build|package]" >&2
    exit 2
    ;;
esac
