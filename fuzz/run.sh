#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang 14) and runs each for a bounded
# time from the committed seeds. New inputs collect under
# build/fuzz/fuzz/work/<target>/corpus, failing inputs under .../artifacts.
#
#   bash fuzz/run.sh                 # every target, 10 seconds each
#   bash fuzz/run.sh 1800            # every target, half an hour each
#   bash fuzz/run.sh 600 subtotal    # one target (prompted_input, line_editor,
#                                    # column_letters, web_link, html_text, subtotal,
#                                    # sumif_01, sumif_02)
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$source_dir"
seconds=${1:-10}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for seeds in fuzz/corpus/*/; do
        targets+=("$(basename "$seeds")")
    done
fi

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for target in "${targets[@]}"; do
    work=build/fuzz/fuzz/work/$target
    mkdir -p "$work/corpus" "$work/artifacts"
    echo "== $target: ${seconds} s"
    if ! "build/fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" "fuzz/corpus/$target" \
        2> "$work/last_run.log"; then
        status=1
        echo "   FAILED: see $work/last_run.log and $work/artifacts/"
        grep -E 'property failed|ERROR: |runtime error' "$work/last_run.log" | head -5 || true
    else
        grep -E 'stat::(number_of_executed_units|new_units_added)' "$work/last_run.log" | sed 's/^/   /'
    fi
done
exit "$status"
