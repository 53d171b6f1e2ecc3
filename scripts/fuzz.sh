#!/usr/bin/env bash
# Builds the libFuzzer targets of the text formats natively (clang, with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for a set
# time from its seed corpus; prints executions and findings per target.
#   scripts/fuzz.sh BUILD [seconds per target]   (default 60)
# Exit status 1 when any target found something; its input is kept in
# BUILD/fuzz/findings/.
set -uo pipefail
build=$(mkdir -p "${1:-build}" && cd "${1:-build}" && pwd)
seconds=${2:-60}
src=$(cd "$(dirname "$0")/.." && pwd)
out="$build/fuzz"
mkdir -p "$out/findings"
flags=(-std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$src")
declare -A sources=(
    [settings]="settings/settingsformat.cpp"
    [scramble]="settings/settingsformat.cpp"
    [report]="idle/reportformat.cpp"
    [logrecord]="cmdlog/logrecord.cpp"
    [savename]="idle/savename.cpp"
    [rescuename]="idle/rescuename.cpp idle/savename.cpp"
    [usagereport]="report/reportmodel.cpp cmdlog/journalformat.cpp"
    [presets]="installer/presets.cpp settings/settingsformat.cpp"
)
total=0
found=0
echo "fuzz: the text formats built natively (clang, AddressSanitizer, UBSan), the same for both Windows builds"
printf '%-11s %14s %9s\n' target executions findings
for t in settings scramble report logrecord savename rescuename usagereport presets; do
    files=()
    for f in ${sources[$t]}; do files+=("$src/$f"); done
    clang++ "${flags[@]}" "$src/tests/fuzz/${t}_fuzz.cpp" "${files[@]}" \
        -o "$out/${t}_fuzz" || exit 2
    corpus="$out/corpus/$t"
    mkdir -p "$corpus"
    cp -n "$src/tests/fuzz/corpus/$t/"* "$corpus/" 2>/dev/null || true
    log="$out/$t.log"
    # Findings of an earlier run were looked at then: count this run's own.
    rm -f "$out/findings/${t}-"*
    TZ=UTC "$out/${t}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$out/findings/${t}-" "$corpus" >"$log" 2>&1
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    runs=${runs:-0}
    n=$(ls "$out/findings/${t}-"* 2>/dev/null | wc -l)
    [ "$status" -ne 0 ] && [ "$n" -eq 0 ] && n=1
    printf '%-11s %14s %9s\n' "$t" "$runs" "$n"
    total=$((total + runs))
    found=$((found + n))
done
printf '%-11s %14s %9s\n' total "$total" "$found"
[ "$found" -eq 0 ]
