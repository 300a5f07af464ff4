#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a built Debian package with apt as an operator would, runs the
# installed programs, and removes it again together with anything apt had to
# add, also when a step fails. For CI's fresh machine (./package.sh then this);
# it changes the machine's packages, so the test suite never runs it.
# Usage: tests/package_install.sh DEB
set -eu
deb=$(readlink -f "$1")
if dpkg-query -W -f='${db:Status-Abbrev}' orvante-usart 2>/dev/null | grep -q '^ii'; then
    echo "orvante-usart is installed on this machine; leaving it alone" >&2
    exit 1
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
installed() { dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" {print $2}' | sort; }
apt() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=300 "$@"; }
work=$(mktemp -d)
installed >"$work/before"
restore() {
    status=$?
    installed >"$work/after"
    added=$(comm -13 "$work/before" "$work/after" | tr '\n' ' ')
    [ -z "$added" ] || apt purge $added >/dev/null || status=1
    rm -rf "$work"
    exit $status
}
trap restore EXIT
trap 'exit 1' INT TERM

version=$(dpkg-deb -f "$deb" Version | sed 's/-[^-]*$//')
apt install --no-install-recommends "$deb" >/dev/null
test "$(dpkg-query -S /usr/bin/orvante-usart)" = "orvante-usart: /usr/bin/orvante-usart"
test "$(cd / && QT_QPA_PLATFORM=offscreen /usr/bin/orvante-usart --version)" = "orvante-usart $version"
/usr/bin/sensor-sim --help | grep -q -- '--device'
test "$(cd / && env -u DISPLAY /usr/bin/orvante-ctl --version)" = "orvante-ctl $version"
man -w orvante-ctl >/dev/null
# The gateway service's account, in dialout, and its configurations' folder.
id -nG orvante-gateway | tr ' ' '\n' | grep -qx dialout
test "$(stat -c '%a %U %G' /etc/orvante-usart/gateway)" = "750 root orvante-gateway"
apt purge orvante-usart >/dev/null
test ! -e /usr/bin/orvante-usart
test ! -e /usr/libexec/orvante-usart
test ! -e /etc/orvante-usart
echo "installed, ran and removed $(basename "$deb")"
