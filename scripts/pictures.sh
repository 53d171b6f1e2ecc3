#!/usr/bin/env bash
# Pictures of the options dialog's four pages and of the password prompt,
# taken from the stand-in host running the module: build/pictures/*.png.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
bin="$build/bin"
out="$build/pictures"
eval "$("$here/wine-session.sh" start "$build")"
trap '"$here/wine-session.sh" stop "$build"' EXIT
run() { "$here/wine-run" "$@" </dev/null; }
tool() { run "$bin/windowtool.exe" "$@" >/dev/null; }

rm -rf "$out"
mkdir -p "$out"
cp "$bin/tarnel15.arx" "$bin/TarnelRes.dll" "$bin/tarnel.chm" "$out/"
cd "$out"
settings() { # plain lines, scrambled as the module writes them
    python3 - "$@" <<'PY'
import sys
with open("tarnel.cfg", "wb") as f:
    for l in sys.argv[1:]:
        f.write(bytes(ord(c) ^ 0x13 for c in l) + b"\r\n")
PY
}
printf 'tarnel_opt\nQUIT\n' >options.scr
mod="Z:${out//\//\\}\\tarnel15.arx"

settings "Protection:0" "TimeInactivity:10" "TimeCountdown:30" "Action:2" "AllowDisable:1" \
    "EnableLogging:1" "LogfilenameType:1" "Logfilepath:C:\\users\\Public"
run "$bin/cadhost.exe" /timeout 60 /ld "$mod" /b options.scr &
host=$!
n=0
for page in configuration password logging about; do
    n=$((n + 1))
    if [ "$n" -gt 1 ]; then tool key "Tarnel options" 1014 39; fi # the next tab
    tool snap "Tarnel options" "$page.bmp" 30
done
tool press "Tarnel options" 2
wait "$host"

settings "Protection:1" "Password:secret"
run "$bin/cadhost.exe" /timeout 60 /ld "$mod" /b options.scr &
host=$!
tool snap "Tarnel options - password" prompt.bmp 30
tool press "Tarnel options - password" 2
wait "$host"

for b in configuration password logging about prompt; do
    python3 "$here/bmp2png.py" "$b.bmp" "options-$b.png"
    rm -f "$b.bmp"
done
echo "pictures: $(ls "$out"/*.png | tr '\n' ' ')"
