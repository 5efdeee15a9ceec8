#!/usr/bin/env bash
# Longer fuzzing of every libFuzzer target (the ctest entries run each briefly).
#   tools/fuzz.sh [SECONDS]   default 600: the total, shared evenly by the targets,
#                             which run one after the other.
# Each grows its corpus in build/native/tests/fuzz/corpus/<target> from the seeds
# in tests/data/fuzz/<target>; findings and its log go to
# build/native/fuzz-artifacts/<target>/. Ends with one line per target: its runs
# and coverage, or where its failure is told.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(list_file menu_plan command_string ansi_text)
each=$(( ${1:-600} / ${#targets[@]} ))
./tools/bootstrap.sh
cmake --preset native >/dev/null
cmake --build --preset native -j2 $(printf -- '--target fuzz_%s ' "${targets[@]}")
summary=() status=0
for t in "${targets[@]}"; do
    out=build/native/fuzz-artifacts/$t corpus=build/native/tests/fuzz/corpus/$t
    mkdir -p "$out" "$corpus"
    more=(); [[ $t == list_file ]] && more=(-max_len=70000 tests/data/lists)
    if build/native/tests/fuzz/fuzz_$t -max_total_time="$each" -artifact_prefix="$out/" \
        "$corpus" "tests/data/fuzz/$t" "${more[@]}" 2>"$out/fuzz.log"; then
        summary+=("$(grep -E 'DONE +cov' "$out/fuzz.log" | tail -1 |
            sed -E "s/^#([0-9]+).*cov: ([0-9]+) ft: ([0-9]+).*/$t: \1 runs, cov \2, ft \3/")")
    else
        summary+=("$t: FAILED, see $out/fuzz.log"); status=1
    fi
done
printf '%s\n' "${summary[@]}"
exit "$status"
