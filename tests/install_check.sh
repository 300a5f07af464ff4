#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks the installed layout the
# way Debian's tools see it: the program beside its icon with a link in bin/
# (listed in the install manifest), orvante-ctl without the GUI libraries,
# sensor-sim, the desktop entry, the AppStream metadata, the theme icons and
# the manual pages, all with one version.
# Usage: install_check.sh BUILD_DIR APP_ID VERSION
set -eu
build=$1 id=$2 version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
grep -qx "$prefix/bin/orvante-usart" "$build/install_manifest.txt"
test -L "$prefix/bin/orvante-usart"
test -x "$prefix/bin/sensor-sim"
test -x "$prefix/bin/orvante-ctl"
real=$(readlink -f "$prefix/bin/orvante-usart")
test -f "$(dirname "$real")/img/ORV_DD.png"
test "$(QT_QPA_PLATFORM=offscreen "$prefix/bin/orvante-usart" --version)" = "orvante-usart $version"
test "$("$prefix/bin/sensor-sim" --version)" = "sensor-sim $version"
# No display and no widgets: it must not even link them.
test "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/orvante-ctl" --version)" = "orvante-ctl $version"
if ldd "$prefix/bin/orvante-ctl" | grep -Eq 'Qt[56](Gui|Widgets)'; then
    echo "orvante-ctl links Qt's GUI libraries"
    exit 1
fi

# Hints too: desktop-file-validate only fails on errors.
if ! said=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) || [ -n "$said" ]; then
    echo "$said"
    exit 1
fi
# The metadata, and the desktop entry it names.
appstreamcli validate-tree --no-net "$prefix"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml"
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop"
for size in 16 22 24 32 48 64 128; do
    file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size"
done

for page in orvante-usart orvante-ctl sensor-sim; do
    file="$prefix/share/man/man1/$page.1.gz"
    # As lintian checks a page: any groff or man warning fails.
    if ! warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null) || [ -n "$warnings" ]; then
        echo "$page.1: $warnings"
        exit 1
    fi
    # Made from the program's own --version and --help.
    zcat "$file" | grep -q "^\.TH .* \"$page $version\""
    zcat "$file" | grep -q '^\.SH OPTIONS'
done
echo "installed layout ok: $(cd "$prefix" && find . -type f -o -type l | sort | tr '\n' ' ')"
