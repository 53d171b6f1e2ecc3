#!/usr/bin/env bash
# Runs one build tree's test suite under one Wine session; extra arguments go
# to ctest (a label to take or leave out).  Ends with the runner's closing
# line unless SUMMARY=0: scripts/test.sh sums several trees itself.
#   scripts/run-tests.sh BUILD_DIR [CTEST_ARGS...]
set -euo pipefail
build=$(mkdir -p "${1:-build}" && cd "${1:-build}" && pwd)
shift || true
here=$(cd "$(dirname "$0")" && pwd)
eval "$("$here/wine-session.sh" start "$build")"
trap '"$here/wine-session.sh" stop "$build"' EXIT
cd "$build"
set +e
ctest --output-on-failure --timeout 300 -j2 "$@" </dev/null | tee ctest.log
status=${PIPESTATUS[0]}
if [ "${SUMMARY:-1}" != 0 ]; then
    . "$here/test-counts.sh"
    echo "Tests: $(passed ctest.log) passed, $(failed ctest.log) failed"
fi
exit "$status"
