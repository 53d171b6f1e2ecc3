#!/usr/bin/env bash
# scripts/setup.sh against a stand-in apt-get and dpkg: a mirror in the middle
# of a sync, a package that cannot be had, and machines with and without
# 32-bit support. Nothing is installed; the stand-ins record what was asked.
#   tests/setup_test.sh SOURCE_DIR
set -u
src=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 cases=0
declare -A failed_cases=()

# A root of its own: setup.sh, a runs-32bit.sh that answers as told, and the
# charting library already fetched.
mkdir -p "$work/root/scripts" "$work/root/.deps/chart.js-4.4.1" "$work/bin"
cp "$src/scripts/setup.sh" "$work/root/scripts/"
printf '#!/bin/sh\nexit "$(cat "$STATE/runs32")"\n' >"$work/root/scripts/runs-32bit.sh"
touch "$work/root/.deps/chart.js-4.4.1/chart.umd.js" "$work/root/.deps/chart.js-4.4.1/LICENSE.md"
# Only the plain tools: every build tool counts as missing.
for tool in bash sh sed grep head paste mktemp rm cat dirname tr; do
    ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
cat >"$work/bin/id" <<'SH'
#!/bin/sh
echo 0
SH
cat >"$work/bin/sleep" <<'SH'
#!/bin/sh
echo "sleep $*" >>"$STATE/calls"
SH
# dpkg: nothing installed; the foreign architectures and additions recorded.
cat >"$work/bin/dpkg" <<'SH'
#!/bin/sh
echo "dpkg $*" >>"$STATE/calls"
case "$1" in
--print-foreign-architectures) cat "$STATE/arches" 2>/dev/null ;;
-s) exit 1 ;;
esac
SH
# apt-get: "update" exits with the next status of $STATE/update (the last one
# once they run out); "install" fails with apt's words for each package
# named in $STATE/missing or $STATE/broken.
cat >"$work/bin/apt-get" <<'SH'
#!/bin/bash
echo "apt-get $*" >>"$STATE/calls"
if [ "$1" = update ]; then
    status=$(head -n 1 "$STATE/update")
    [ "$(wc -l <"$STATE/update")" -gt 1 ] && sed -i 1d "$STATE/update"
    [ "$status" -eq 0 ] || echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
    exit "$status"
fi
status=0
for p in "$@"; do
    if grep -qx -- "$p" "$STATE/missing" 2>/dev/null; then
        echo "E: Unable to locate package $p"; status=100
    elif grep -qx -- "$p" "$STATE/broken" 2>/dev/null; then
        echo " $p : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages."; status=100
    fi
done
exit $status
SH
chmod +x "$work/bin/"* "$work/root/scripts/runs-32bit.sh"
# wc for the stand-in apt-get.
ln -s "$(command -v wc)" "$work/bin/wc"

# One case: RUNS32 (0 runs 32-bit programs), update statuses, missing and
# broken packages; then the expected exit status.
run_case() {
    local name=$1 runs32=$2 updates=$3 missing=$4 broken=$5 want=$6
    cases=$((cases + 1))
    export STATE="$work/state-$cases"
    mkdir -p "$STATE"
    echo "$runs32" >"$STATE/runs32"
    echo "${ARCHES:-}" >"$STATE/arches"
    tr ' ' '\n' <<<"$updates" >"$STATE/update"
    tr ' ' '\n' <<<"$missing" >"$STATE/missing"
    tr ' ' '\n' <<<"$broken" >"$STATE/broken"
    PATH="$work/bin" bash "$work/root/scripts/setup.sh" >"$STATE/out" 2>&1
    got=$?
    current=$name
    expect "exit status" "$want" "$got"
}
fail() {
    echo "FAIL [$current]: $*"
    echo "  setup printed:"; sed 's/^/    /' "$STATE/out"
    echo "  calls:"; sed 's/^/    /' "$STATE/calls"
    failures=$((failures + 1))
    failed_cases[$current]=1
}
expect() { [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"; }
count() { grep -c -- "$1" "$STATE/calls"; }
printed() { grep -qF -- "$1" "$STATE/out" || fail "expected the output to hold '$1'"; }
not_called() { ! grep -qF -- "$1" "$STATE/calls" || fail "expected no call with '$1'"; }

run_case "update fails once, then succeeds" 1 "100 0" "" "" 0
expect "updates" 2 "$(count '^apt-get update')"
expect "pauses" 1 "$(count '^sleep')"
expect "installs" 1 "$(count '^apt-get install')"

run_case "update always fails, install succeeds" 1 "100" "" "" 0
expect "updates" 3 "$(count '^apt-get update')"
expect "installs" 1 "$(count '^apt-get install')"
printed "some package indexes could not be fetched"
printed "Mirror sync in progress?"

run_case "an install that fails names the package" 1 "0" "nsis" "" 1
printed "could not install nsis: Unable to locate package nsis"
expect "lines printed to say why" 2 "$(wc -l <"$STATE/out")"

run_case "no 32-bit support: nothing i386" 1 "0" "" "" 0
not_called ":i386"
not_called "--add-architecture"
grep -q '^apt-get install .* wine ' "$STATE/calls" || fail "expected wine in the install"

run_case "32-bit support, wine32 cannot be had" 0 "100" "" "wine32:i386" 0
expect "i386 added" 1 "$(count 'dpkg --add-architecture i386')"
grep '^apt-get install' "$STATE/calls" | head -n 1 | grep -q ':i386' &&
    fail "expected the first install to ask for no i386 package"
expect "installs" 2 "$(count '^apt-get install')"
printed "wine32:i386 could not be installed (wine32:i386 : Depends: libwine:i386"
printed "the tests will run the x64 build"

ARCHES=i386 run_case "32-bit support, i386 already there" 0 "0" "" "" 0
not_called "--add-architecture"
expect "installs" 2 "$(count '^apt-get install')"

echo "$((cases - ${#failed_cases[@]})) passed, ${#failed_cases[@]} failed"
[ "$failures" -eq 0 ]
