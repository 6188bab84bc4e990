#!/usr/bin/env bash
# Builds and runs the benchmarks (Google Benchmark), five repetitions each, then
# measures the idle key wait on a terminal and in a console.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset bench
cmake --build --preset bench
build/bench/bench/benchmarks --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
# The idle key wait on a terminal and in a Wine console (skipped without Wine).
SUMWRIGHT_BINARY="$PWD/build/bench/sumwright" SUMWRIGHT_WINDOWS_BUILD_DIR="$PWD/build/bench/mingw-wine" \
  /usr/bin/python3 -m pytest -q -s -rs -p no:cacheprovider bench/console_idle_cpu_bench.py
