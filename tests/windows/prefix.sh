#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Wine prefix the Windows checks run in (once), with a CJK font so
# that the window's Chinese texts render, and puts the DLLs the test programs
# load beside them.
# Usage: prefix.sh PREFIX BUILD_DIR PLATFORM_PLUGIN DLL...
set -eu
prefix=$1 build=$2 plugin=$3
shift 3
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# Fonts a Windows PC has: Tahoma, which Qt's default "MS Shell Dlg 2" stands
# for (Debian's Wine 8 does not load the copy in its own data folder, and
# falls back to a serif font that does not fit the window's fixed layout), and
# a CJK font for the Chinese texts.
for font in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf \
    /usr/share/fonts/truetype/wqy/wqy-microhei.ttc; do
    cp -u "$font" "$prefix/drive_c/windows/Fonts/"
done
mkdir -p "$build/platforms"
cp "$plugin" "$build/platforms/"
cp "$@" "$build/"
echo "Wine prefix $prefix ready ($(wine --version))"
