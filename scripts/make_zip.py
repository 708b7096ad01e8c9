#!/usr/bin/env python3
"""Zips a folder so that the same files give the same bytes: names in sorted order, one fixed
time for every entry, fixed attributes.
Usage: make_zip.py FOLDER OUT.zip EPOCH_SECONDS"""
import os
import sys
import time
import zipfile


def entries(folder):
    for here, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(here, name)
            yield path, os.path.relpath(path, folder).replace(os.sep, "/")


def main(folder, out, epoch):
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]  # zip times start in 1980
    with zipfile.ZipFile(out, "w") as archive:
        for path, name in sorted(entries(folder), key=lambda entry: entry[1]):
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0  # MS-DOS: Windows reads the attributes as it expects
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


if __name__ == "__main__":
    main(*sys.argv[1:])
