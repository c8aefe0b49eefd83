#!/usr/bin/env bash
# Runs each fuzz target for the given seconds from its seed corpus in
# fuzz/corpus/, keeping what it learns in the build folder's corpus. Fails on
# the first crash.
#   scripts/fuzz.sh BUILD_DIR SECONDS TARGET...
set -euo pipefail
build=$1 seconds=$2
shift 2
for target in "$@"; do
    mkdir -p "$build/corpus/$target"
    echo "== $target, $seconds s"
    log="$build/$target.log"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$build/$target-" "$build/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "$target: crashed; the input is in $build/$target-*" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log"
done
