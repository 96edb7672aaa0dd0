#!/usr/bin/env python3
"""Packs PNG images into one Windows icon: make-ico.py OUT.ico IN.png...

Each image is stored as PNG inside the icon, as Windows Vista and later
read it; the sizes are taken from the PNG headers."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("make-ico: not a PNG image")
    return struct.unpack(">II", data[16:24])


def main():
    out, inputs = sys.argv[1], sys.argv[2:]
    images = [open(name, "rb").read() for name in inputs]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, payload = b"", b""
    for data in images:
        width, height = png_size(data)
        # 256 pixels is written as 0.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        payload += data
    with open(out, "wb") as ico:
        ico.write(header + entries + payload)


if __name__ == "__main__":
    main()
