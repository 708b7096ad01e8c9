#!/usr/bin/env python3
"""Clears the two times chmcmd stamps into a help file (the header's and the #SYSTEM entry's),
so that the same pages always give the same bytes.
Usage: chm_fixed_time.py FILE.chm"""
import struct
import sys


def main(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    if data[:4] != b"ITSF":
        sys.exit(f"{path}: not a compiled help file")
    stamp = struct.unpack_from(">I", data, 0x10)[0]
    data[0x10:0x14] = bytes(4)
    # #SYSTEM entry 10 (code 10, length 4) holds the same moment, little-endian.
    at = 0
    while (at := data.find(b"\x0a\x00\x04\x00", at)) >= 0:
        value = struct.unpack_from("<I", data, at + 4)[0]
        if abs(value - stamp) < 3600:
            data[at + 4:at + 8] = bytes(4)
            break
        at += 1
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
