#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build and checks it without touching the
# machine's own packages: its fields, its copyright and changelog, then its
# files unpacked into a throwaway folder, where the programs are started. (The
# real `apt install` of the package is CI's package step, on a fresh machine.)
# Usage: package_check.sh BUILD_DIR APP_ID VERSION. Exits 77 (skipped) without dpkg-deb.
set -eu
build=$1 id=$2 version=$3
if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
    echo "skipped: needs dpkg-deb and dpkg-shlibdeps (dpkg-dev)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(echo "$work"/orvante-usart_*.deb)
dpkg-deb -f "$deb" Package Version Depends Recommends
dpkg-deb -f "$deb" Version | grep -q "^$version-"
dpkg-deb -f "$deb" Depends | grep -q 'libqt[56]serialport'
dpkg-deb -f "$deb" Recommends | grep -q 'fonts-wqy-microhei | fonts-noto-cjk'

root=$work/root
dpkg-deb -x "$deb" "$root"
doc=$root/usr/share/doc/orvante-usart
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
grep -q '^License: GPL-3+' "$doc/copyright"
zcat "$doc/changelog.Debian.gz" | head -n 1 | grep -q "^orvante-usart ($version-"

# The link in bin/ leads to the program beside its icon, inside the package.
real=$(readlink -f "$root/usr/bin/orvante-usart")
case "$real" in "$root"/usr/libexec/orvante-usart/orvante-usart) ;; *) echo "bin link leads to $real"; exit 1 ;; esac
test -f "$root/usr/libexec/orvante-usart/img/ORV_DD.png"
test "$(cd / && QT_QPA_PLATFORM=offscreen "$root/usr/bin/orvante-usart" --version)" = "orvante-usart $version"
"$root/usr/bin/sensor-sim" --help | grep -q -- '--device'
test "$(cd / && env -u DISPLAY "$root/usr/bin/orvante-ctl" --version)" = "orvante-ctl $version"
# The menu entry starts the program in bin/ and names an icon in the theme.
entry=$root/usr/share/applications/$id.desktop
test "$(sed -n 's/^Exec=//p' "$entry")" = orvante-usart
test -f "$root/usr/share/icons/hicolor/48x48/apps/$(sed -n 's/^Icon=//p' "$entry").png"
for page in orvante-usart orvante-ctl sensor-sim; do
    test -f "$root/usr/share/man/man1/$page.1.gz"
done
# The gateway: its unit in a folder systemd reads units from, its example
# configuration, the library it links, and the account its postinst makes.
unit=$(cd "$root" && find . -name 'orvante-gateway@.service' | sed 's|^\.||')
if command -v systemd-analyze >/dev/null; then
    systemd-analyze unit-paths | grep -qx "$(dirname "$unit")" || { echo "$unit: systemd does not look there"; exit 1; }
else
    case "$unit" in /lib/systemd/system/* | /usr/lib/systemd/system/*) ;; *) echo "unit at $unit"; exit 1 ;; esac
fi
test -f "$root/usr/share/doc/orvante-usart/examples/gateway.conf"
dpkg-deb -f "$deb" Depends | grep -q 'libmosquitto1'
dpkg-deb -f "$deb" Depends | grep -q 'adduser'
dpkg-deb -e "$deb" "$work/control"
grep -q 'adduser --system --group' "$work/control/postinst"
"$root/usr/bin/orvante-ctl" publish --help | grep -q -- '--password-file'
echo "checked $(basename "$deb") unpacked: $(cd "$root" && find . -type f | wc -l) files"
