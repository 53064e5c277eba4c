#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo server with sample data
# and opens the marking client. Stopping the client stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build

port="${DEMO_PORT:-18080}"
data="${DEMO_DATA:-$PWD/demo-data}"
mkdir -p "$data"
build/demo-server --port "$port" --data "$data" &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT

for _ in $(seq 1 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then break; fi
  if ! kill -0 $server 2>/dev/null; then echo "The demo server did not start." >&2; exit 1; fi
  sleep 0.2
done
echo "Demo server on 127.0.0.1:$port (data in $data). Sign in with server 127.0.0.1:$port, user t01, password 1."

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  build/marking-client
else
  echo "No display found: running the client under xvfb-run (a virtual screen you cannot see)."
  xvfb-run -a -s "-screen 0 1600x1000x24" build/marking-client
fi
