# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts that build (run.sh, test.sh, package.sh, bench.sh,
# fuzz.sh, tools/qt-mingw.sh): the Debian packages each needs, installed when
# missing, and the build steps they share.
# Usage: ensure_packages pkg...

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "Missing packages: ${missing[*]}; run as root or install sudo." >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# What the build needs (help2man writes the manual pages; libmosquitto-dev is
# for orvante-ctl publish), with Qt 5 or Qt 6.
BASE_PACKAGES=(cmake make g++ pkg-config help2man fontconfig fonts-dejavu-core libmosquitto-dev)
QT5_PACKAGES=(qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev libxcb1-dev)
QT6_PACKAGES=(qt6-base-dev qt6-base-dev-tools qt6-serialport-dev)
BUILD_PACKAGES=("${BASE_PACKAGES[@]}" "${QT5_PACKAGES[@]}")
# What the Debian package needs: dpkg-shlibdeps (dpkg-dev), file, and lintian
# to check it.
PACKAGE_PACKAGES=(dpkg-dev file lintian)
# What the tests check the installed files and the package with, and the
# virtual X screens of the high-DPI checks; ser2net, the device server the
# network ports are tested against; the broker, its clients and the
# certificates the gateway's tests use, and systemd-analyze for its unit.
TEST_PACKAGES=(desktop-file-utils appstream man-db xvfb xauth x11-xserver-utils ser2net
               mosquitto mosquitto-clients openssl systemd "${PACKAGE_PACKAGES[@]}")
# The sanitizers' runtimes for gcc (test.sh --sanitize).
SANITIZE_PACKAGES=(libasan8 libubsan1)
# clang with libFuzzer and its sanitizer runtimes (fuzz.sh).
FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# use_qt6: from here on BUILD_PACKAGES and build_project are for Qt 6.
ORV_CMAKE_ARGS=(-DORV_QT_MAJOR=5)
ORV_WINDOWS_CMAKE_ARGS=()
use_qt6() {
    BUILD_PACKAGES=("${BASE_PACKAGES[@]}" "${QT6_PACKAGES[@]}")
    ORV_CMAKE_ARGS=(-DORV_QT_MAJOR=6)
}

# build_project DIR [TARGET...]: configures and builds (everything when no
# target is named).
build_project() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${ORV_CMAKE_ARGS[@]}" >/dev/null
    if [ $# -eq 0 ]; then
        cmake --build "$dir" -j"$(nproc)"
    else
        cmake --build "$dir" -j"$(nproc)" --target "$@"
    fi
}

# The Windows build: the mingw-w64 cross compilers (posix threads), the Qt
# for Windows that tools/qt-mingw.sh builds into a cache outside the tree,
# ImageMagick for the .exe icon, NSIS for the installer and git for the source
# archive; its tests run under Wine on a virtual display and read the .exe
# resources back with icoutils.
WINDOWS_BUILD_PACKAGES=(cmake make mingw-w64 g++-mingw-w64-x86-64-posix unzip imagemagick nsis git)
WINDOWS_TEST_PACKAGES=(wine wine64 fonts-wine xvfb xauth xdotool imagemagick fonts-wqy-microhei icoutils ser2net)
# The Qt for Windows that tools/qt-mingw.sh builds: its version names the
# source tarballs, their folders and the cache.
ORV_QT_WINDOWS_VERSION=5.15.8
mingw_qt_prefix() {
    echo "${ORV_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/orvante-usart/qt-$ORV_QT_WINDOWS_VERSION-mingw64}"
}

# build_windows DIR TESTS: the cross build in DIR (Release), with the test
# suites when TESTS is ON; the Qt for Windows is built first if the cache
# lacks it.
build_windows() {
    local dir=$1 tests=$2
    ensure_packages "${WINDOWS_BUILD_PACKAGES[@]}"
    local qt
    qt=$(tools/qt-mingw.sh | tail -n 1)
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_PREFIX_PATH="$qt" \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING="$tests" -DORV_DEPLOY_QT=ON \
        "${ORV_CMAKE_ARGS[@]}" "${ORV_WINDOWS_CMAKE_ARGS[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# windows_version DIR: the version the Windows build in DIR was configured with.
windows_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"
}

# windows_installer DIR: DIR/orvante-usart-<version>-setup.exe (NSIS), from the
# folder the build in DIR installs. The file lists are made here from that
# folder, so that the uninstaller removes exactly what was installed.
windows_installer() {
    local dir=$1
    local version stage lists
    version=$(windows_version "$dir")
    stage=$PWD/$dir/installer/folder
    lists=$PWD/$dir/installer
    rm -rf "$stage"
    cmake --install "$dir" --prefix "$stage" --strip >/dev/null
    local file folder
    : >"$lists/files.nsh"
    : >"$lists/unfiles.nsh"
    (cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) | while read -r file; do
        folder=$(dirname "$file")
        [ "$folder" = . ] && folder= || folder="\\${folder//\//\\}"
        printf 'SetOutPath "$INSTDIR%s"\nFile "%s"\n' "$folder" "$stage/$file" >>"$lists/files.nsh"
        printf 'Delete "$INSTDIR\\%s"\n' "${file//\//\\}" >>"$lists/unfiles.nsh"
    done
    # Folders deepest first, each removed only if nothing else is left in it.
    (cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r) | while read -r folder; do
        printf 'RMDir "$INSTDIR\\%s"\n' "${folder//\//\\}" >>"$lists/unfiles.nsh"
    done
    makensis -V2 -DFILES="$lists/files.nsh" -DUNFILES="$lists/unfiles.nsh" \
        -DOUTFILE="$PWD/$dir/orvante-usart-$version-setup.exe" "$dir/dist/installer.nsi"
}

# source_archive DIR: DIR/orvante-usart-<version>-source.zip, the committed
# tree (git archive), which the Windows packages offer as their source.
source_archive() {
    local dir=$1 version
    version=$(windows_version "$dir")
    git rev-parse --git-dir >/dev/null 2>&1 || {
        echo "the source archive needs a git checkout" >&2
        return 1
    }
    git diff --quiet HEAD -- || echo "note: uncommitted changes are not in the source archive" >&2
    git archive --format=zip --prefix="orvante-usart-$version/" \
        -o "$dir/orvante-usart-$version-source.zip" HEAD
}
