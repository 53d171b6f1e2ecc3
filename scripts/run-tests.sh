#!/usr/bin/env bash
# Runs the whole test suite under one Wine session.
set -euo pipefail
build=$(mkdir -p "${1:-build}" && cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
eval "$("$here/wine-session.sh" start "$build")"
trap '"$here/wine-session.sh" stop "$build"' EXIT
cd "$build"
set +e
ctest --output-on-failure --timeout 300 -j2 </dev/null | tee ctest.log
status=${PIPESTATUS[0]}
passed=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' ctest.log)
total=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' ctest.log)
echo "Tests: $passed passed, $((total - passed)) failed"
exit "$status"
