#!/usr/bin/env bash
# Runs the benchmarks under the Wine session and prints their figures.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
here=$(cd "$(dirname "$0")" && pwd)
eval "$("$here/wine-session.sh" start "$build")"
trap '"$here/wine-session.sh" stop "$build"' EXIT
(cd "$build/bin/cmdlog_bench.d" && "$here/wine-run" cmdlog_bench.exe "$@" </dev/null)
(cd "$build/bin/module_bench.d" && "$here/wine-run" module_bench.exe </dev/null)
