#!/usr/bin/env python3
"""Reads, from the Linux side, the files the module left in the host tests:
the scrambled settings file, the report log and the command log."""
import re
import sys

root = sys.argv[1]
MASK = 0x13
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def read(path):
    with open(path, "rb") as f:
        return f.read()


# Settings written at the end of a session with the defaults.
cfg = read(f"{root}/module-load/tarnel.cfg")
check(cfg.endswith(b"\r\n") and cfg.count(b"\r\n") == 9, "tarnel.cfg: nine CR LF lines")
check(b"Password" not in cfg and b"TimeInactivity" not in cfg, "tarnel.cfg: nothing in plain text")
plain = [bytes(c ^ MASK for c in line).decode("latin-1") for line in cfg.split(b"\r\n")[:-1]]
keys = [line.split(":", 1)[0] for line in plain]
check(keys == ["Protection", "Password", "TimeInactivity", "TimeCountdown", "Action",
               "AllowDisable", "EnableLogging", "LogfilenameType", "Logfilepath"],
      f"tarnel.cfg: keys in order, got {keys}")
check(plain[:8] == ["Protection:0", "Password:", "TimeInactivity:10", "TimeCountdown:30",
                    "Action:2", "AllowDisable:0", "EnableLogging:1", "LogfilenameType:1"],
      f"tarnel.cfg: defaults, got {plain[:8]}")

# The report log of the expiry: two blocks of four CR LF lines.
report = read(f"{root}/module-expiry/tarnel.log")
check(b"\n" not in report.replace(b"\r\n", b""), "tarnel.log: every line ends in CR LF")
lines = report.decode("latin-1").split("\r\n")
check(len(lines) == 9 and lines[-1] == "", "tarnel.log: eight lines")
for block in (lines[0:4], lines[4:8]):
    check(re.fullmatch(r"\d\d\.\d\d\.\d{4} at \d\d:\d\d:\d\d", block[0]) is not None,
          f"tarnel.log: time line {block[0]!r}")
    check(re.fullmatch(r"  Drawing: .*\\tarnel_[ab]\.dwg ", block[1]) is not None,
          f"tarnel.log: drawing line {block[1]!r}")
    check(block[2] == "Save to other dwg.  Status: 1 ", f"tarnel.log: {block[2]!r}")
    check(block[3] == "=" * 59, "tarnel.log: separator of 59 equal signs")

# The command log: LF only, no BOM, header then one record.
log = read(f"{root}/module-expiry/cmdlog/tarnel.log")
check(b"\r" not in log and not log.startswith(b"\xef\xbb\xbf"), "command log: LF only, no BOM")
record = re.compile(r"Command LINE\tStarted \d\d\.\d\d\.\d{4} at \d\d:\d\d:\d\d\t"
                    r"Finished \d\d\.\d\d\.\d{4} at \d\d:\d\d:\d\d\t"
                    r"Elapsed seconds \d+, miliseconds \d{1,3}")
text = log.decode("latin-1").split("\n")
check(any(record.fullmatch(line) for line in text), f"command log: a LINE record in {text}")
check(all(line.startswith(("Project: ", "User: ", "Domain: ", "Command ", "Unknown command"))
          for line in text[:-1]), "command log: only header and record lines")

for f in failures:
    print("FAILED:", f)
print(f"files on disk: {len(failures)} problems")
sys.exit(1 if failures else 0)
