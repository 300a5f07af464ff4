# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the checks of the zip ($zip): unpacked into the work folder $work,
# the program folder as a user has it in $top, Wine quiet. When the check ends
# Wine is stopped and the folder goes.
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
top=$(echo "$work"/*/)
export WINEDEBUG=-all
