#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

ensure_packages "${BUILD_PACKAGES[@]}"
build_project build

cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
