#!/usr/bin/env bash
# Runs every fuzz target for SECONDS from its seed corpus (copied, so the run adds nothing to the project).
# A finding stops the run with status 1; its input is left in WORK/ to be added to the corpus.
#   run.sh BUILD_DIR SECONDS [WORK]
set -u
build=$(realpath "$1") seconds=$2 work=${3:-$(mktemp -d)}
corpus=$(dirname "$(realpath "$0")")/corpus
status=0
for target in coordinates contacts map search sift structure dcd interactions; do
  mkdir -p "$work/$target"
  cp -n "$corpus/$target"/* "$work/$target/" 2>/dev/null
  # A target's dictionary (the words of its format) where there is one.
  dictionary=()
  [ -f "$(dirname "$corpus")/$target.dict" ] && dictionary=(-dict="$(dirname "$corpus")/$target.dict")
  if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "${dictionary[@]}" \
      -artifact_prefix="$work/$target-" -print_final_stats=1 "$work/$target" >"$work/$target.log" 2>&1; then
    echo "fuzz_$target found a failure:"
    tail -n 30 "$work/$target.log"
    status=1
  else
    echo "fuzz_$target: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$work/$target.log" | cut -d' ' -f2) runs, no failure"
  fi
done
exit $status
