#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/: small valid files of every
BMP layout, DIBs as icon entries hold them, the headers of the other picture formats, and
field texts. Run it again after changing it; the files are kept in the repository."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def rows_padded(rows):
    return b"".join(r + b"\0" * (-len(r) % 4) for r in rows)


def info_header(size, width, height, bits, compression=0, colours=0, masks=None, image=0):
    h = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, image, 2835, 2835, colours, 0)
    if size > 40:
        m = list(masks or [0, 0, 0, 0]) + [0] * 4
        h += struct.pack("<IIII", *m[:4])[: size - 40]
        h += b"\0" * (size - len(h))
    return h


def bmp(header, palette, pixels, extra=b""):
    offset = 14 + len(header) + len(extra) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + extra + palette + pixels


def palette(n, entry=4):
    out = b""
    for i in range(n):
        c = bytes(((i * 67) & 255, (i * 151 + 30) & 255, (i * 29 + 200) & 255))
        out += c + (b"\0" if entry == 4 else b"")
    return out


def indexed_rows(width, height, bits):
    rows = []
    for y in range(height):
        v = 0
        n = 0
        row = b""
        for x in range(width):
            v = (v << bits) | ((x * 3 + y) % (1 << bits))
            n += bits
            if n == 8:
                row += bytes((v,))
                v = n = 0
        if n:
            row += bytes((v << (8 - n),))
        rows.append(row)
    return rows_padded(rows)


def bmp_seeds():
    t = "fuzz_bmp_reader"
    w, h = 7, 5
    for bits in (1, 2, 4, 8):
        n = 1 << bits
        put(t, f"indexed{bits}.bmp", bmp(info_header(40, w, h, bits), palette(n), indexed_rows(w, h, bits)))
    put(t, "indexed8-short-palette.bmp", bmp(info_header(40, w, h, 8, colours=5), palette(5), indexed_rows(w, h, 8)))
    put(t, "indexed4-topdown.bmp", bmp(info_header(40, w, -h, 4), palette(16), indexed_rows(w, h, 4)))
    # run lengths: runs, absolute runs, a delta, an end of line, an end of bitmap
    rle8 = bytes((3, 1, 0, 4, 5, 6, 7, 8, 0, 0, 2, 9, 0, 2, 2, 1, 4, 3, 0, 0, 0, 3, 1, 2, 3, 0, 0, 0, 1))
    put(t, "rle8.bmp", bmp(info_header(40, w, h, 8, compression=1, image=len(rle8)), palette(256), rle8))
    rle4 = bytes((5, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 0, 2, 1, 1, 3, 0xAB, 0, 0, 7, 0xCD, 0, 1))
    put(t, "rle4.bmp", bmp(info_header(40, w, h, 4, compression=2, image=len(rle4)), palette(16), rle4))
    px16 = rows_padded([b"".join(struct.pack("<H", (x * 4099 + y * 31) & 0x7FFF) for x in range(w)) for y in range(h)])
    put(t, "rgb555.bmp", bmp(info_header(40, w, h, 16), b"", px16))
    put(t, "rgb565.bmp", bmp(info_header(40, w, h, 16, compression=3), b"", px16,
                             extra=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    put(t, "argb1555-v5.bmp", bmp(info_header(124, w, h, 16, compression=3, masks=(0x7C00, 0x3E0, 0x1F, 0x8000)),
                                  b"", px16))
    px24 = rows_padded([b"".join(bytes(((x * 40) & 255, (y * 50) & 255, (x * y * 9) & 255)) for x in range(w))
                        for y in range(h)])
    put(t, "bgr24.bmp", bmp(info_header(40, w, h, 24), b"", px24))
    put(t, "bgr24-topdown-v4.bmp", bmp(info_header(108, w, -h, 24), b"", px24))
    px32 = b"".join(bytes(((x * 40) & 255, (y * 50) & 255, (x * y * 9) & 255, (x * 37) & 255))
                    for y in range(h) for x in range(w))
    put(t, "bgrx32.bmp", bmp(info_header(40, w, h, 32), b"", px32))
    put(t, "bgra32-v5.bmp", bmp(info_header(124, w, h, 32, compression=3,
                                            masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)), b"", px32))
    put(t, "rgba1010102.bmp", bmp(info_header(56, w, h, 32, compression=3,
                                              masks=(0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000)), b"", px32))
    put(t, "alphabitfields.bmp", bmp(info_header(40, w, h, 32, compression=6), b"", px32,
                                     extra=struct.pack("<IIII", 0xFF, 0xFF00, 0xFF0000, 0xFF000000)))
    core = struct.pack("<IHHHH", 12, w, h, 1, 8)
    put(t, "os2-core8.bmp", bmp(core, palette(256, 3), indexed_rows(w, h, 8)))
    put(t, "os2-core24.bmp", bmp(struct.pack("<IHHHH", 12, w, h, 1, 24), b"", px24))
    os2 = info_header(40, w, h, 4, compression=2)[:40] + b"\0" * 24
    os2 = struct.pack("<I", 64) + os2[4:]
    put(t, "os2v2-rle4.bmp", bmp(os2, palette(16), rle4))
    put(t, "os2v2-16.bmp", bmp(struct.pack("<IiiHH", 16, w, h, 1, 1), palette(2), indexed_rows(w, h, 1)))
    # icon entries: a DIB whose height counts the AND mask rows
    mask = rows_padded([bytes(((0xA5 >> y) & 0xFE,)) for y in range(h)])
    put(t, "icon32.dib", info_header(40, w, 2 * h, 32) + px32 + mask)
    put(t, "icon4.dib", info_header(40, w, 2 * h, 4) + palette(16) + indexed_rows(w, h, 4) + mask)
    put(t, "packed8.dib", info_header(40, w, h, 8, colours=12) + palette(12) + indexed_rows(w, h, 8))


def png(width, height, depth=8, colour=2):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    samples = {0: 1, 2: 3, 4: 2, 6: 4}[colour]
    raw = b"".join(b"\0" + b"\x80" * (width * samples * depth // 8) for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def jpeg(width, height, sof=0xC0):
    seg = lambda m, data: bytes((0xFF, m)) + struct.pack(">H", len(data) + 2) + data
    return (b"\xFF\xD8" + seg(0xE0, b"JFIF\0\1\1\0\0\1\0\1\0\0") + seg(0xDB, b"\0" + bytes(range(1, 65)))
            + seg(sof, struct.pack(">BHHB", 8, height, width, 3) + b"\1\x11\0\2\x11\0\3\x11\0")
            + seg(0xC4, b"\0" + b"\1" + b"\0" * 15 + b"\0")
            + seg(0xDA, b"\3\1\0\2\0\3\0\0\x3F\0") + b"\x12\x34\xFF\x00\x56" + b"\xFF\xD9")


def gif(screen, frames):
    out = b"GIF89a" + struct.pack("<HHBBB", screen[0], screen[1], 0x80, 0, 0) + b"\0\0\0\xFF\xFF\xFF"
    out += b"\x21\xF9\x04\x00\x0A\x00\x00\x00"  # graphic control
    for left, top, w, h in frames:
        out += b"\x2C" + struct.pack("<HHHHB", left, top, w, h, 0) + b"\x02\x02\x44\x01\x00"
    return out + b"\x3B"


def ico(entries):
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    body = b""
    for listed, data in entries:
        out += struct.pack("<BBBBHHII", listed[0] & 255, listed[1] & 255, 0, 0, 1, 32, len(data), offset + len(body))
        body += data
    return out + body


def probe_seeds():
    t = "fuzz_picture_probe"
    put(t, "plain.bmp", bmp(info_header(40, 3, 2, 24), b"", rows_padded([b"\1\2\3" * 3] * 2)))
    put(t, "core.bmp", bmp(struct.pack("<IHHHH", 12, 2, 2, 1, 24), b"", rows_padded([b"\1\2\3" * 2] * 2)))
    put(t, "rgb.png", png(3, 2))
    put(t, "grey16.png", png(2, 2, 16, 0))
    put(t, "baseline.jpg", jpeg(17, 9))
    put(t, "progressive.jpg", jpeg(40, 30, 0xC2))
    put(t, "two-frames.gif", gif((4, 4), [(0, 0, 4, 4), (2, 1, 6, 3)]))
    put(t, "no-screen.gif", gif((0, 0), [(1, 1, 2, 2)]))
    dib = info_header(40, 2, 4, 32) + b"\x10\x20\x30\x80" * 4 + rows_padded([b"\x40"] * 2)
    put(t, "icon.ico", ico([((2, 2), dib), ((3, 2), png(3, 2))]))


def field_seeds():
    t = "fuzz_field_number"
    for i, text in enumerate(["42", " -3,5 ", "+.5", "007", "2147483647.5", "-32768.5", "1e5", "0,",
                              "0." + "0" * 60 + "1", "9" * 320, "\t12\t", "1.2.3"]):
        put(t, f"text{i}", text.encode())


if __name__ == "__main__":
    bmp_seeds()
    probe_seeds()
    field_seeds()
