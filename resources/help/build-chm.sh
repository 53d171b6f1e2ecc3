#!/usr/bin/env bash
# Compiles the help file.  chmcmd records each alias target with the absolute
# folder of the project, so it runs in a chroot where that folder is "/".
#   build-chm.sh SOURCE_DIR OUTPUT_CHM
set -euo pipefail
src=$(cd "$1" && pwd)
out=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$src"/*.hhp "$src"/*.hhc "$src"/*.htm "$stage/"
chmcmd_bin=$(command -v chmcmd)
mkdir -p "$stage/bin"
cp "$chmcmd_bin" "$stage/bin/chmcmd"
# The compiler and the libraries it needs, at the same paths inside; it also
# opens the threads library at run time.
libs=$(ldd "$chmcmd_bin" | grep -o '/[^ ]*')
libdir=$(dirname "$(echo "$libs" | grep '/libc\.so' | head -n 1)")
for lib in $libs "$libdir/libpthread.so.0" "$libdir/libdl.so.2"; do
    [ -e "$lib" ] || continue
    mkdir -p "$stage$(dirname "$lib")"
    cp -L "$lib" "$stage$lib"
done
if [ "$(id -u)" -eq 0 ]; then
    chroot "$stage" /bin/chmcmd --no-html-scan tarnel.hhp >"$stage/log" 2>&1 || true
else
    unshare -r chroot "$stage" /bin/chmcmd --no-html-scan tarnel.hhp >"$stage/log" 2>&1 || true
fi
if [ ! -s "$stage/tarnel.chm" ]; then
    cat "$stage/log" >&2
    exit 1
fi
cp "$stage/tarnel.chm" "$out"
