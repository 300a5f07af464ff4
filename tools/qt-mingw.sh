#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Qt 5.15.8 for Windows (x86_64-w64-mingw32) from the source tarballs in
# ../shared/third-party, once, into a cache folder outside the tree that later
# runs reuse. Only what the programs and their tests use: Core, Gui, Widgets,
# Test, SerialPort, the windows and offscreen platform plugins and the
# windowsvista style.
#
#   tools/qt-mingw.sh            build it unless the cache already holds it;
#                                prints the Qt prefix on the last line
#   tools/qt-mingw.sh --rebuild  throw the cached Qt away and build it again
#
# The cache is $ORV_QT_MINGW, or ~/.cache/orvante-usart/qt-5.15.8-mingw64.
# A cold build takes about half an hour on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh

rebuild=0
case "${1:-}" in
    "") ;;
    --rebuild) rebuild=1 ;;
    *) echo "usage: $0 [--rebuild]" >&2; exit 2 ;;
esac

# The sources sit in shared/third-party beside the project's folder; a clone
# made elsewhere on the same machine finds them at /work/shared.
sources=${ORV_THIRD_PARTY:-}
if [ -z "$sources" ]; then
    for sources in "$PWD/../shared/third-party" /work/shared/third-party; do
        [ -d "$sources" ] && break
    done
fi
qtbase_tar=$sources/qtbase-opensource-src_5.15.8+dfsg.orig.tar.xz
serialport_tar=$sources/qtserialport-everywhere-src-5.15.8.tar.xz
prefix=$(mingw_qt_prefix)

# What the cached build was made from and with: a change to either rebuilds.
configure_flags=(
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -opensource -confirm-license -release -shared -prefix "$prefix"
    -nomake tests -nomake examples
    -no-opengl -no-dbus -no-icu -no-sql-sqlite -no-feature-tabletevent
    -no-feature-sql -no-feature-network -no-feature-xml -no-feature-concurrent
    -no-feature-printer
    -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre
)
recipe="$(sha256sum "$qtbase_tar" "$serialport_tar" | cut -d' ' -f1) ${configure_flags[*]}"

# The licence a copy of these DLLs goes with.
copy_licence() {
    mkdir -p "$prefix/licenses"
    tar -xJf "$qtbase_tar" -O qtbase-everywhere-src-5.15.8/LICENSE.LGPL3 >"$prefix/licenses/LICENSE.LGPL3"
}

if [ "$rebuild" -eq 0 ] && [ -f "$prefix/.recipe" ] && [ "$(cat "$prefix/.recipe")" = "$recipe" ]; then
    [ -s "$prefix/licenses/LICENSE.LGPL3" ] || copy_licence
    echo "$prefix"
    exit 0
fi
for tar in "$qtbase_tar" "$serialport_tar"; do
    [ -f "$tar" ] || { echo "missing Qt source: $tar (set ORV_THIRD_PARTY)" >&2; exit 1; }
done
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
    "$work/qtbase-everywhere-src-5.15.8/configure" "${configure_flags[@]}" >"$work/configure.log" 2>&1 \
        || { tail -40 "$work/configure.log" >&2; exit 1; }
    make -j"$(nproc)" >"$work/make.log" 2>&1 || { tail -60 "$work/make.log" >&2; exit 1; }
    make install >"$work/install.log" 2>&1 || { tail -40 "$work/install.log" >&2; exit 1; }
)
(
    cd "$work/serialport-build"
    "$prefix/bin/qmake" "$work/qtserialport-everywhere-src-5.15.8" >"$work/serialport.log" 2>&1
    make -j"$(nproc)" >>"$work/serialport.log" 2>&1 && make install >>"$work/serialport.log" 2>&1 \
        || { tail -40 "$work/serialport.log" >&2; exit 1; }
)
copy_licence
printf '%s\n' "$recipe" >"$prefix/.recipe"
echo "Qt for Windows built in $((SECONDS - start)) s" >&2
echo "$prefix"
