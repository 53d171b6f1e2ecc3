#!/usr/bin/env bash
# The main job: a host with two modified drawings sits idle; the module warns
# with its countdown window, saves copies, closes the host and tells the user
# at the next start.  Takes about a minute.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh" "${1:-build}"
demo="$build/demo"
# Waits for the host started in the background; a host that does not end
# with status 0 fails the demo.
wait_host() {
    local status=0
    wait "$1" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "demo: the host ended with status $status" >&2
        exit 1
    fi
}

rm -rf "$demo"
mkdir -p "$demo"
cp "$bin/tarnel15.arx" "$bin/TarnelCore.dll" "$bin/TarnelRes.dll" "$demo/"
[ -f "$bin/tarnel.chm" ] && cp "$bin/tarnel.chm" "$demo/"
cd "$demo"
printf 'CADHOST DRAWING 1\r\nLINE 0,0 10,10\r\n' >site-plan.dwg
printf 'CADHOST DRAWING 1\r\n' >details.dwg
# Settings: one minute of inactivity, a fifteen-second countdown, save copies.
# The session journal goes to journal/.
mkdir -p journal
settings TimeInactivity=1 TimeCountdown=15 Action=2 AllowDisable=1 EnableLogging=1 \
    LogfilenameType=1 "Logfilepath=Z:${demo//\//\\}" "Journalpath=Z:${demo//\//\\}\\journal"
# The user draws in both drawings, then walks away.
cat >work.scr <<'SCR'
CIRCLE 5,5 2
(command "LINE" "0,0" "3,3")
ZOOM
@idle 300
QUIT
SCR
mod="Z:${demo//\//\\}\\tarnel15.arx"
# The demo's seat starts fresh: a next-start message an earlier run of the
# tests left in this prefix would wait for a click before the script runs.
run reg delete 'HKCU\Software\Autodesk\AutoCAD\R15.0\ACAD-1:409\Tarnel' /v Message /f \
    >/dev/null 2>&1 || true
echo "== The host starts with the module and two drawings; the user goes away at $(date +%T)."
run "$bin/cadhost.exe" /transcript transcript.txt /timeout 200 /ld "$mod" /b work.scr \
    site-plan.dwg details.dwg &
host=$!
if run "$bin/windowtool.exe" snap "Tarnel - AutoCAD is about to close" countdown.bmp 120 \
        >countdown.txt; then
    echo "== $(date +%T) the countdown window opened; it read:"
    sed 's/^/   | /' countdown.txt
    python3 "$here/bmp2png.py" countdown.bmp countdown.png
    echo "   (picture kept in $demo/countdown.png)"
fi
wait_host "$host"
echo "== $(date +%T) the host has closed (exit status 0).  What the user finds afterwards:"
echo "-- tarnel.log, the report: one block per drawing the module closed:"
tr -d '\r' <tarnel.log | sed 's/^/   | /'
echo "-- drawings on disk:"
for f in *.dwg; do
    printf '   %-22s %s\n' "$f" "$(tr -d '\r' <"$f" | tail -n +2 | paste -sd ';' -)"
done
# The command log: a file of its own per user and start (LogfilenameType 1).
for f in *_[0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9][0-9].log; do
    [ -f "$f" ] || continue
    echo "-- $f, the user's command log (LF line ends, tabs between the fields):"
    sed 's/\t/  |  /g; s/^/   | /' "$f"
done
echo "== Next start of the host: the module shows what it did, once."
printf 'QUIT\n' >quit.scr
run "$bin/cadhost.exe" /transcript transcript2.txt /timeout 60 /ld "$mod" /b quit.scr &
host=$!
run "$bin/windowtool.exe" answer "Tarnel - last session" 30 | sed 's/^/   | /'
wait_host "$host"
echo "-- the session journal, one line per event:"
cat journal/*.csv | tr -d '\r' | sed 's/^\xEF\xBB\xBF//; s/^/   | /'
echo "== The CAD manager's report from the journal (report.html, usage.csv, whatif.csv):"
run "$bin/tarnelreport.exe" --out report.html --csv usage.csv --whatif whatif.csv journal |
    sed 's/^/   | /'
tr -d '\r' <usage.csv | sed 's/^\xEF\xBB\xBF//; s/^/   | /'
echo "-- which timeout: closes, hours freed, in working hours, users back within 10 minutes:"
tr -d '\r' <whatif.csv | sed 's/^/   | /'
grep -o 'Timeout in force: <span id="in-force">[^<]*' report.html | sed 's/<span id="in-force">//; s/^/   | /'
echo "== Done.  Everything is in $demo"
