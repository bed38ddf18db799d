#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the main window offscreen, in English and in Chinese, and the
# engineer window on examples/Engineer.ini into docs/images/ (the pictures
# the README shows); the main window also after an auto sequence with
# examples/blinky.hex on the virtual programmer. On X servers of their own
# (Xvfb): the whole screen as the operator sees the main window on a
# 1366x768 screen and at scale 1.5 on a 1400x1000 one, and the off-line
# download's firmware question in Chinese.
# usage: scripts/screenshots.sh [BUILD_DIR] [PART_NAME]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
part=${2:-VS8G132}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIBA8_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target window_screenshot engineer_screenshot auto_sequence_screenshot \
    appcommands_real_input_test -j "${JOBS:-2}"
QT_QPA_PLATFORM=offscreen SCRIBA8_PROGRAMMER=virtual \
    "$build/tests/appmain/window_screenshot" docs/images "$part"
QT_QPA_PLATFORM=offscreen SCRIBA8_PROGRAMMER=virtual \
    "$build/tests/engineer/engineer_screenshot" examples/Engineer.ini docs/images/engineer-window.png
QT_QPA_PLATFORM=offscreen SCRIBA8_PROGRAMMER=virtual SCRIBA8_VIRTUAL_FAULTS= SCRIBA8_VIRTUAL_PACE= \
    "$build/tests/appcommands/auto_sequence_screenshot" docs/images examples/blinky.hex "$part"

xvfb=tests/appcommands/with_xvfb.sh
SCRIBA8_PROGRAMMER=virtual "$xvfb" 1366x768 \
    "$build/tests/appmain/window_screenshot" docs/images "$part" 0 screen-1366x768
QT_SCALE_FACTOR=1.5 SCRIBA8_PROGRAMMER=virtual "$xvfb" 1400x1000 \
    "$build/tests/appmain/window_screenshot" docs/images "$part" 0 screen-1400x1000-scale150
SCRIBA8_PROGRAMMER=virtual SCRIBA8_VIRTUAL_FAULTS=fw-main=0x00140001 SCRIBA8_VIRTUAL_PACE= \
    SCRIBA8_SCREENSHOTS="$PWD/docs/images" \
    "$xvfb" 1280x1024 "$build/tests/appcommands/appcommands_real_input_test" screenshots >/dev/null

# The request form's preview, the off-line dialogs and the load and ISP
# dialogs, in both languages.
cmake --build "$build" --target request_form_test offline_dialogs_test \
    appcommands_project_dialogs_test -j "${JOBS:-2}"
for test in appproject/request_form_test appproject/offline_dialogs_test \
    appcommands/appcommands_project_dialogs_test; do
    QT_QPA_PLATFORM=offscreen SCRIBA8_PROGRAMMER=virtual SCRIBA8_SCREENSHOTS="$PWD/docs/images" \
        "$build/tests/$test" screenshots >/dev/null
done
