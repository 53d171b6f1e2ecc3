#!/usr/bin/env bash
# Static checks of what a build ships, read with the objdump of its own
# architecture: runs on any machine, also where the files cannot be started.
# The imports and versions are read by scripts/check_shipped.py.
#   scripts/check-binaries.sh BUILD_DIR
# The shipped build (wine-arch win32) must be i386 through and through; the
# x64 test build x86-64.
set -u
build=$(cd "$1" && pwd)
bin="$build/bin"
if [ "$(cat "$build/wine-arch" 2>/dev/null)" = win64 ]; then
    prefix=x86_64-w64-mingw32 format=pei-x86-64 template="x64;1033"
else
    prefix=i686-w64-mingw32 format=pei-i386 template="Intel;1033"
fi
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

for f in tarnel15.arx TarnelCore.dll TarnelRes.dll tarnelcfg.exe tarnelreport.exe TarnelSetup.exe tarnelca.dll; do
    found=$("$prefix-objdump" -f "$bin/$f" 2>&1 | sed -n 's/.*file format //p')
    [ "$found" = "$format" ] || fail "$f: expected file format $format, found '${found:-none}'"
done

found=$(msiinfo suminfo "$bin/Tarnel.msi" 2>&1 | sed -n 's/^Template: //p')
[ "$found" = "$template" ] || fail "Tarnel.msi: expected platform '$template', found '${found:-none}'"

# The port between the host adapter and the core is plain C: C89 for any C
# compiler, and C++98 as the host's compiler reads the adapter.
src=$(cd "$(dirname "$0")/.." && pwd)
"$prefix-gcc" -std=c89 -pedantic-errors -Wall -Wextra -Werror -I"$src" -fsyntax-only \
    "$src/port/portfit.c" || fail "port/portfit.c: not C89"
"$prefix-g++" -std=c++98 -pedantic-errors -Wall -Wextra -Werror -fno-exceptions -fno-rtti \
    -I"$src" -fsyntax-only -x c++ "$src/port/hostport.h" || fail "port/hostport.h: not C++98"
# The host adapter is in the host compiler's dialect: C++98 without the
# standard library, exceptions or RTTI, and it includes only Windows, the
# host's SDK headers and the port.
for f in "$src"/adapter/*.cpp; do
    "$prefix-g++" -std=c++98 -pedantic-errors -Wall -Wextra -Werror -fno-exceptions -fno-rtti \
        -I"$src" -I"$src/host/include" -fsyntax-only "$f" || fail "$f: not the host's dialect"
done
bad=$(python3 "$src/scripts/check_adapter_includes.py" "$src") || fail "$bad"

# The host finds the module by these three exports.
exports=$("$prefix-objdump" -p "$bin/tarnel15.arx" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p')
for name in acrxEntryPoint acrxGetApiVersion _SetacrxPtp; do
    grep -qx "$name" <<<"$exports" || fail "tarnel15.arx: no export $name (exports: $(echo $exports))"
done

# The core's exports are the port's C names alone: nothing a C++ compiler
# decorated (GCC's _Z..., Visual C++'s ?..., a stdcall's @n).
exports=$("$prefix-objdump" -p "$bin/TarnelCore.dll" |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p')
grep -qx TarnelCoreOpen <<<"$exports" || fail "TarnelCore.dll: no export TarnelCoreOpen (exports: $(echo $exports))"
for name in $exports; do
    grep -q '^_Z\|^?\|@' <<<"$name" && fail "TarnelCore.dll exports the decorated name $name"
    grep -q " $name(" "$src/port/hostport.h" ||
        fail "TarnelCore.dll exports $name, which the port header does not declare"
done

# Beside the module on a seat there are only Windows and the host: no
# compiler runtime DLL may be needed, and only the adapter meets the host.
windows=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll version.dll "
for f in tarnel15.arx TarnelCore.dll; do
    allowed=$windows what="not Windows"
    [ "$f" = tarnel15.arx ] && allowed="$windows cadrt.dll " what="neither Windows nor the host"
    imports=$("$prefix-objdump" -p "$bin/$f" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$imports" ] || fail "$f: no imports read"
    for dll in $imports; do
        lower=$(tr 'A-Z' 'a-z' <<<"$dll")
        [[ "$allowed" == *" $lower "* ]] || fail "$f imports $dll, which is $what"
    done
done

# Every import on Windows 2000 (the shipped build), and one version in
# every file and in the package's File table.
here=$(cd "$(dirname "$0")" && pwd)
imports=()
[ "$prefix" = i686-w64-mingw32 ] && imports=(--imports "$here/../tests/windows-imports.txt")
python3 "$here/check_shipped.py" "$build" "$prefix-objdump" "${imports[@]}" || failed=1

[ "$failed" -eq 0 ] && echo "the files in $bin are $format, as they must be"
exit "$failed"
