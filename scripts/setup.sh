#!/usr/bin/env bash
# Makes a fresh Debian 12 machine ready to build and test: the cross
# compilers for the shipped 32-bit build and the x64 test build, 32- and
# 64-bit Wine, Xvfb, doctest and the CHM compiler. Fast when all is there.
# Runs no 32-bit program, so it also passes on a machine that cannot run one
# (installing wine32 there is harmless; scripts/runs-32bit.sh tells).
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have_cmd i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have_cmd x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
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
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
[ -f /usr/include/doctest/doctest.h ] || need+=(doctest-dev)
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine32:i386)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
# The usage report: Node's npm fetches the charting library, Chromium opens
# the report's page in the tests.
have_cmd npm || need+=(npm)
have_cmd chromium || need+=(chromium)
# The window-glyph font: without it title bars draw an "r" for the close box.
dpkg -s fonts-wine >/dev/null 2>&1 || need+=(fonts-wine)

if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages ${need[*]}; run this script as root" >&2
        exit 1
    fi
    echo "setup: installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# The charting library the usage report embeds, pinned; npm checks the
# registry's integrity hash of the package.
chartjs_version=4.4.1
deps="$(cd "$(dirname "$0")/.." && pwd)/.deps"
chartjs="$deps/chart.js-$chartjs_version"
if [ ! -f "$chartjs/chart.umd.js" ] || [ ! -f "$chartjs/LICENSE.md" ]; then
    echo "setup: fetching chart.js $chartjs_version"
    tmp=$(mktemp -d)
    (cd "$tmp" && npm pack --silent "chart.js@$chartjs_version" >/dev/null)
    tar -xzf "$tmp/chart.js-$chartjs_version.tgz" -C "$tmp"
    mkdir -p "$chartjs"
    cp "$tmp/package/dist/chart.umd.js" "$tmp/package/LICENSE.md" "$chartjs/"
    rm -rf "$tmp"
fi
