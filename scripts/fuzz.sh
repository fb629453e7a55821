#!/usr/bin/env bash
# Builds the key list fuzzer with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds
# (default 60). New inputs it finds go to build/fuzz/corpus; the seeds in
# tests/fuzz/corpus stay as they are. Longer runs:
#   bash scripts/fuzz.sh 3600        # an hour
#   bash scripts/fuzz.sh 600 -jobs=2 # more libFuzzer options after the time
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
compiler=$(command -v clang++ || command -v clang++-14 || true)
if [ -z "$compiler" ]; then
  echo "fuzz.sh: clang++ not found; the key list fuzzer needs it" >&2
  exit 2
fi

mkdir -p build/fuzz/corpus
"$compiler" -std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined \
  -fno-sanitize-recover=undefined -Isrc \
  tests/fuzz/key_list_fuzzer.cpp src/keymonitor/key_list.cpp -o build/fuzz/key_list_fuzzer

build/fuzz/key_list_fuzzer -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ "$@" \
  build/fuzz/corpus tests/fuzz/corpus
