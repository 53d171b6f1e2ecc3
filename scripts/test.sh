#!/usr/bin/env bash
# make test: every build tree this machine can run, one closing line over all.
#   scripts/test.sh RUNS32 BUILD BUILD64
# RUNS32 is "yes" where this machine can run the shipped 32-bit build
# (scripts/wine32-ready.sh): the shipped 32-bit build's suite, then the x64
# build's.  Where it is not, the x64 build's suite, and the shipped files are
# only checked.
set -uo pipefail
runs32=$1 build=$2 build64=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/test-counts.sh"
if [ "${TARNEL_ARCH:-}" = x64 ]; then
    why="TARNEL_ARCH=x64 makes this machine act as one without 32-bit support"
elif bash "$here/runs-32bit.sh"; then
    why="32-bit Wine (wine32:i386) is not installed on this machine"
else
    why="this machine cannot run 32-bit programs"
fi
without32="$why: the x64 build of the same sources was tested; the shipped 32-bit files were built and checked, not run"
status=0
logs=()
if [ "$runs32" = yes ]; then
    echo "this machine runs 32-bit programs: the shipped 32-bit build ($build) is tested, then the x64 build of the same sources ($build64)"
    SUMMARY=0 bash "$here/run-tests.sh" "$build" || status=1
    logs+=("$build/ctest.log")
    echo "== the x64 build ($build64); the native tests ran above"
    SUMMARY=0 bash "$here/run-tests.sh" "$build64" -LE native || status=1
    logs+=("$build64/ctest.log")
else
    echo "$without32"
    echo "== the shipped 32-bit build ($build): static checks only"
    (cd "$build" && ctest --output-on-failure -L static </dev/null | tee ctest.log)
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    logs+=("$build/ctest.log")
    echo "== the x64 build ($build64)"
    SUMMARY=0 bash "$here/run-tests.sh" "$build64" || status=1
    logs+=("$build64/ctest.log")
fi
pass=0 fail=0
for log in "${logs[@]}"; do
    p=$(passed "$log") f=$(failed "$log")
    echo "   $log: $p of $((p + f)) tests passed"
    pass=$((pass + p)) fail=$((fail + f))
done
[ "$runs32" = yes ] || echo "$without32"
echo "Tests: $pass passed, $fail failed"
exit "$status"
