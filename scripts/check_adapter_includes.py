"""The host adapter's includes: <windows.h>, the host SDK's headers (those
under host/include), "port/hostport.h" and the adapter's own headers
("adapter/NAME"), nothing else. Prints each other
include with its file and line, and exits 1 when there is one.
    check_adapter_includes.py SOURCE_DIR [ADAPTER_DIR]"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def offending(source, adapter):
    sdk = set(os.listdir(os.path.join(source, "host", "include")))
    found = []
    for name in sorted(os.listdir(adapter)):
        path = os.path.join(adapter, name)
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                kind, header = m.groups()
                own = header.startswith("adapter/") and header[8:] in os.listdir(adapter)
                allowed = (kind == "<" and header.lower() == "windows.h") or (
                    kind == '"' and (header in sdk or header == "port/hostport.h" or own))
                if not allowed:
                    found.append("%s:%d includes %s%s%s, which the host's compiler does not "
                                 "give the adapter" % (path, number, kind, header,
                                                       ">" if kind == "<" else '"'))
    return found


def main():
    source = sys.argv[1]
    adapter = sys.argv[2] if len(sys.argv) > 2 else os.path.join(source, "adapter")
    found = offending(source, adapter)
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
