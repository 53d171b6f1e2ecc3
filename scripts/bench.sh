#!/usr/bin/env bash
# Runs the benchmarks under the Wine session and prints their figures.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh" "${1:-build}"
shift || true
(cd "$build/bin/cmdlog_bench.d" && "$here/wine-run" cmdlog_bench.exe "$@" </dev/null)
(cd "$build/bin/module_bench.d" && "$here/wine-run" module_bench.exe </dev/null)
(cd "$build/bin" && "$here/wine-run" report_bench.exe </dev/null)
