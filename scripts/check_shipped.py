#!/usr/bin/env python3
"""What a build ships, read without running it: what each file imports from
Windows, and the one version every file carries.

  check_shipped.py BUILD_DIR OBJDUMP [--imports TABLE]

--imports: every function each shipped file imports from Windows must be in
TABLE with a floor of Windows 2000 (the shipped 32-bit build; the x64 test
build ships nothing). Versions: each shipped PE file's version resource says
the build's version (BUILD_DIR/version) in its fixed and string forms, with
its company, description and product; Tarnel.msi's File table gives each
versioned file that version and its language, and each unversioned file the
hash of its content. Prints one line per fault and exits 1 on any.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import peversion  # noqa: E402

SHIPPED_PE = ["tarnel15.arx", "TarnelCore.dll", "TarnelRes.dll", "tarnelcfg.exe", "tarnelreport.exe",
              "TarnelSetup.exe", "tarnelca.dll"]
# The stand-in host's runtime: the host, not Windows.
HOST_DLLS = {"CADRT.DLL"}
FLOOR_ORDER = ["95", "NT3.1", "NT4", "2000", "XP", "2003", "Vista", "7", "8", "10"]


def imports(objdump, path):
    """(DLL, function) pairs, the DLL upper-case; an ordinal as '#N'."""
    text = subprocess.run([objdump, "-p", path], check=True, capture_output=True,
                          text=True).stdout
    out, dll = [], None
    for line in text.splitlines():
        if line.strip().startswith("DLL Name:"):
            dll = line.split(":", 1)[1].strip().upper()
        elif dll and line.startswith("\t") and not line.strip().startswith("vma:"):
            cols = line.strip().split()
            if len(cols) >= 3 and cols[1].isdigit():
                out.append((dll, cols[2]))
            elif len(cols) == 2 and cols[1].startswith("<none>"):
                out.append((dll, "#?"))
            elif len(cols) >= 2 and cols[0].startswith("Ordinal"):
                out.append((dll, "#" + cols[1]))
        elif not line.strip():
            dll = None
    return out


def read_table(path):
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            dll, function, floor = line.split()
            table[(dll.upper() + ".DLL", function)] = floor
    return table


def main(argv):
    if len(argv) not in (3, 5) or (len(argv) == 5 and argv[3] != "--imports"):
        print(__doc__, file=sys.stderr)
        return 2
    build, objdump = argv[1], argv[2]
    bin_dir = os.path.join(build, "bin")
    faults = []
    with open(os.path.join(build, "version"), encoding="utf-8") as f:
        version = f.read().strip()

    if len(argv) == 5:
        table = read_table(argv[4])
        for name in SHIPPED_PE:
            found = imports(objdump, os.path.join(bin_dir, name))
            if not found:
                faults.append("%s: no imports read" % name)
            for dll, function in found:
                if dll in HOST_DLLS:
                    continue
                floor = table.get((dll, function))
                if floor is None:
                    faults.append("%s imports %s!%s, which the table of Windows functions does "
                                  "not hold" % (name, dll, function))
                elif FLOOR_ORDER.index(floor) > FLOOR_ORDER.index("2000"):
                    faults.append("%s imports %s!%s, which needs Windows %s: the floor is "
                                  "Windows 2000" % (name, dll, function, floor))

    files = {}
    for name in SHIPPED_PE:
        with open(os.path.join(bin_dir, name), "rb") as f:
            data = f.read()
        info = peversion.read(data)
        if info is None:
            faults.append("%s: no version resource" % name)
            continue
        files[name] = info
        for key in ("fixed FileVersion", "fixed ProductVersion", "FileVersion", "ProductVersion"):
            if info.get(key) != version:
                faults.append("%s: %s is %r, expected %r" % (name, key, info.get(key), version))
        for key in ("CompanyName", "FileDescription", "ProductName"):
            if not info.get(key):
                faults.append("%s: no %s in its version resource" % (name, key))

    msi = os.path.join(bin_dir, "Tarnel.msi")
    properties = {row["Property"]: row["Value"] for row in peversion.msi_table(msi, "Property")}
    # The steps' data that carries the password or tarnel.cfg (which holds
    # it) never reaches a verbose log.
    hidden = set(properties.get("MsiHiddenProperties", "").split(";"))
    for secret in ("PASSWORD", "TarnelSetArgs", "TarnelSettingsBack", "TarnelRestore"):
        if secret not in hidden:
            faults.append("Tarnel.msi: %s, which carries the options password, is not in "
                          "MsiHiddenProperties" % secret)
    if properties.get("ProductVersion") != version:
        faults.append("Tarnel.msi: ProductVersion is %r, expected %r"
                      % (properties.get("ProductVersion"), version))
    hashes = {row["File_"]: row for row in peversion.msi_table(msi, "MsiFileHash")}
    for file_id, long_name, row_version, language in peversion.msi_file_rows(msi):
        path = peversion.find_file(bin_dir, long_name)
        with open(path, "rb") as f:
            data = f.read()
        info = peversion.read(data) if data[:2] == b"MZ" else None
        if info:
            want_language = info.get("Translation", "").split(" ")[0]
            if row_version != info["fixed FileVersion"]:
                faults.append("Tarnel.msi: the File row of %s says version %r, the file %r"
                              % (long_name, row_version, info["fixed FileVersion"]))
            if language != want_language:
                faults.append("Tarnel.msi: the File row of %s says language %r, the file %r"
                              % (long_name, language, want_language))
        else:
            row = hashes.get(file_id)
            want = [str(p) for p in peversion.md5_parts(data)]
            got = [row["HashPart%d" % i] for i in range(1, 5)] if row else None
            if got != want:
                faults.append("Tarnel.msi: the hash of %s is %s, the file's %s"
                              % (long_name, got, want))

    for fault in faults:
        print("FAIL: %s" % fault)
    if not faults:
        print("every shipped file says version %s%s" %
              (version, "; every import is on Windows 2000" if len(argv) == 5 else ""))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
