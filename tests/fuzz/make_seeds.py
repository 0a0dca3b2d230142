#!/usr/bin/env python3
"""Writes the small seed inputs of the fuzz targets into seeds/<target>/ beside this script."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def dds(width, height, linear, mips, fourcc, data_bytes):
    header = bytearray(128)
    header[0:4] = b"DDS "
    struct.pack_into("<7I", header, 4, 124, 0x000A1007, height, width, linear, 0, mips)
    struct.pack_into("<2I", header, 76, 32, 4)
    header[84:88] = fourcc
    return bytes(header) + bytes(i & 0xFF for i in range(data_bytes))


def tga(width, height, bits, pixels, image_type=2, top_origin=False):
    descriptor = (8 if bits == 32 else 0) | (0x20 if top_origin else 0)
    head = struct.pack("<BBBHHBHHHHBB", 0, 0, image_type, 0, 0, 0, 0, 0, width, height, bits,
                       descriptor)
    return head + pixels


def png(width, height, rows, colour_type=2):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8,
                                                               colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


put("obj", "textured.obj", "# tri\nmtllib a.mtl\no A\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\n"
    "vt 1 0.5\nvn 0 0 1\ns off\nf 1/1/1 2/2/1 3/1/1\nf 1/1/1 2/2/1 3/1/1 1/2/1\n")
put("obj", "plain.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0.5 0.5\nf 1//1 2//1 3//1\n")

put("wallfile", "maze.txt", "// maze\r\n\r\n0/0 10/0\n10/0 10/10 // east\n  // not a comment\n"
    "1/2 3\n-4.5/6e1 7/8\n")

put("dds", "dxt1_chain.dds", dds(16, 16, 128, 5, b"DXT1", 184))
put("dds", "dxt5_one.dds", dds(8, 4, 32, 1, b"DXT5", 32))
put("dds", "dxt3_wide.dds", dds(8, 2, 32, 6, b"DXT3", 64))

# image: the first byte picks the reader, odd for the TGA texture, even for the heightmap.
put("image", "height.ppm", b"\0P6\n2 2\n255\n" + bytes([0, 0, 0, 255, 255, 255, 30, 0, 0, 9, 9, 9]))
put("image", "height.pgm", b"\0P5\n3 1\n255\n\x00\x80\xff")
put("image", "height.png", b"\0" + png(2, 2, [b"\x00\x10\x20\x30\x40\x50", b"\xff\xff\xff\x00\x00\x00"]))
put("image", "grey.png", b"\0" + png(3, 2, [b"\x00\x10\x20", b"\xff\x80\x00"], colour_type=0))
put("image", "plain24.tga", b"\1" + tga(2, 2, 24, bytes(range(12))))
put("image", "rle32.tga", b"\1" + tga(3, 1, 32, b"\x81\x01\x02\x03\x04\x00\x05\x06\x07\x08",
                                      image_type=10, top_origin=True))
put("image", "grey8.tga", b"\1" + tga(3, 1, 8, b"\x10\x20\x30", image_type=3))
put("image", "rgb16_rtl.tga", b"\1" + struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 2, 1, 16, 0x10)
    + b"\x00\x7c\x1f\x00")
put("image", "mapped_rle.tga", b"\1" + struct.pack("<BBBHHBHHHHBB", 0, 1, 9, 0, 2, 24, 0, 0, 4, 1, 8, 0)
    + b"\x10\x20\x30\x40\x50\x60\x82\x01\x00\x00")
put("image", "height.tga", b"\0" + tga(3, 2, 24, b"\x82\x01\x02\x03\x02\x09\x09\x09\x00\x00\x00\x05\x05\x05",
                                      image_type=10))
