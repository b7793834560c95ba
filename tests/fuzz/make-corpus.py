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


def lzw_literal(indices, min_code):
    """LZW data of the indices without compression: a clear code before the code width would grow."""
    clear = 1 << min_code
    width = min_code + 1
    codes, n = [clear], 0
    for v in indices:
        codes.append(v & (clear - 1))
        n += 1
        if n == (1 << width) - clear - 3:
            codes.append(clear)
            n = 0
    codes.append(clear + 1)
    acc = bits = 0
    packed = bytearray()
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            packed.append(acc & 255)
            acc >>= 8
            bits -= 8
    if bits:
        packed.append(acc & 255)
    data = bytearray([min_code])
    for i in range(0, len(packed), 255):
        data += bytes((len(packed[i:i + 255]),)) + packed[i:i + 255]
    return bytes(data + b"\0")


def full_gif(screen, frames, global_table=True, transparent=None):
    """Frames of (left, top, width, height, interlaced, local table) with real pixels."""
    table = b"".join(bytes(((i * 67) & 255, (i * 151 + 30) & 255, (i * 29 + 200) & 255)) for i in range(16))
    out = b"GIF89a" + struct.pack("<HHBBB", screen[0], screen[1], 0x83 if global_table else 0, 1, 0)
    out += table if global_table else b""
    for left, top, w, h, interlaced, local in frames:
        if transparent is not None:
            out += b"\x21\xF9\x04" + bytes((9, 10, 0, transparent, 0))
        out += b"\x2C" + struct.pack("<HHHHB", left, top, w, h, (0x40 if interlaced else 0) | (0x83 if local else 0))
        out += table[::-1] if local else b""
        out += lzw_literal([(x * 3 + y * 5) % 16 for y in range(h) for x in range(w)], 4)
    return out + b"\x3B"


def png_pixels(width, height, depth, colour, interlace=0, extra=b""):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    samples = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    sizes = [(width, height)] if not interlace else [
        (-(-(width - x) // dx), -(-(height - y) // dy)) for x, y, dx, dy in passes]
    raw = b""
    for w, h in sizes:
        if w > 0 and h > 0:
            row_bytes = (w * samples * depth + 7) // 8
            raw += b"".join(bytes((y % 5,)) + bytes(((i * 29 + y * 71) & 255) for i in range(row_bytes))
                            for y in range(h))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))
            + extra + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


# Two small JPEGs (12 x 10, baseline and progressive, optimised tables) as Qt's writer made them:
# nothing here encodes JPEG.
JPEG_BASELINE = bytes.fromhex(
    "ffd8ffe000104a46494600010101006000600000ffdb004300100b0c0e0c0a100e0d0e1211101318281a181616183123"
    "251d283a333d3c3933383740485c4e404457453738506d51575f626768673e4d71797064785c656763ffdb0043011112"
    "121815182f1a1a2f63423842636363636363636363636363636363636363636363636363636363636363636363636363"
    "6363636363636363636363636363ffc0001108000a000c03012200021101031101ffc400150001010000000000000000"
    "0000000000000504ffc4001e100001020701000000000000000000000001002102030405111222a1ffc4001501010100"
    "000000000000000000000000000104ffc4001d1100010402030000000000000000000000110002030401054181f1ffda"
    "000c03010002110311003f001a96d3ae394dcbb3f01bc49d1421982b25c2340c14d35b7561c9e80f51aebb265abfffd9")
JPEG_PROGRESSIVE = bytes.fromhex(
    "ffd8ffe000104a46494600010101006000600000ffdb004300100b0c0e0c0a100e0d0e1211101318281a181616183123"
    "251d283a333d3c3933383740485c4e404457453738506d51575f626768673e4d71797064785c656763ffdb0043011112"
    "121815182f1a1a2f63423842636363636363636363636363636363636363636363636363636363636363636363636363"
    "6363636363636363636363636363ffc2001108000a000c03012200021101031101ffc400150001010000000000000000"
    "0000000000000403ffc4001501010100000000000000000000000000000103ffda000c03010002100310000001139369"
    "1fffc40017100100030000000000000000000000000000010203ffda0008010100010502ae48c5443fffc40018110002"
    "03000000000000000000000000000002030411ffda0008010301013f01af3361ffc40017110003010000000000000000"
    "000000000000010302ffda0008010201013f01dd5ccfffc40014100100000000000000000000000000000020ffda0008"
    "010100063f021fffc4001810010003010000000000000000000000000001112141ffda0008010100013f21af8c10431f"
    "ffda000c03010002000300000010bfffc4001511010100000000000000000000000000000001ffda0008010301013f10"
    "b8ffc40018110100030100000000000000000000000011004181f1ffda0008010201013f1016dc0ecfffc40018100003"
    "010100000000000000000000000000012111a1ffda0008010100013f108043382a4423311fffd9")


def decode_seeds():
    t = "fuzz_picture_decode"
    for name in ("indexed1.bmp", "indexed4.bmp", "rle8.bmp", "rle4.bmp", "rgb565.bmp", "bgr24.bmp", "bgra32-v5.bmp",
                 "os2-core8.bmp"):
        with open(os.path.join(HERE, "corpus", "fuzz_bmp_reader", name), "rb") as f:
            put(t, name, f.read())
    put(t, "rgb.png", png_pixels(7, 5, 8, 2))
    put(t, "rgba-interlaced.png", png_pixels(9, 9, 8, 6, 1))
    put(t, "grey16.png", png_pixels(5, 4, 16, 0))
    put(t, "palette.png", png_pixels(6, 3, 4, 3, 0, png_chunk(b"PLTE", bytes(range(48))) + png_chunk(b"tRNS", b"\x80\x00")))
    put(t, "baseline.jpg", JPEG_BASELINE)
    put(t, "progressive.jpg", JPEG_PROGRESSIVE)
    put(t, "whole.gif", full_gif((6, 5), [(0, 0, 6, 5, False, False)]))
    put(t, "interlaced-part.gif", full_gif((9, 12), [(2, 1, 5, 10, True, True)], transparent=3))
    put(t, "two-frames.gif", full_gif((8, 6), [(1, 1, 4, 4, False, True), (0, 0, 8, 6, False, False)]))
    dib = info_header(40, 4, 8, 4) + palette(16) + indexed_rows(4, 4, 4) + rows_padded([b"\x50"] * 4)
    put(t, "icon-dib.ico", ico([((4, 4), dib)]))
    put(t, "icon-png.ico", ico([((6, 3), png_pixels(6, 3, 8, 6)), ((4, 4), dib)]))
    # Classes public test files brought: a 16-bit truecolour colour key, segments libjpeg skips with
    # a warning and an EXIF orientation, a cursor whose directory states too few bytes, a GIF whose
    # second image lies far off its screen.
    put(t, "rgb16-key.png", png_pixels(5, 4, 16, 2, 1, png_chunk(b"tRNS", b"\x1d\x47\x74\x9f\xcb\xed")))
    tiff = b"MM\0\x2A" + struct.pack(">IHHHIHH", 8, 1, 0x0112, 3, 1, 6, 0) + b"\0\0\0\0"
    exif = b"\xFF\xE1" + struct.pack(">H", len(tiff) + 8) + b"Exif\0\0" + tiff
    put(t, "exif-turned.jpg", JPEG_BASELINE[:2] + exif + b"\xFF\x00\xFF\xFE\x00\x00" + JPEG_BASELINE[2:])
    cursor = bytearray(ico([((4, 4), dib)]))
    cursor[2] = 2
    cursor[10:18] = struct.pack("<HHI", 1, 3, 40)
    put(t, "cursor-short.cur", bytes(cursor))
    far = full_gif((6, 5), [(0, 0, 6, 5, False, False), (60000, 60000, 1, 1, False, False)])
    put(t, "later-far.gif", far)


if __name__ == "__main__":
    bmp_seeds()
    probe_seeds()
    field_seeds()
    decode_seeds()
