#!/usr/bin/env python3
"""Opens the usage report's page in headless Chromium: no script error,
every chart drawn (its canvas not blank), the figures as the known-answer
journals give them, and a screenshot kept.
    report_page.py PAGE.html SCREENSHOT.png"""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--hide-scrollbars"]

CATCH = ("<script>window.__errors=[];window.addEventListener('error',"
         "function(e){window.__errors.push(String(e.message));});</script>")
CHECK = """<script>window.addEventListener('load', function () { setTimeout(function () {
  var r = {errors: window.__errors, canvases: {},
           markup: document.querySelectorAll('#users *:not(tbody,tr,td,th), ' +
                                             '#computers *:not(tbody,tr,td,th)').length,
           computers: document.getElementById('computers').textContent,
           inForce: Array.prototype.map.call(document.querySelectorAll('#whatif tr.in-force'),
                                             function (t) { return t.cells[0].textContent; })};
  document.querySelectorAll('canvas').forEach(function (c) {
    var d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data, n = 0;
    for (var i = 3; i < d.length; i += 4) if (d[i] > 0) n++;
    r.canvases[c.id] = n;
  });
  var pre = document.createElement('pre'); pre.id = 'selfcheck';
  pre.textContent = JSON.stringify(r); document.body.appendChild(pre);
}, 300); });</script>"""

EXPECTED = {"fig-seats": "3", "fig-sessions": "4", "fig-open": "18.25", "fig-idle": "2.75",
            "fig-freed": "14.75", "lines-skipped": "3", "whatif-closes-5": "3",
            "whatif-hours-5": "17.25", "in-force": "15 min, 20 min, 30 min",
            "lines-future": "0", "lines-cut": "0", "clock-changes": "0", "fig-kept": "2",
            "fig-kept-hours": "2.00"}


def main():
    page, shot = sys.argv[1], sys.argv[2]
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        checked = os.path.join(tmp, "checked.html")
        text = open(page, encoding="utf-8").read()
        text = text.replace("<head>", "<head>" + CATCH, 1).replace("</body>", CHECK + "</body>", 1)
        open(checked, "w", encoding="utf-8").write(text)
        profile = os.path.join(tmp, "profile")
        dom = subprocess.run(CHROMIUM + ["--user-data-dir=" + profile, "--virtual-time-budget=5000",
                                         "--dump-dom", "file://" + checked],
                             capture_output=True, text=True, timeout=120).stdout
        found = re.search(r'<pre id="selfcheck">(.*?)</pre>', dom, re.S)
        if not found:
            failures.append("the page's check did not run")
        else:
            result = json.loads(html.unescape(found.group(1)))
            if result["errors"]:
                failures.append("script errors: %s" % result["errors"])
            canvases = result["canvases"]
            if len(canvases) != 4:
                failures.append("canvases: expected 4, got %d" % len(canvases))
            if result["inForce"] != ["15 min", "20 min", "30 min"]:
                failures.append("rows marked in force: expected 15, 20 and 30 min, got %s"
                                % result["inForce"])
            if result["markup"] != 0 or "<i>PC3</i>" not in result["computers"]:
                failures.append("a name was rendered as markup (%d elements; computers: %s)"
                                % (result["markup"], result["computers"]))
            for name, painted in canvases.items():
                print("report_page: canvas %s: %d pixels drawn" % (name, painted))
                if painted == 0:
                    failures.append("canvas %s is blank" % name)
        for key, value in EXPECTED.items():
            got = re.search(r'id="%s">([^<]*)<' % re.escape(key), dom)
            if not got or got.group(1) != value:
                failures.append("%s: expected %s, got %s" % (key, value,
                                                             got.group(1) if got else "nothing"))
        subprocess.run(CHROMIUM + ["--user-data-dir=" + profile + "2", "--virtual-time-budget=3000",
                                   "--window-size=1150,2900", "--screenshot=" + shot,
                                   "file://" + os.path.abspath(page)],
                       capture_output=True, timeout=120)
        if not os.path.isfile(shot) or os.path.getsize(shot) < 10000:
            failures.append("no screenshot")
    for f in failures:
        print("report_page: FAILED: " + f)
    print("report_page: %s" % ("ok" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
