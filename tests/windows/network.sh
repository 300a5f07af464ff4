#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# orvante-ctl.exe from the zip, under Wine, talks to a native ser2net in front
# of a native simulator, over RFC 2217 and over raw TCP: identity and a
# switching setting answered (Wine's sockets reach the server as a Linux
# program's do, so here the answers do arrive), a line preset set through
# RFC 2217 that the simulator then answers at, and a refused connection
# reported with status 4.
# Usage: network.sh ZIP NATIVE_BUILD   (WINEPREFIX: the prefix to run in)
set -eu
zip=$1 native=$2
. "$(dirname "$0")/common.sh"
command -v ser2net >/dev/null || { echo "ser2net is not installed (test.sh --windows installs it)"; exit 1; }

start_sim sensor
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
rfc=$(free_port)
raw=$(free_port)
cat >"$work/ser2net.yaml" <<YAML
%YAML 1.1
---
connection: &rfc
  accepter: telnet(rfc2217),tcp,$rfc
  connector: serialdev,$(device sensor),9600n81,local
connection: &raw
  accepter: tcp,$raw
  connector: serialdev,$(device sensor),9600n81,local
YAML
ser2net -n -d -c "$work/ser2net.yaml" >"$work/ser2net.log" 2>&1 &
sims="$sims $!"
# Not by connecting: ser2net would open the device for it and turn the next
# client away until it has closed it again.
listens() { ! python3 -c 'import socket, sys; socket.socket().bind(("127.0.0.1", int(sys.argv[1])))' "$1" 2>/dev/null; }
poll 10 listens "$rfc"
poll 10 listens "$raw"

failed=0
# expect NAME STATUS PATTERN ARGS...: orvante-ctl.exe ends with STATUS and
# its output (stdout and stderr) has a line matching PATTERN.
expect() {
    name=$1 want=$2 pattern=$3
    shift 3
    status=0
    (cd "$top" && wine orvante-ctl.exe "$@") >"$work/out" 2>&1 || status=$?
    tr -d '\r' <"$work/out" >"$work/out.txt"
    if [ "$status" -ne "$want" ] || ! grep -q -- "$pattern" "$work/out.txt"; then
        printf "%s: status %s (wanted %s), said: %s\n" "$name" "$status" "$want" "$(cat "$work/out.txt")"
        failed=1
        return
    fi
    printf "%s: %s\n" "$name" "$(grep -m 1 -- "$pattern" "$work/out.txt")"
}
expect "identity over rfc2217" 0 '^serial_number: A17$' --port "rfc2217://localhost:$rfc" identity
expect "identity over tcp" 0 '^serial_number: A17$' --port "tcp://127.0.0.1:$raw" identity
expect "switching setting over rfc2217" 0 '^accepted$' --port "rfc2217://localhost:$rfc" \
    set switching --mode 2 --on1 1500 --off1 1400 --on2 3000 --off2 2900
expect "line preset over rfc2217" 0 '^accepted$' --port "rfc2217://localhost:$rfc" set line-preset 6
expect "answered at the new preset" 0 '^on1: 1500$' --port "rfc2217://localhost:$rfc" --preset 6 switching
expect "nothing listening" 4 'connection refused; is ser2net' --port "rfc2217://127.0.0.1:1" identity
[ "$failed" -eq 0 ]
