#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through
# CTest: with Qt 5 in build/, with --qt6 with Qt 6 in build-qt6/, or with
# --sanitize with Qt 5 under AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ (CTest sets their options; Qt's own
# leaks are suppressed by tests/lsan.supp).
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

dir=build
extra=()
case "${1:-}" in
    "") ;;
    --qt6) use_qt6; dir=build-qt6 ;;
    --sanitize) ORV_CMAKE_ARGS+=(-DORV_SANITIZE=ON); extra=("${SANITIZE_PACKAGES[@]}"); dir=build-asan ;;
    *) echo "usage: $0 [--qt6 | --sanitize]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${extra[@]}"
build_project "$dir"

cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
