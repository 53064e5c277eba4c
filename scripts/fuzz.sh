#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with clang (ASan + UBSan) in
# build-fuzz/ and runs each for the given number of seconds (default 60).
# Any crash, sanitizer report, input slower than 5 s or use of more than
# 2 GB fails the run; the input is left in build-fuzz/artifacts/<harness>/.
# Copy it into tests/fuzz/regressions/<harness>/ once fixed: ctest then runs
# it on every build.
#   scripts/fuzz.sh [seconds] [harness...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
seconds="${1:-60}"
shift || true

dir=build-fuzz
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DMARKING_FUZZ=ON >/dev/null
fi
cmake --build "$dir" -j"$(nproc)"

harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
  for source in tests/fuzz/fuzz_*.cpp; do harnesses+=("$(basename "$source" .cpp)"); done
fi

# Qt and fontconfig keep caches for the process's life: no leak reports. A
# smaller quarantine of freed memory keeps a long run well below the 2 GB
# limit (with the default 256 MB a harness settles near 1 GB).
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=0:quarantine_size_mb=64
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen

failed=()
for name in "${harnesses[@]}"; do
  corpus="$dir/corpus/$name"
  artifacts="$dir/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  seeds=(tests/fuzz/corpus/"$name")
  [ -d tests/fuzz/regressions/"$name" ] && seeds+=(tests/fuzz/regressions/"$name")
  echo "== $name: ${seconds} s"
  # New inputs go to the first folder only; the checked-in ones stay as they are.
  if ! "$dir/fuzz/$name" "$corpus" "${seeds[@]}" \
      -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
      -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$artifacts/" \
      >"$dir/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 60 "$dir/$name.log"
    echo "!! $name failed; input(s): $(ls "$artifacts" | tr '\n' ' ')"
  else
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$dir/$name.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing failed: ${failed[*]}" >&2
  exit 1
fi
echo "Fuzzing passed: ${harnesses[*]}"
