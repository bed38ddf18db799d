#!/usr/bin/env bash
# Installs what is missing, builds, and then:
#   scripts/setup.sh run    runs the main job on the virtual programmer
#   scripts/setup.sh test   runs every test (plain, ASan+UBSan, TSan, fuzz)
#   scripts/setup.sh build  only builds
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

run_tests() {
    local dir=$1
    shift
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@"
}

install_missing_packages

case "$mode" in
build)
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ;;
run)
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIBA8_BUILD_TESTS=OFF
    scripts/main-job.sh build
    ;;
test)
    export QT_QPA_PLATFORM=offscreen
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer =="
    configure_and_build build-asan -DCMAKE_BUILD_TYPE=Debug -DSCRIBA8_SANITIZE=address \
        -DSCRIBA8_BUILD_BENCHMARKS=OFF
    run_tests build-asan -LE 'fuzz|bench|install'
    echo "== ThreadSanitizer (threaded paths) =="
    configure_and_build build-tsan -DCMAKE_BUILD_TYPE=Debug -DSCRIBA8_SANITIZE=thread \
        -DSCRIBA8_BUILD_APP=OFF -DSCRIBA8_BUILD_BENCHMARKS=OFF
    run_tests build-tsan -L threads --no-tests=ignore
    echo "== Fuzz targets =="
    CC=clang CXX=clang++ configure_and_build build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSCRIBA8_FUZZ=ON -DSCRIBA8_BUILD_APP=OFF -DSCRIBA8_BUILD_BENCHMARKS=OFF
    run_tests build-fuzz -L fuzz --no-tests=ignore
    echo "== Release build, every test =="
    configure_and_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    run_tests build -LE fuzz
    ;;
*)
    echo "usage: $0 [run|test|build]" >&2
    exit 2
    ;;
esac
