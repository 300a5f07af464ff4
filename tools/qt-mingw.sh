#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Qt for Windows (x86_64-w64-mingw32; the version is set in tools/deps.sh)
# from its source tarballs, once, into a cache folder outside the tree that later
# runs reuse. Only what the programs and their tests use: Core, Gui, Widgets,
# Network (orvante-ctl.exe reaches device servers over TCP),
# Test, SerialPort, the windows and offscreen platform plugins and the
# windowsvista style.
#
#   tools/qt-mingw.sh            build it unless the cache already holds it;
#                                prints the Qt prefix on the last line
#   tools/qt-mingw.sh --rebuild  throw the cached Qt away and build it again
#
# The tarballs are in $ORV_THIRD_PARTY, or in shared/third-party beside the
# project's folder. The cache is $ORV_QT_MINGW, or
# ~/.cache/orvante-usart/qt-<version>-mingw64. A cold build takes about half an
# hour on two cores. The licence texts of Qt and of what it bundles are taken
# from the sources into the cache's licenses/ (tools/qt-notices.py).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

rebuild=0
case "${1:-}" in
    "") ;;
    --rebuild) rebuild=1 ;;
    *) echo "usage: $0 [--rebuild]" >&2; exit 2 ;;
esac

# The sources: named by ORV_THIRD_PARTY, or in shared/third-party beside the
# project's folder (as CI lays a clone out).
sources=${ORV_THIRD_PARTY:-$(cd .. && pwd)/shared/third-party}
v=$ORV_QT_WINDOWS_VERSION
qtbase_tar=$sources/qtbase-opensource-src_$v+dfsg.orig.tar.xz
serialport_tar=$sources/qtserialport-everywhere-src-$v.tar.xz
prefix=$(mingw_qt_prefix)
for tar in "$qtbase_tar" "$serialport_tar"; do
    [ -f "$tar" ] || {
        echo "missing Qt source $tar: put the tarballs in shared/third-party beside the" \
             "project's folder, or name their folder in ORV_THIRD_PARTY" >&2
        exit 1
    }
done

# What the cached build was made from and with: a change to either rebuilds.
configure_flags=(
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -opensource -confirm-license -release -shared -prefix "$prefix"
    -nomake tests -nomake examples
    -no-opengl -no-dbus -no-icu -no-sql-sqlite -no-feature-tabletevent
    -no-feature-sql -no-feature-xml -no-feature-concurrent
    -no-feature-printer
    -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
)
recipe="$(sha256sum "$qtbase_tar" "$serialport_tar" | cut -d' ' -f1) ${configure_flags[*]}"

# The licences a copy of these DLLs goes with: Qt's, and the notices of the
# third-party code this configuration compiled into them.
copy_licences() {
    ensure_packages python3
    mkdir -p "$prefix/licenses"
    tar -xJf "$qtbase_tar" -O "qtbase-everywhere-src-$v/LICENSE.LGPL3" >"$prefix/licenses/LICENSE.LGPL3"
    python3 tools/qt-notices.py "$qtbase_tar" "$prefix"
}

if [ "$rebuild" -eq 0 ] && [ -f "$prefix/.recipe" ] && [ "$(cat "$prefix/.recipe")" = "$recipe" ]; then
    [ -s "$prefix/licenses/LICENSE.LGPL3" ] && [ -s "$prefix/licenses/third-party.list" ] || copy_licences
    echo "$prefix"
    exit 0
fi
ensure_packages "${WINDOWS_BUILD_PACKAGES[@]}" perl python3 xz-utils

start=$SECONDS
work=$(mktemp -d "${TMPDIR:-/tmp}/qt-mingw.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
# Qt's makefiles call x86_64-w64-mingw32-g++, which Debian points at the win32
# thread model unless told otherwise; the posix one has std::mutex. Wrappers
# first on PATH choose it for this build alone, leaving the machine's
# alternatives as they are.
mkdir "$work/bin"
for tool in gcc g++ c++; do
    printf '#!/bin/sh\nexec x86_64-w64-mingw32-%s-posix "$@"\n' "$tool" >"$work/bin/x86_64-w64-mingw32-$tool"
    chmod +x "$work/bin/x86_64-w64-mingw32-$tool"
done
export PATH=$work/bin:$PATH

echo "Building Qt for Windows into $prefix (logs in $work while it runs)" >&2
tar -xJf "$qtbase_tar" -C "$work"
tar -xJf "$serialport_tar" -C "$work"
mkdir "$work/qtbase-build" "$work/serialport-build"
(
    cd "$work/qtbase-build"
    "$work/qtbase-everywhere-src-$v/configure" "${configure_flags[@]}" >"$work/configure.log" 2>&1 \
        || { tail -40 "$work/configure.log" >&2; exit 1; }
    make -j"$(nproc)" >"$work/make.log" 2>&1 || { tail -60 "$work/make.log" >&2; exit 1; }
    make install >"$work/install.log" 2>&1 || { tail -40 "$work/install.log" >&2; exit 1; }
)
(
    cd "$work/serialport-build"
    "$prefix/bin/qmake" "$work/qtserialport-everywhere-src-$v" >"$work/serialport.log" 2>&1
    make -j"$(nproc)" >>"$work/serialport.log" 2>&1 && make install >>"$work/serialport.log" 2>&1 \
        || { tail -40 "$work/serialport.log" >&2; exit 1; }
)
copy_licences
printf '%s\n' "$recipe" >"$prefix/.recipe"
echo "Qt for Windows built in $((SECONDS - start)) s" >&2
echo "$prefix"
