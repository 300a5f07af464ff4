#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing and builds the Debian package, with Qt 5, or with
# --qt6 with Qt 6, or with --windows the Windows zip and installer (a mingw-w64
# cross build against the Qt for Windows that tools/qt-mingw.sh builds once).
#
#   ./package.sh [--qt6]     the .deb lands in build-package/ (build-package-qt6/)
#   sudo apt install ./build-package/orvante-usart_*.deb
#   ./package.sh --windows   in build-windows/: orvante-usart-<version>-windows-x64.zip,
#                            the installer orvante-usart-<version>-setup.exe and
#                            orvante-usart-<version>-source.zip (git archive)
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

dir=build-package
case "${1:-}" in
    "") ;;
    --qt6) use_qt6; dir=build-package-qt6 ;;
    --windows)
        build_windows build-windows OFF
        rm -f build-windows/orvante-usart-*-windows-x64.zip
        (cd build-windows && cpack -G ZIP >/dev/null)
        zip=$(echo build-windows/orvante-usart-*-windows-x64.zip)
        unzip -l "$zip" | tail -1
        version=$(windows_version build-windows)
        windows_installer build-windows
        source_archive build-windows
        echo "Built $zip, build-windows/orvante-usart-$version-setup.exe and" \
             "build-windows/orvante-usart-$version-source.zip"
        exit 0
        ;;
    *) echo "usage: $0 [--qt6 | --windows]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
# Debian's hardening flags, all of them, as a Debian package build would use.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "${ORV_CMAKE_ARGS[@]}" \
    -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/orvante-usart_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)

deb=$(echo "$dir"/orvante-usart_*.deb)
dpkg-deb -f "$deb" Package Version Depends Recommends
# Debian's own check of a package: no error, no warning.
lintian --fail-on error,warning "$deb"
echo "Built $deb; install it with: sudo apt install ./$deb"
