#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The window on a device behind ser2net, as a receiver for the shared peer
# bench: puts ser2net (RFC 2217) in front of the pseudo-terminal the bench
# gives with --port, then becomes orvante-usart --port rfc2217://localhost:N
# (same PID, so the bench samples the window). ser2net goes when it ends.
#   ORV_EXE=bench/through-ser2net.sh ../shared/peer-bench/run_orv.sh LABEL RATE SECONDS
# ORV_WINDOW: the window program (default build/orvante-usart).
set -eu
[ "$1" = --port ] || { echo "usage: $0 --port DEVICE" >&2; exit 2; }
device=$2
window=${ORV_WINDOW:-$(dirname "$0")/../build/orvante-usart}
dir=$(mktemp -d)
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$dir/ser2net.yaml" <<YAML
%YAML 1.1
---
connection: &rfc
  accepter: telnet(rfc2217),tcp,$port
  connector: serialdev,$device,115200n81,local
YAML
ser2net -n -c "$dir/ser2net.yaml" >/dev/null 2>&1 &
server=$!
me=$$
# Stops ser2net once the window (this PID after exec) has ended.
(while kill -0 "$me" 2>/dev/null; do sleep 1; done; kill "$server"; rm -rf "$dir") >/dev/null 2>&1 &
until ! python3 -c 'import socket, sys; socket.socket().bind(("127.0.0.1", int(sys.argv[1])))' "$port" 2>/dev/null; do
    sleep 0.05
done
exec "$window" --port "rfc2217://localhost:$port"
