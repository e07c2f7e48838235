#!/usr/bin/env bash
# Runs each fuzz target for a set time on its committed seeds.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# New inputs go to BUILD_DIR/fuzz-corpus/<target> (the committed seeds under
# fuzz/corpus/<target> are only read); a finding is written to
# BUILD_DIR/fuzz-findings/ and ends the script with status 1 after the log's
# tail has been shown. Add a finding to the seeds and as a test once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
targets=("$@")
((${#targets[@]})) || targets=(read_free numeric_edit whole_run study_reader fit_reader partial_file)

# Longest input per target: a whole run is kept short so that a run stays quick.
declare -A max_len=([read_free]=4096 [numeric_edit]=512 [whole_run]=1024 [study_reader]=4096 [fit_reader]=4096 [partial_file]=4096)

mkdir -p "$build/fuzz-findings"
status=0
for t in "${targets[@]}"; do
  exe="$build/fuzz/${t}_fuzz"
  corpus="$build/fuzz-corpus/$t"
  log="$build/fuzz-findings/$t.log"
  mkdir -p "$corpus"
  printf '%-14s %4ss ... ' "$t" "$seconds"
  if "$exe" "$corpus" "fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -max_len="${max_len[$t]}" -print_final_stats=1 \
       -artifact_prefix="$build/fuzz-findings/$t-" >"$log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "ok ($runs runs)"
  else
    echo "FINDING"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
