#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs the whole test suite through
# CTest: with Qt 5 in build/, with --qt6 with Qt 6 in build-qt6/, or with
# --sanitize with Qt 5 under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ (CTest sets their options; Qt's own
# leaks are suppressed by tests/lsan.supp).
#
# --windows: the Windows build (build-windows/, its zip included) and its
# checks under Wine on a virtual display: the suites that need no
# pseudo-terminal, the zip's DLLs, orvante-ctl.exe through a COM port and to
# ser2net over the network, and the window (a picture of it lands in
# build-windows/windows.png). The first run
# builds Qt for Windows into a cache (tools/qt-mingw.sh), about half an hour.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

dir=build
extra=()
case "${1:-}" in
    "") ;;
    --qt6) use_qt6; dir=build-qt6 ;;
    --sanitize) ORV_CMAKE_ARGS+=(-DORV_SANITIZE=ON); extra=("${SANITIZE_PACKAGES[@]}"); dir=build-asan ;;
    --windows)
        ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_BUILD_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
        # The native simulator and orvante-ctl, which the COM-port checks use.
        build_project build sensor-sim orvante-ctl
        ORV_WINDOWS_CMAKE_ARGS=(-DORV_NATIVE_BUILD="$PWD/build")
        build_windows build-windows ON
        (cd build-windows && cpack -G ZIP >/dev/null)
        windows_installer build-windows
        cd build-windows
        # One Wine at a time (the checks restart it to change its COM ports),
        # away from this machine's own serial devices, on a virtual display.
        ../tests/windows/isolated.sh xvfb-run -a -s "-screen 0 1280x1024x24" \
            ctest --output-on-failure -j1
        exit
        ;;
    *) echo "usage: $0 [--qt6 | --sanitize | --windows]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${extra[@]}"
build_project "$dir"

cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
