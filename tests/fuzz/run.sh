#!/usr/bin/env bash
# Builds the fuzz preset and runs each target for SECONDS (default 20) on a
# copy of its seed corpus, so the repository is never written. A target that
# finds a fault stops the run; its input is kept in build-fuzz/crashes/.
#   tests/fuzz/run.sh [SECONDS] [TARGET...]    e.g. tests/fuzz/run.sh 600 codec
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(codec build number transfer csv)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/crashes
for t in "${targets[@]}"; do
  cp -r "tests/fuzz/corpus/$t" "$work/$t"
  start=$SECONDS
  if ! build-fuzz/tests/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
       -artifact_prefix=build-fuzz/crashes/"$t"- "$work/$t" >"$work/$t.log" 2>&1; then
    tail -n 40 "$work/$t.log"
    echo "fuzz $t: FAILED; the input is in build-fuzz/crashes/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log")
  echo "fuzz $t: ${runs} runs in $((SECONDS - start)) s ($((runs / (SECONDS - start > 0 ? SECONDS - start : 1))) exec/s), corpus $(ls "$work/$t" | wc -l) inputs"
done
