#!/usr/bin/python3
"""Writes the small seed files of the formats the library reads but does not
write (GIF, PCX, CEL, IFF/ILBM, PSD), byte by byte. Run from this folder."""
import struct


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def gif():
    # 1 x 1 picture, two-colour global table, LZW minimum code size 2:
    # clear code, index 0, end code.
    screen = b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + bytes([0, 0, 0, 255, 255, 255])
    image = bytes([0x2C]) + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + bytes([2, 2, 0x44, 0x01, 0])
    return screen + image + b";"


def pcx():
    # 4 x 2, 8 bits, one plane, run-length encoding with only literal bytes,
    # and the 256-colour palette at the end.
    header = bytearray(128)
    header[0:4] = bytes([10, 5, 1, 8])
    header[4:12] = struct.pack("<HHHH", 0, 0, 3, 1)
    header[65] = 1
    header[66:70] = struct.pack("<HH", 4, 1)
    rows = bytes([1, 2, 3, 4, 4, 3, 2, 1])
    palette = bytes([12]) + bytes(range(256)) * 3
    return bytes(header) + rows + palette


def cel():
    # Animator cel, 4 x 2, 8 bits, uncompressed.
    header = struct.pack("<HHHIBB", 0x9119, 4, 2, 0, 8, 0) + bytes(20)
    palette = bytes([0, 0, 0, 63, 0, 32]) + bytes(768 - 6)
    return header + palette + bytes([1, 0, 1, 0, 0, 1, 0, 1])


def chunk(name, body):
    data = name + struct.pack(">I", len(body)) + body
    return data + (b"\0" if len(body) % 2 else b"")


def iff():
    # ILBM, 4 x 2, one plane, uncompressed: plane rows of 2 bytes.
    bmhd = struct.pack(">HHhhBBBBHBBhh", 4, 2, 0, 0, 1, 0, 0, 0, 0, 10, 11, 4, 2)
    cmap = bytes([0, 0, 0, 255, 255, 255])
    body = bytes([0xA0, 0x00, 0x50, 0x00])
    form = b"ILBM" + chunk(b"BMHD", bmhd) + chunk(b"CMAP", cmap) + chunk(b"BODY", body)
    return b"FORM" + struct.pack(">I", len(form)) + form


def psd():
    # RGB, 4 x 2, 8 bits, raw planes.
    header = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, 2, 4, 8, 3)
    sections = struct.pack(">IIIH", 0, 0, 0, 0)
    return header + sections + bytes(range(24))


for folder, make in (("gif", gif), ("pcx", pcx), ("cel", cel), ("iff", iff), ("psd", psd)):
    write("%s/tiny.%s" % (folder, folder), make())
