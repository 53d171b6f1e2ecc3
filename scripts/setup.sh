#!/usr/bin/env bash
# Makes a fresh Debian 12 machine ready to build and test: the cross
# compilers for the shipped 32-bit build and the x64 test build, Wine, Xvfb,
# doctest and the CHM compiler. Fast when all is there: it then installs
# nothing and asks the network nothing.
#
# 32-bit Wine (wine32:i386, and with it the i386 architecture) is asked for
# only where this machine runs 32-bit programs (scripts/runs-32bit.sh). It is
# installed on its own after the rest: a mirror in the middle of a sync can
# leave the i386 indexes out, and apt then refuses every package of the
# command that asks for it. Where it cannot be had, set-up says so and the
# tests go the way they go on a machine without 32-bit support
# (scripts/test.sh asks scripts/wine32-ready.sh).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg -s "$1" >/dev/null 2>&1; }
have_cmd i686-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-i686-win32)
have_cmd i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have_cmd x86_64-w64-mingw32-g++-win32 || need+=(g++-mingw-w64-x86-64-win32)
have_cmd x86_64-w64-mingw32-windres || need+=(binutils-mingw-w64-x86-64)
have_cmd cmake || need+=(cmake)
have_cmd g++ || need+=(g++)
have_cmd ninja || need+=(ninja-build)
have_cmd Xvfb || need+=(xvfb)
have_cmd chmcmd || need+=(fp-utils)
have_cmd wine || need+=(wine)
have_cmd python3 || need+=(python3)
have_cmd makensis || need+=(nsis)
# Tarnel.msi: wixl builds it, msibuild (msitools) marks its presets secure.
have_cmd wixl || need+=(wixl)
have_cmd msibuild || need+=(msitools)
have_cmd clang++ || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
[ -f /usr/include/doctest/doctest.h ] || need+=(doctest-dev)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# The usage report: Node's npm fetches the charting library, Chromium opens
# the report's page in the tests.
have_cmd npm || need+=(npm)
have_cmd chromium || need+=(chromium)
# The window-glyph font: without it title bars draw an "r" for the close box.
have_pkg fonts-wine || need+=(fonts-wine)

want32=no
if bash "$here/runs-32bit.sh"; then
    have_pkg wine32:i386 || want32=yes
fi

# apt-get's reason for a failed command: its error lines, on one line.
reason() { grep -E '^(E:| [^ ].* : )' "$1" | sed 's/^E: //; s/^ *//; s/  */ /g' | head -n 6 | paste -sd ';' -; }
# The packages of a list that apt named in its errors, or the whole list.
refused() {
    local log=$1 named=() p
    shift
    for p in "$@"; do
        grep -qF -e "package ${p%%:*}" -e "'${p%%:*}'" -e " ${p} :" -e " ${p%%:*} :" "$log" && named+=("$p")
    done
    [ ${#named[@]} -gt 0 ] && echo "${named[*]}" || echo "$*"
}
# The package indexes, up to three tries. A run in which some indexes could
# not be fetched (a mirror in the middle of a sync) still goes on to the
# install: the indexes that were fetched may hold everything needed.
update_indexes() {
    local log=$1 try
    for try in 1 2 3; do
        apt-get update -qq >"$log" 2>&1 && return 0
        [ "$try" -lt 3 ] && sleep 15
    done
    echo "setup: some package indexes could not be fetched, going on with the others ($(reason "$log"))"
}
install() {
    local log=$1
    shift
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1
}

wanted=("${need[@]}")
[ "$want32" = yes ] && wanted+=(wine32:i386)
if [ ${#wanted[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages ${wanted[*]}; run this script as root" >&2
        exit 1
    fi
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    if [ "$want32" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    echo "setup: installing ${wanted[*]}"
    update_indexes "$log"
    if [ ${#need[@]} -gt 0 ] && ! install "$log" "${need[@]}"; then
        echo "setup: could not install $(refused "$log" "${need[@]}"): $(reason "$log")" >&2
        exit 1
    fi
    if [ "$want32" = yes ] && ! install "$log" wine32:i386; then
        echo "setup: wine32:i386 could not be installed ($(reason "$log")):" \
             "the tests will run the x64 build and check the shipped 32-bit files without running them"
    fi
fi

# The charting library the usage report embeds, pinned; npm checks the
# registry's integrity hash of the package.
chartjs_version=4.4.1
deps="$(cd "$here/.." && pwd)/.deps"
chartjs="$deps/chart.js-$chartjs_version"
if [ ! -f "$chartjs/chart.umd.js" ] || [ ! -f "$chartjs/LICENSE.md" ]; then
    echo "setup: fetching chart.js $chartjs_version"
    tmp=$(mktemp -d)
    (cd "$tmp" && npm pack --silent "chart.js@$chartjs_version" >/dev/null) &&
        tar -xzf "$tmp/chart.js-$chartjs_version.tgz" -C "$tmp" &&
        mkdir -p "$chartjs" &&
        cp "$tmp/package/dist/chart.umd.js" "$tmp/package/LICENSE.md" "$chartjs/"
    status=$?
    rm -rf "$tmp"
    [ "$status" -eq 0 ] || { echo "setup: could not fetch chart.js $chartjs_version with npm" >&2; exit 1; }
fi
exit 0
