#!/usr/bin/env bash
# Builds the platform-free text formats natively with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs their tests.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build}/native
mkdir -p "$out"
# The port between the host adapter and the core is plain C89.
gcc -std=c89 -pedantic-errors -O1 -g -Wall -Wextra -fsanitize=address,undefined \
    -fno-sanitize-recover=all -I"$src" -c "$src/port/portfit.c" -o "$out/portfit.o"
g++ -std=c++17 -O1 -g -Wall -Wextra -fsanitize=address,undefined -fno-sanitize-recover=all \
    -I"$src" -I"$src/tests/support" -I/usr/include/doctest \
    "$src/tests/native/formats_test.cpp" "$src/settings/settingsformat.cpp" \
    "$src/idle/reportformat.cpp" "$src/idle/licensestatus.cpp" "$src/idle/savename.cpp" "$src/idle/rescuename.cpp" "$src/cmdlog/logrecord.cpp" "$src/cmdlog/logfilename.cpp" "$src/cmdlog/journalformat.cpp" \
    "$src/report/reportmodel.cpp" "$src/settings/settingspolicy.cpp" "$out/portfit.o" \
    -o "$out/formats_test"
TZ=UTC "$out/formats_test"
