#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite through
# CTest: with Qt 5 in build/, or with --qt6 with Qt 6 in build-qt6/.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

dir=build
case "${1:-}" in
    "") ;;
    --qt6) use_qt6; dir=build-qt6 ;;
    *) echo "usage: $0 [--qt6]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build_project "$dir"

cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
