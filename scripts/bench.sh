#!/usr/bin/env bash
# Builds and runs the benchmarks: two demo servers on sample sheets drawn
# beforehand at 200 dpi (one answering at once, one 50 ms late), the paper
# path beside its floors, resident memory, start-up under a virtual X server
# and the image view's figures. Prints figures and ratios; never fails on
# time. Figures from a shared machine are noisy: compare the ratios of one
# run, and run it more than once.
#   scripts/bench.sh [rounds]     (rounds per case, at least 10; default 15)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-15}"
scripts/install-deps.sh
scripts/build.sh build >/dev/null

data="$PWD/build/bench-data"
mkdir -p "$data"
work="$(mktemp -d)"
# Qt wants a private runtime folder; without one it says so on every start.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a demo server in this shell (so the clean-up knows it) and sets
# $port to the port it prints first.
start_server() { # name, extra options...
  local name="$1"; shift
  build/demo-server --port 0 --data "$data" --db "$data/$name.sqlite" --dpi 200 --students 6 "$@" \
    >"$work/$name.log" 2>"$work/$name.err" &
  pids+=($!)
  for _ in $(seq 1 600); do
    port="$(head -1 "$work/$name.log" 2>/dev/null || true)"
    if [[ "$port" =~ ^[0-9]+$ ]]; then return 0; fi
    sleep 0.1
  done
  echo "demo server $name did not start" >&2; cat "$work/$name.log" "$work/$name.err" >&2; exit 1
}

echo "Drawing the sample sheets at 200 dpi (once; kept in $data)..."
start_server plain --pregenerate
plain="$port"
until grep -q '^drew ' "$work/plain.log"; do sleep 0.2; done
start_server delayed --delay-ms 50
delayed="$port"

echo
build/bench/bench_paper --server "127.0.0.1:$plain" --delayed-server "127.0.0.1:$delayed" \
  --rounds "$rounds"
build/bench/bench_paper --server "127.0.0.1:$plain" --memory --opens 100

if [ -x build/bench/bench_startup ] && command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  pids+=($!)
  until [ -s "$work/display" ]; do sleep 0.1; done
  DISPLAY=":$(head -1 "$work/display")" QT_QPA_PLATFORM=xcb \
    build/bench/bench_startup --client build/marking-client --rounds "$rounds"
fi

echo
QT_QPA_PLATFORM=offscreen build/bench/bench_imaging --benchmark_min_time=0.2 2>/dev/null
