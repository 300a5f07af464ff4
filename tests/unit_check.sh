#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The gateway's systemd unit as systemd reads it: systemd-analyze verify on
# the template (it checks every key, the user and the command), with the
# command pointed at the build's orvante-ctl, as the installed unit finds its own.
# Usage: unit_check.sh SOURCE_DIR BUILD_DIR. Exits 77 (skipped) without systemd-analyze.
set -eu
source=$1 build=$2
if ! command -v systemd-analyze >/dev/null; then
    echo "skipped: needs systemd-analyze (systemd)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unit=orvante-gateway@.service
grep -q '^ExecStart=orvante-ctl publish --config /etc/orvante-usart/gateway/%i.conf$' \
    "$source/dist/gateway/$unit"
sed "s|^ExecStart=orvante-ctl |ExecStart=$build/orvante-ctl |" "$source/dist/gateway/$unit" \
    > "$work/$unit"
# The manual page is checked by the package test; it is not installed here.
if ! said=$(systemd-analyze verify --man=no "$work/$unit" 2>&1) || [ -n "$said" ]; then
    echo "$said"
    exit 1
fi
echo "systemd-analyze verify: $unit is clean"
