#!/usr/bin/env bash
# Builds and runs the benchmarks (Google Benchmark), five repetitions each.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset default
cmake --build --preset default
build/default/bench/benchmarks --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
