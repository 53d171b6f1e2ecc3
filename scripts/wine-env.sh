# Sourced by the scripts that run the built programs: the build folder, the
# Wine session for the life of the script, and run() for a Windows program.
#   . "$(dirname "$0")/wine-env.sh" BUILD
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin="$build/bin"
eval "$("$here/wine-session.sh" start "$build")"
trap '"$here/wine-session.sh" stop "$build"' EXIT
run() { "$here/wine-run" "$@" </dev/null; }
if [ "$WINEARCH" = win64 ]; then
    echo "== the x64 test build of the same sources ($build), under 64-bit Wine"
else
    echo "== the shipped 32-bit build ($build), under 32-bit Wine"
fi
# tarnel.cfg in the current folder, written by the module's own settings code.
settings() { run "$bin/tarnelcfg.exe" new tarnel.cfg && run "$bin/tarnelcfg.exe" set tarnel.cfg "$@"; }
