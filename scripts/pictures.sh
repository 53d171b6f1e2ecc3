#!/usr/bin/env bash
# Pictures of the options dialog's four pages and of the password prompt,
# taken from the stand-in host running the module: build/pictures/*.png.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh" "${1:-build}"
out="$build/pictures"
tool() { run "$bin/windowtool.exe" "$@" >/dev/null; }

rm -rf "$out"
mkdir -p "$out"
cp "$bin/tarnel15.arx" "$bin/TarnelCore.dll" "$bin/TarnelRes.dll" "$bin/tarnel.chm" "$out/"
cd "$out"
printf 'tarnel_opt\nQUIT\n' >options.scr
mod="Z:${out//\//\\}\\tarnel15.arx"

settings Protection=0 TimeInactivity=10 TimeCountdown=30 Action=2 AllowDisable=1 \
    EnableLogging=1 LogfilenameType=1 "Logfilepath=C:\\users\\Public"
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

settings Protection=1 Password=secret
run "$bin/cadhost.exe" /timeout 60 /ld "$mod" /b options.scr &
host=$!
tool snap "Tarnel options - password" prompt.bmp 30
tool press "Tarnel options - password" 2
wait "$host"

# The Configuration page with two settings set by Group Policy.
settings Protection=0 TimeInactivity=10 TimeCountdown=30 Action=2
policy='HKLM\Software\Policies\Tarnel'
run reg add "$policy" /v TimeInactivity /t REG_DWORD /d 15 /f >/dev/null
run reg add "$policy" /v Action /t REG_DWORD /d 1 /f >/dev/null
run "$bin/cadhost.exe" /timeout 60 /ld "$mod" /b options.scr &
host=$!
tool snap "Tarnel options" policy.bmp 30
tool press "Tarnel options" 2
wait "$host"
run reg delete "$policy" /f >/dev/null

for b in configuration password logging about prompt policy; do
    python3 "$here/bmp2png.py" "$b.bmp" "options-$b.png"
    rm -f "$b.bmp"
done
echo "pictures: $(ls "$out"/*.png | tr '\n' ' ')"
