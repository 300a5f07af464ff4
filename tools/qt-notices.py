#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The notices of the third-party code compiled into the Qt DLLs that the
Windows folder ships (Core, Gui, Widgets, SerialPort, Network, the windows platform
plugin, the windowsvista style), for the Qt in PREFIX built from QTBASE_TAR.

What this configuration compiled in is read from the prefix's mkspecs (the
enabled and disabled features of qconfig.pri, qmodule.pri and modules/*.pri),
so a machine without the build's logs finds the same answer. Each notice
(name, version, copyright, licence text) comes from Qt's own attribution
files and licence texts in the source tarball. Writes
PREFIX/licenses/qt-<id>.txt, one per component, and third-party.list naming
them.

Usage: qt-notices.py QTBASE_TAR PREFIX
"""
import glob
import json
import os
import posixpath
import re
import sys
import tarfile

# Attribution id -> the features that decide whether it is in the shipped
# DLLs: all of `needs` enabled, none of `not` enabled. None of either: always
# built in. libjpeg is left out: it lives only in the qjpeg image plugin,
# which the folder does not ship.
COMPONENTS = {
    # Qt Core
    "doubleconversion": (["doubleconversion"], ["system-doubleconversion"]),
    "easing": (["easingcurve"], []),
    "freebsd": ([], []),
    "md4": ([], []),
    "md5": ([], []),
    "sha1": ([], []),
    "rfc6234": ([], []),
    "sha3_endian": ([], []),
    "sha3_keccak": ([], []),
    "pcre2": (["regularexpression"], ["system-pcre2"]),
    "pcre2-sljit": (["regularexpression"], ["system-pcre2"]),
    "tinycbor": (["cborstreamwriter"], []),
    "zlib": ([], ["system-zlib"]),
    "unicode-character-database": ([], []),
    "unicode-cldr": ([], []),
    "psl": (["topleveldomain"], []),
    "qtsciicodec": (["codecs"], ["icu"]),
    "qbig5codecs": (["big_codecs"], ["icu"]),
    "qeucjpcodec": (["big_codecs"], ["icu"]),
    "qeuckrcodec": (["big_codecs"], ["icu"]),
    "qjiscodec": (["big_codecs"], ["icu"]),
    "qsjiscodec": (["big_codecs"], ["icu"]),
    "qbkcodec": (["big_codecs"], ["icu"]),
    # Qt Gui and the windows platform plugin
    "freetype": (["freetype"], ["system-freetype"]),
    "freetype-zlib": (["freetype"], ["system-freetype"]),
    "freetype-bdf": (["freetype"], ["system-freetype"]),
    "freetype-pcf": (["freetype"], ["system-freetype"]),
    "grayraster": ([], []),
    "smooth-scaling-algorithm": ([], []),
    "webgradients": ([], []),
    "xserverhelper": ([], []),
    "harfbuzz-ng": (["harfbuzz"], ["system-harfbuzz"]),
    "libpng": (["png"], ["system-png"]),
    "md4c": (["textmarkdownreader"], ["system-textmarkdownreader"]),
    "icc-sRGB-color-profile": (["pdf"], []),
    "aglfn": (["pdf"], []),
    "opengl-headers": (["opengl"], []),
    "opengl-es2-headers": (["opengles2"], []),
    "vulkan-xml-spec": (["vulkan"], []),
}


def features(prefix):
    """The enabled and the disabled features named anywhere in the mkspecs."""
    enabled, disabled = set(), set()
    files = [os.path.join(prefix, "mkspecs", name) for name in ("qconfig.pri", "qmodule.pri")]
    files += glob.glob(os.path.join(prefix, "mkspecs", "modules", "*.pri"))
    for path in files:
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8") as pri:
            for line in pri:
                match = re.match(r"\s*QT\.\S+\.(enabled|disabled)_features\s*[+]?=(.*)", line)
                if match:
                    (enabled if match.group(1) == "enabled" else disabled).update(match.group(2).split())
    return enabled, disabled


def chosen(enabled, disabled):
    known = enabled | disabled
    unknown = sorted({f for needs, nots in COMPONENTS.values() for f in needs + nots} - known)
    if unknown:
        # A misspelt feature would silently drop or keep a notice.
        sys.exit("qt-notices: the mkspecs name no feature " + ", ".join(unknown))
    return {cid for cid, (needs, nots) in COMPONENTS.items()
            if all(f in enabled for f in needs) and not any(f in enabled for f in nots)}


def read_sources(tar_path):
    """Every attribution file of the tarball's src/ and the texts beside them."""
    files = {}
    with tarfile.open(tar_path, "r:xz") as tar:
        for member in tar:
            if not member.isfile():
                continue
            parts = member.name.split("/", 1)
            if len(parts) < 2 or not parts[1].startswith("src/"):
                continue
            base = posixpath.basename(member.name).upper()
            if base == "QT_ATTRIBUTION.JSON" or "LICEN" in base or base == "COPYING":
                files[parts[1]] = tar.extractfile(member).read().decode("utf-8", "replace")
    return files


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    tar_path, prefix = sys.argv[1:]
    wanted = chosen(*features(prefix))
    files = read_sources(tar_path)
    out_dir = os.path.join(prefix, "licenses")
    os.makedirs(out_dir, exist_ok=True)
    written = []
    for path, text in sorted(files.items()):
        if not path.endswith("qt_attribution.json"):
            continue
        entries = json.loads(text, strict=False)
        for entry in entries if isinstance(entries, list) else [entries]:
            cid = entry.get("Id")
            if cid not in wanted:
                continue
            lines = [entry.get("Name", cid)]
            for key in ("Version", "Copyright", "License", "QtUsage"):
                if entry.get(key):
                    lines.append("%s: %s" % (key, " ".join(str(entry[key]).split())))
            for name in (entry.get("LicenseFile") or "").split(","):
                name = name.strip()
                if not name:
                    continue
                licence = posixpath.normpath(posixpath.join(posixpath.dirname(path), name))
                if licence not in files:
                    sys.exit("qt-notices: %s names %s, which the sources lack" % (cid, licence))
                lines += ["", files[licence].rstrip()]
            name = "qt-%s.txt" % cid
            with open(os.path.join(out_dir, name), "w", encoding="utf-8") as notice:
                notice.write("\n".join(lines) + "\n")
            written.append(name)
            wanted.discard(cid)
    if wanted:
        sys.exit("qt-notices: no attribution in the sources for " + ", ".join(sorted(wanted)))
    with open(os.path.join(out_dir, "third-party.list"), "w", encoding="utf-8") as listing:
        listing.write("\n".join(sorted(written)) + "\n")
    print("qt-notices: %d notices in %s" % (len(written), out_dir), file=sys.stderr)


if __name__ == "__main__":
    main()
