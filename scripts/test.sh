#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
#   scripts/test.sh             the suite in build/
#   scripts/test.sh --sanitize  the same suite built with ASan + UBSan in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

if [ "${1:-}" = "--sanitize" ]; then
  scripts/build.sh build-asan -DMARKING_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  # Leak reports are off: Qt and fontconfig keep caches for the process's life.
  export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  exec ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600
fi

scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 300
