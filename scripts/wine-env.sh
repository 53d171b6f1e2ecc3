# Sourced by the scripts that run the built programs: the build folder, the
# Wine session for the life of the script, and run() for a Windows program.
#   . "$(dirname "$0")/wine-env.sh" BUILD
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bin="$build/bin"
eval "$("$here/wine-session.sh" start "$build")"
trap '"$here/wine-session.sh" stop "$build"' EXIT
run() { "$here/wine-run" "$@" </dev/null; }
# tarnel.cfg in the current folder, written by the module's own settings code.
settings() { run "$bin/tarnelcfg.exe" new tarnel.cfg && run "$bin/tarnelcfg.exe" set tarnel.cfg "$@"; }
