#!/bin/sh
# Builds the Debian package from the build, installs it with apt-get as an
# operator would, runs the installed programs, and removes it again together
# with anything apt-get had to add, also when a step fails.
# Usage: package_check.sh BUILD_DIR APP_ID VERSION. Exits 77 (skipped) unless root.
set -eu
build=$1 id=$2 version=$3
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing the package needs root (CI runs as root)"
    exit 77
fi
if ! command -v apt-get >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
    echo "skipped: needs apt-get and dpkg-shlibdeps (dpkg-dev)"
    exit 77
fi
if dpkg-query -W -f='${db:Status-Abbrev}' orvante-usart 2>/dev/null | grep -q '^ii'; then
    echo "skipped: orvante-usart is installed on this machine; leaving it alone"
    exit 77
fi

installed() { dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" {print $2}' | sort; }
apt() { DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=300 "$@"; }
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

cpack -G DEB -B "$work" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(echo "$work"/orvante-usart_*.deb)
dpkg-deb -f "$deb" Package Version Depends
dpkg-deb -f "$deb" Version | grep -q "^$version-"
apt install --no-install-recommends "$deb" >/dev/null

test "$(dpkg-query -S /usr/bin/orvante-usart)" = "orvante-usart: /usr/bin/orvante-usart"
test "$(cd / && QT_QPA_PLATFORM=offscreen /usr/bin/orvante-usart --version)" = "orvante-usart $version"
/usr/bin/sensor-sim --help | grep -q -- '--device'
test "$(cd / && env -u DISPLAY /usr/bin/orvante-ctl --version)" = "orvante-ctl $version"
# The menu entry starts the installed program and finds its icon in the theme.
entry=/usr/share/applications/$id.desktop
test "$(command -v "$(sed -n 's/^Exec=//p' "$entry")")" = /usr/bin/orvante-usart
test -f "/usr/share/icons/hicolor/48x48/apps/$(sed -n 's/^Icon=//p' "$entry").png"

apt purge orvante-usart >/dev/null
test ! -e /usr/bin/orvante-usart
test ! -e /usr/libexec/orvante-usart
echo "installed, ran and removed $(basename "$deb")"
