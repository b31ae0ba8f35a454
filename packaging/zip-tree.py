#!/usr/bin/env python3
"""Packs a folder into a zip whose bytes depend only on the files' contents.

    zip-tree.py OUT.zip DIR [NAME]

Members are stored under NAME/ (default: DIR's own name; an empty NAME puts
DIR's contents at the zip's root), sorted by path, with
the time of SOURCE_DATE_EPOCH when it is set (a release sets it from its commit)
and else each file's own, and with fixed permissions: 0755 for executables and
folders, 0644 for the rest, so neither umask nor the order the file system lists
a folder in changes the archive.
"""
import os
import sys
import time
import zipfile


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: zip-tree.py OUT.zip DIR [NAME]")
    out, top = sys.argv[1], sys.argv[2].rstrip("/")
    name = sys.argv[3] if len(sys.argv) == 4 else os.path.basename(top)
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    # Zip times start in 1980 and have two-second steps.
    fixed = None
    if epoch:
        fixed = time.gmtime(max(int(epoch), 315532800))[:6]

    entries = []
    for folder, dirs, files in os.walk(top):
        dirs.sort()
        rel = os.path.relpath(folder, top)
        arc = "/".join(p for p in (name, "" if rel == "." else rel) if p)
        if arc:
            entries.append((arc + "/", folder, True))
        entries += [(f"{arc}/{f}" if arc else f, os.path.join(folder, f), False) for f in files]
    entries.sort(key=lambda e: e[0])

    tmp = out + ".part"
    with zipfile.ZipFile(tmp, "w") as z:
        for arcname, path, is_dir in entries:
            stamp = fixed or time.localtime(os.stat(path).st_mtime)[:6]
            info = zipfile.ZipInfo(arcname, date_time=stamp)
            info.create_system = 3  # Unix, so the permissions below are read
            if is_dir:
                info.external_attr = (0o40755 << 16) | 0x10
                z.writestr(info, b"")
                continue
            mode = 0o755 if os.access(path, os.X_OK) else 0o644
            info.external_attr = (0o100000 | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                z.writestr(info, f.read(), compresslevel=9)
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
