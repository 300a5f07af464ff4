#!/bin/sh
# Installs the build into a scratch prefix and checks that the program finds
# its icon there: the executable and img/ stay together, bin/ has a link.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -L "$prefix/bin/orvante-usart"
test -x "$prefix/bin/sensor-sim"
real=$(readlink -f "$prefix/bin/orvante-usart")
test -f "$(dirname "$real")/img/ORV_DD.png"
QT_QPA_PLATFORM=offscreen "$prefix/bin/orvante-usart" --version | grep -q '1\.0'
echo "installed layout ok: $(cd "$prefix" && find . -type f -o -type l | sort | tr '\n' ' ')"
