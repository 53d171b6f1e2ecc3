#!/usr/bin/env bash
# Random host event sequences under the Wine session: 10^4 by default.
#   scripts/soak.sh BUILD [sequences]        SOAK_SEED=n replays one
set -euo pipefail
. "$(dirname "$0")/wine-env.sh" "${1:-build}"
cd "$build/bin/soak_test.d"
SOAK_SEQUENCES=${2:-10000} "$here/wine-run" soak_test.exe </dev/null | grep -E '^soak:|test cases'
