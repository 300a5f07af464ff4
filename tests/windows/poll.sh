# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the Windows checks: waiting for something without guessing how
# long it takes.

# poll SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds (0) or
# SECONDS have passed (1).
poll() {
    deadline=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}
