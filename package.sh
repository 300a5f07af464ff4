#!/usr/bin/env bash
# Installs what is missing and builds the Debian package, with Qt 5, or with
# --qt6 with Qt 6. Its dependencies are the libraries the programs link.
#
#   ./package.sh [--qt6]     the .deb lands in build-package/ (build-package-qt6/)
#   sudo apt install ./build-package/orvante-usart_*.deb
set -euo pipefail
cd "$(dirname "$0")"
. tools/deps.sh

dir=build-package
case "${1:-}" in
    "") ;;
    --qt6) use_qt6; dir=build-package-qt6 ;;
    *) echo "usage: $0 [--qt6]" >&2; exit 2 ;;
esac

ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF "${ORV_CMAKE_ARGS[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/orvante-usart_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)

deb=$(echo "$dir"/orvante-usart_*.deb)
dpkg-deb -f "$deb" Package Version Depends
echo "Built $deb; install it with: sudo apt install ./$deb"
