#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh [seconds-per-target]      (default 30)
# Crashes are left in fuzz-out/<target>/ and make the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET="${1:-30}"
if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, skipping"
  exit 0
fi
BUILD_DIR="${VELUMIX_FUZZ_BUILD_DIR:-build-fuzz}"
export CCACHE_BASEDIR="$PWD"
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELUMIX_FUZZ=ON >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target velumix_fuzz_targets
# A small quarantine: the decoder target frees large FFmpeg buffers on every
# input, and ASan's default quarantine kept enough of them to cross libFuzzer's
# 2 GB limit with only ~25 MB live. Capped, a 150 s run peaks at ~170 MB.
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=32:thread_local_quarantine_size_kb=256
status=0
for target in "$BUILD_DIR"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="fuzz/seeds/${name#fuzz_}"
  corpus="fuzz-out/$name/corpus"
  mkdir -p "$corpus" "fuzz-out/$name/crashes"
  [ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
  echo "fuzz: $name for ${SECONDS_PER_TARGET}s"
  if ! "$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="fuzz-out/$name/crashes/" -print_final_stats=1 "$corpus" \
      >"fuzz-out/$name/log.txt" 2>&1; then
    echo "fuzz: $name FAILED; see fuzz-out/$name/log.txt"
    tail -30 "fuzz-out/$name/log.txt"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "fuzz-out/$name/log.txt" | sed "s/^/  $name /" || true
done
exit $status
