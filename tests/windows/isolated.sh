#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with this machine's own serial devices out of Wine's reach:
# Wine makes a COM port of every /dev/ttyS*, ttyUSB* and ttyACM* it finds, and
# Scan (orvante-ctl ports) opens each one to see whether it can. Here those
# may be the machine's console; the checks must see only the simulator's
# port. In a mount namespace of its own (with a user namespace when not root)
# each such device is covered by /dev/null, which opens as no serial port.
# Usage: isolated.sh COMMAND [ARGUMENTS]
set -eu
if [ "${ORV_ISOLATED:-}" != 1 ]; then
    for ns in "-m" "-r -m"; do
        # shellcheck disable=SC2086
        if unshare $ns true 2>/dev/null; then
            ORV_ISOLATED=1 exec unshare $ns sh "$0" "$@"
        fi
    done
    echo "isolated.sh: cannot make a mount namespace (unshare -m, unshare -r -m)" >&2
    exit 1
fi
for device in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM*; do
    [ -e "$device" ] && mount --bind /dev/null "$device"
done
exec "$@"
