#!/usr/bin/env bash
# Long fuzzing run of the list-file parser (the ctest entry runs only briefly).
#   tools/fuzz.sh [SECONDS]   default 600; findings go to build/native/fuzz-artifacts/
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
./tools/bootstrap.sh
cmake --preset native >/dev/null
cmake --build --preset native --target fuzz_list_file
corpus=build/native/tests/fuzz/corpus
artifacts=build/native/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
exec build/native/tests/fuzz/fuzz_list_file -max_total_time="$seconds" -max_len=70000 \
    -artifact_prefix="$artifacts/" -jobs=2 -workers=2 "$corpus" tests/data/lists
