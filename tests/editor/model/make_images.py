#!/usr/bin/env python3
"""Writes picture files of the formats the header sniffer knows, built by the
formats' own rules (PNG with real chunks and CRCs, a decodable GIF, BMP and
PCX headers, TIFF directories in both byte orders, JPEG segments), and prints
one line per file: name, kind, width, height, bits per pixel, as the header
fields give them."""
import struct
import sys
import zlib
from pathlib import Path

out = Path(sys.argv[1])
lines = []


def emit(name, data, kind, width, height, bpp):
    (out / name).write_bytes(data)
    lines.append(f"{name} {kind} {width} {height} {bpp}")


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(width, height, depth, colour):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    row = b"\0" + bytes((width * channels * depth + 7) // 8)
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))
    if colour == 3:
        data += png_chunk(b"PLTE", bytes(3 * 2))
    data += png_chunk(b"IDAT", zlib.compress(row * min(height, 4)))
    return data + png_chunk(b"IEND", b"")


for name, w, h, depth, colour, bpp in [
    ("grey4.png", 9, 7, 4, 0, 4),
    ("rgb8.png", 300, 200, 8, 2, 24),
    ("palette1.png", 17, 5, 1, 3, 8),
    ("greyalpha8.png", 8, 8, 8, 4, 16),
    ("rgba16.png", 10, 12, 16, 6, 64),
    ("wide.png", 70000, 3, 8, 0, 8),
]:
    emit(name, png(w, h, depth, colour), 3, w & 0xFFFF, h & 0xFFFF, bpp)


def gif(width, height, flags):
    data = b"GIF89a" + struct.pack("<HHBBB", width, height, flags, 0, 0)
    if flags & 0x80:
        data += bytes(3 * (2 << (flags & 7)))
    data += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data += b"\x02\x02\x44\x01\x00\x3b"
    return data


emit("colours.gif", gif(640, 480, 0xF7), 1, 640, 480, 8)
emit("plain.gif", gif(5, 3, 0x80), 1, 5, 3, 1)


def bmp(width, height, bpp):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, 0, 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info), 0, 0, 14 + len(info)) + info


emit("scan.bmp", bmp(2480, 3508, 1), 4, 2480, 3508, 1)
emit("topdown.bmp", bmp(100, -50, 24), 4, 100, (-50) & 0xFFFF, 24)


def pcx(xmin, ymin, xmax, ymax, bits, planes):
    header = struct.pack("<BBBBHHHHHH", 0x0A, 5, 1, bits, xmin, ymin, xmax, ymax, 72, 72)
    header += bytes(48) + struct.pack("<BBHH", 0, planes, 100, 1)
    return header + bytes(128 - len(header))


emit("page.pcx", pcx(10, 20, 109, 69, 8, 3), 5, 100, 50, 24)
emit("reversed.pcx", pcx(9, 0, 5, 0, 1, 1), 5, -3, 1, 1)


def tiff(order, entries, ifd_at=8):
    head = (b"II*\0" if order == "<" else b"MM\0*") + struct.pack(order + "I", ifd_at)
    head += bytes(ifd_at - len(head))
    ifd = struct.pack(order + "H", len(entries))
    for tag, kind, value in entries:
        if kind == 3:
            field = struct.pack(order + "HH", value, 0)
        elif kind == 1:
            field = struct.pack(order + "BBBB", value, 0, 0, 0)
        else:
            field = struct.pack(order + "I", value)
        ifd += struct.pack(order + "HHI", tag, kind, 1) + field
    return head + ifd + struct.pack(order + "I", 0)


emit("fax-be.tif", tiff(">", [(256, 3, 2480), (257, 3, 3508), (258, 3, 1), (259, 3, 4)]),
     6, 2480, 3508, 1)
emit("long-le.tif", tiff("<", [(254, 4, 0), (256, 4, 3000), (257, 4, 4000), (258, 1, 1)], 20),
     6, 3000, 4000, 1)
emit("overwritten-le.tif", tiff("<", [(256, 3, 5), (257, 3, 6), (258, 3, 8), (256, 3, 7)]),
     6, 7, 6, 8)


def segment(marker, body):
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(body) + 2) + body


def jpeg(sof, width, height, precision, components):
    data = b"\xff\xd8"
    data += segment(0xE0, b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0")
    data += segment(0xDB, b"\0" + bytes(64))
    frame = struct.pack(">BHHB", precision, height, width, components)
    for c in range(components):
        frame += bytes([c + 1, 0x11, 0])
    data += segment(sof, frame)
    return data + segment(0xDA, b"\x01\x01\x00\x00\x3f\x00") + b"\x00\xff\xd9"


# The depth is 8 bits per component.
emit("baseline.jpg", jpeg(0xC0, 2480, 3508, 8, 1), 2, 2480, 3508, 8)
emit("progressive.jpg", jpeg(0xC2, 640, 480, 8, 3), 2, 640, 480, 24)
emit("twelve-bit.jpg", jpeg(0xC1, 33, 44, 12, 3), 2, 33, 44, 24)
emit("inside.txt", b"%PDF-1.4 text " + jpeg(0xC0, 12, 34, 8, 1), 2, 12, 34, 8)
emit("far-inside.txt", b"text\xff" * 40000 + jpeg(0xC3, 56, 78, 8, 3), 2, 56, 78, 24)

print("\n".join(lines))
