#!/usr/bin/env python3
"""Version resources of Windows PE files, read and written from Linux.

  peversion.py read FILE               the version resource, one NAME=value a line
  peversion.py set FILE OUT VERSION    a copy whose version resource says VERSION
  peversion.py msi-fill MSI DIR        the package's File table given each
                                       versioned file's version and language,
                                       and MsiFileHash rows for the others

"set" makes the later versions the upgrade tests install: the fixed file and
product versions and the FileVersion and ProductVersion strings are
rewritten in place, so VERSION must be as long as the version it replaces.
"msi-fill" reads the files wixl packed (by their long names, under DIR) and
writes what wixl leaves out, through msibuild: Windows Installer replaces a
versioned file only with a later version, and tells unversioned files apart
by their hashes.
"""
import hashlib
import os
import struct
import subprocess
import sys

RT_VERSION = 16


class PeError(Exception):
    pass


def _sections(data):
    if data[:2] != b"MZ":
        raise PeError("not a PE file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise PeError("not a PE file")
    nsec, = struct.unpack_from("<H", data, pe + 6)
    optsize, = struct.unpack_from("<H", data, pe + 20)
    opt = pe + 24
    magic, = struct.unpack_from("<H", data, opt)
    ddir = opt + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, ddir + 2 * 8)
    secs = []
    for i in range(nsec):
        off = opt + optsize + 40 * i
        vsize, va, rawsize, rawptr = struct.unpack_from("<IIII", data, off + 8)
        secs.append((va, max(vsize, rawsize), rawptr))
    return rsrc_rva, rsrc_size, secs


def _offset(secs, rva):
    for va, size, raw in secs:
        if va <= rva < va + size:
            return raw + rva - va
    raise PeError("address 0x%x is in no section" % rva)


def version_block(data):
    """(file offset, size) of the first RT_VERSION resource, or None."""
    rsrc_rva, _, secs = _sections(data)
    if not rsrc_rva:
        return None
    base = _offset(secs, rsrc_rva)

    def entries(dir_off):
        named, ids = struct.unpack_from("<HH", data, dir_off + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, dir_off + 16 + 8 * i)
            yield name, target

    for name, target in entries(base):
        if name == RT_VERSION and target & 0x80000000:
            for _, t2 in entries(base + (target & 0x7FFFFFFF)):
                sub = t2
                while sub & 0x80000000:
                    sub = next(entries(base + (sub & 0x7FFFFFFF)))[1]
                rva, size = struct.unpack_from("<II", data, base + sub)
                return _offset(secs, rva), size
    return None


def _blocks(data, off, end):
    """Each block of a version resource: (key, value offset, value length in
    bytes, type, children offset, block end)."""
    while off + 6 <= end:
        length, vlen, vtype = struct.unpack_from("<HHH", data, off)
        if length == 0:
            break
        block_end = off + length
        k = off + 6
        key_end = k
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[k:key_end].decode("utf-16-le")
        value = (key_end + 2 + 3) & ~3
        vbytes = vlen * 2 if vtype == 1 else vlen
        children = (value + vbytes + 3) & ~3
        yield key, value, vbytes, vtype, children, block_end
        off = (block_end + 3) & ~3


def read(data):
    """The version resource as a dict, or None: the fixed versions, each
    string, and Translation as 'language codepage' pairs."""
    found = version_block(data)
    if not found:
        return None
    start, size = found
    out = {}
    for key, value, vbytes, _, children, end in _blocks(data, start, start + size):
        if key != "VS_VERSION_INFO":
            raise PeError("a version resource that does not start with VS_VERSION_INFO")
        sig, _, fms, fls, pms, pls = struct.unpack_from("<6I", data, value)
        if sig != 0xFEEF04BD:
            raise PeError("no fixed file information")
        out["fixed FileVersion"] = "%d.%d.%d.%d" % (fms >> 16, fms & 0xFFFF, fls >> 16, fls & 0xFFFF)
        out["fixed ProductVersion"] = "%d.%d.%d.%d" % (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF)
        for ckey, _, _, _, cchildren, cend in _blocks(data, children, end):
            if ckey == "StringFileInfo":
                for _, _, _, _, tchildren, tend in _blocks(data, cchildren, cend):
                    for skey, sval, sbytes, _, _, _ in _blocks(data, tchildren, tend):
                        text = data[sval:sval + sbytes].decode("utf-16-le").rstrip("\0")
                        out[skey] = text
            elif ckey == "VarFileInfo":
                for vkey, vval, vb, _, _, _ in _blocks(data, cchildren, cend):
                    if vkey == "Translation":
                        pairs = [struct.unpack_from("<HH", data, vval + i) for i in range(0, vb, 4)]
                        out["Translation"] = " ".join("%d %d" % p for p in pairs)
        break
    return out


def set_version(data, version):
    """A copy of data whose version resource says version."""
    parts = [int(p) for p in version.split(".")]
    if len(parts) != 4 or any(not 0 <= p <= 0xFFFF for p in parts):
        raise PeError("a version is four numbers from 0 to 65535: %s" % version)
    found = version_block(data)
    if not found:
        raise PeError("no version resource")
    start, size = found
    out = bytearray(data)
    ms, ls = (parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3]
    for key, value, vbytes, _, children, end in _blocks(data, start, start + size):
        struct.pack_into("<4I", out, value + 8, ms, ls, ms, ls)
        for ckey, _, _, _, cchildren, cend in _blocks(data, children, end):
            if ckey != "StringFileInfo":
                continue
            for _, _, _, _, tchildren, tend in _blocks(data, cchildren, cend):
                for skey, sval, sbytes, _, _, _ in _blocks(data, tchildren, tend):
                    if skey in ("FileVersion", "ProductVersion"):
                        new = (version + "\0").encode("utf-16-le")
                        if len(new) != sbytes:
                            raise PeError("%s is %d characters; %s is not" %
                                          (skey, sbytes // 2 - 1, version))
                        out[sval:sval + sbytes] = new
        break
    return bytes(out)


def msi_file_rows(msi):
    """Each File row: (File, long file name, Version, Language)."""
    rows = []
    for cols in msi_table(msi, "File"):
        name = cols["FileName"].split("|")[-1]
        rows.append((cols["File"], name, cols.get("Version", ""), cols.get("Language", "")))
    return rows


def msi_table(msi, table):
    """A table's rows as dicts by column name."""
    out = subprocess.run(["msiinfo", "export", msi, table], check=True, capture_output=True,
                         text=True).stdout.splitlines()
    header = out[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in out[3:]]


def md5_parts(data):
    """MsiFileHash's four parts: the MD5 as four little-endian 32-bit numbers."""
    return struct.unpack("<4i", hashlib.md5(data).digest())


def find_file(root, name):
    """The file of that name nearest to root (the package's folders are
    below it; test folders deeper down may hold copies)."""
    hits = sorted((p.count(os.sep), p) for p in
                  (os.path.join(d, name) for d, _, files in os.walk(root) if name in files))
    if not hits or (len(hits) > 1 and hits[0][0] == hits[1][0]):
        raise PeError("%d files named %s nearest to %s" % (len(hits), name, root))
    return hits[0][1]


def msi_fill(msi, root):
    """wixl hashes every file; a versioned file gets its version instead."""
    hashed = {row["File_"] for row in msi_table(msi, "MsiFileHash")}
    queries = []
    for file_id, name, _, _ in msi_file_rows(msi):
        with open(find_file(root, name), "rb") as f:
            data = f.read()
        info = read(data) if data[:2] == b"MZ" else None
        if info:
            language = info.get("Translation", "0 0").split()[0]
            queries.append("UPDATE `File` SET `Version` = '%s', `Language` = '%s' WHERE `File` = '%s'"
                           % (info["fixed FileVersion"], language, file_id))
            if file_id in hashed:
                queries.append("DELETE FROM `MsiFileHash` WHERE `File_` = '%s'" % file_id)
        elif file_id not in hashed:
            parts = md5_parts(data)
            queries.append("INSERT INTO `MsiFileHash` (`File_`, `Options`, `HashPart1`, `HashPart2`, "
                           "`HashPart3`, `HashPart4`) VALUES ('%s', 0, %d, %d, %d, %d)"
                           % ((file_id,) + parts))
    cmd = ["msibuild", msi]
    for q in queries:
        cmd += ["-q", q]
    subprocess.run(cmd, check=True)


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "read":
            with open(argv[2], "rb") as f:
                info = read(f.read())
            if info is None:
                print("%s: no version resource" % argv[2], file=sys.stderr)
                return 1
            for k, v in info.items():
                print("%s=%s" % (k, v))
            return 0
        if len(argv) == 5 and argv[1] == "set":
            with open(argv[2], "rb") as f:
                data = set_version(f.read(), argv[4])
            with open(argv[3], "wb") as f:
                f.write(data)
            return 0
        if len(argv) == 4 and argv[1] == "msi-fill":
            msi_fill(argv[2], argv[3])
            return 0
    except (PeError, OSError, struct.error, subprocess.CalledProcessError) as e:
        print("peversion: %s" % e, file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
