#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file says under which licence it stands (its SPDX line), so a
# file added without one fails here.
# Usage: licence_check.sh SOURCE_DIR. Exits 77 (skipped) outside a git checkout.
set -eu
cd "$1"
git rev-parse --git-dir >/dev/null 2>&1 || { echo "skipped: not a git checkout"; exit 77; }
missing=$(git ls-files -- '*.cpp' '*.h' '*.in' '*.cmake' '*CMakeLists.txt' '*.sh' '*.py' '*.ui' '*.h2m' \
    | grep -v -e '^dist/copyright.in$' -e '^dist/README-windows.txt.in$' \
        -e '^dist/windows/source-offer.txt.in$' \
    | while read -r file; do grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' "$file" || echo "$file"; done)
if [ -n "$missing" ]; then
    echo "no SPDX-License-Identifier line in:"
    echo "$missing"
    exit 1
fi
echo "every source file carries its SPDX line"
