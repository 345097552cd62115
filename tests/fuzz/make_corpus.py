#!/usr/bin/env python3
# Writes the fuzzing seed files: small valid PNGs of every colour kind and hand-broken ones.
# Run by hand from the project root when the seeds change: python3 tests/fuzz/make_corpus.py
# Names tell the regression suite what to expect: ok-<W>x<H>-c<K>-... must load as W x H with K
# bytes per pixel, bad-... must be refused.
import os
import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
GREY, RGB, PALETTE, GREY_ALPHA, RGBA = 0, 2, 3, 4, 6
CHANNELS = {GREY: 1, RGB: 3, PALETTE: 1, GREY_ALPHA: 2, RGBA: 4}
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def ihdr(width, height, depth, colour, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))


def pack_row(samples, depth):
    """Packs one row of samples (ints) at the bit depth, each row starting on a byte."""
    if depth == 8:
        return bytes(samples)
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def scanlines(pixels, width, height, channels, depth, interlace):
    """pixels: rows of per-pixel sample tuples. Filter type 0 throughout."""
    if not interlace:
        passes = [(0, 0, 1, 1)]
    else:
        passes = ADAM7
    raw = bytearray()
    for x0, y0, dx, dy in passes:
        cols = range(x0, width, dx)
        if not cols:
            continue
        for y in range(y0, height, dy):
            samples = [s for x in cols for s in pixels[y][x][:channels]]
            raw += b"\x00" + pack_row(samples, depth)
    return bytes(raw)


def png(width, height, colour, depth, pixels, extra=b"", interlace=0):
    data = scanlines(pixels, width, height, CHANNELS[colour], depth, interlace)
    return SIGNATURE + ihdr(width, height, depth, colour, interlace) + extra + chunk(
        b"IDAT", zlib.compress(data)) + chunk(b"IEND", b"")


def image(width, height, paint):
    return [[paint(x, y) for x in range(width)] for y in range(height)]


def slope(width, height):
    return image(width, height, lambda x, y: (x * 9 % 256, y * 13 % 256, (x + y) % 256, (x * 255 // max(1, width - 1))))


def png_seeds():
    seeds = {}
    rgba = slope(4, 4)
    valid = png(4, 4, RGBA, 8, rgba)
    seeds["ok-1x1-c4-rgba.png"] = png(1, 1, RGBA, 8, [[(1, 2, 3, 4)]])
    seeds["ok-4x4-c4-rgba.png"] = valid
    seeds["ok-4x3-c1-grey.png"] = png(4, 3, GREY, 8, image(4, 3, lambda x, y: (x * 60 + y,)))
    seeds["ok-8x2-c1-grey-1bit.png"] = png(8, 2, GREY, 1, image(8, 2, lambda x, y: ((x + y) % 2,)))
    seeds["ok-3x2-c2-grey-alpha.png"] = png(3, 2, GREY_ALPHA, 8, image(3, 2, lambda x, y: (x * 80, y * 200)))
    seeds["ok-3x3-c2-grey-trns.png"] = png(3, 3, GREY, 8, image(3, 3, lambda x, y: (x * 100,)),
                                           extra=chunk(b"tRNS", struct.pack(">H", 100)))
    seeds["ok-2x2-c3-rgb-16bit.png"] = png(2, 2, RGB, 16, image(2, 2, lambda x, y: (x * 40000, y * 900, 65535)))
    seeds["ok-2x2-c1-grey-16bit.png"] = png(2, 2, GREY, 16, image(2, 2, lambda x, y: (x * 30000 + y,)))
    plte = chunk(b"PLTE", bytes(range(30, 39)))
    paletted = image(5, 1, lambda x, y: (x % 3,))
    seeds["ok-5x1-c3-palette.png"] = png(5, 1, PALETTE, 8, paletted, extra=plte)
    seeds["ok-5x1-c4-palette-trns.png"] = png(5, 1, PALETTE, 8, paletted, extra=plte + chunk(b"tRNS", b"\x00\x80"))
    seeds["ok-6x2-c3-palette-2bit.png"] = png(6, 2, PALETTE, 2, image(6, 2, lambda x, y: ((x + y) % 3,)), extra=plte)
    seeds["ok-7x5-c4-interlaced.png"] = png(7, 5, RGBA, 8, slope(7, 5), interlace=1)
    seeds["ok-3x9-c1-grey-interlaced.png"] = png(3, 9, GREY, 4, image(3, 9, lambda x, y: ((x * 5 + y) % 16,)),
                                                 interlace=1)
    text = chunk(b"tEXt", b"Comment\x00seed")
    seeds["ok-4x4-c4-text-chunk-bad-crc.png"] = valid[:33] + chunk(b"tEXt", b"Comment\x00seed", crc=0) + valid[33:]
    seeds["ok-4x4-c4-text-chunk.png"] = valid[:33] + text + valid[33:]

    seeds["bad-empty.png"] = b""
    seeds["bad-text.png"] = b"not a PNG at all\n"
    seeds["bad-signature-only.png"] = SIGNATURE
    seeds["bad-truncated-in-ihdr.png"] = valid[:20]
    seeds["bad-truncated-after-ihdr.png"] = valid[:33]
    idat_start = valid.index(b"IDAT")
    seeds["bad-truncated-in-idat.png"] = valid[:idat_start + 12]
    seeds["bad-truncated-before-iend.png"] = valid[:-12]
    seeds["bad-ihdr-crc.png"] = SIGNATURE + chunk(b"IHDR", valid[16:29], crc=0x12345678) + valid[33:]
    seeds["bad-idat-crc.png"] = valid[:-16] + b"\x00\x00\x00\x00" + valid[-12:]
    seeds["bad-zero-width.png"] = SIGNATURE + ihdr(0, 4, 8, RGBA) + valid[33:]
    seeds["bad-zero-height.png"] = SIGNATURE + ihdr(4, 0, 8, RGBA) + valid[33:]
    seeds["bad-huge-size.png"] = SIGNATURE + ihdr(0x7FFFFFFF, 0x7FFFFFFF, 8, RGBA) + valid[33:]
    seeds["bad-wider-than-limit.png"] = SIGNATURE + ihdr(8193, 1, 8, GREY) + chunk(
        b"IDAT", zlib.compress(b"\x00" + bytes(8193))) + chunk(b"IEND", b"")
    seeds["bad-rgb-4bit.png"] = SIGNATURE + ihdr(4, 4, 4, RGB) + valid[33:]
    seeds["bad-palette-missing.png"] = png(5, 1, PALETTE, 8, paletted)
    seeds["bad-no-idat.png"] = SIGNATURE + ihdr(4, 4, 8, RGBA) + chunk(b"IEND", b"")
    seeds["bad-idat-too-short.png"] = SIGNATURE + ihdr(4, 4, 8, RGBA) + chunk(
        b"IDAT", zlib.compress(scanlines(rgba, 4, 2, 4, 8, 0))) + chunk(b"IEND", b"")
    seeds["bad-idat-not-deflate.png"] = SIGNATURE + ihdr(4, 4, 8, RGBA) + chunk(b"IDAT", bytes(range(40))) + chunk(
        b"IEND", b"")
    seeds["bad-unknown-filter.png"] = SIGNATURE + ihdr(2, 1, 8, GREY) + chunk(
        b"IDAT", zlib.compress(b"\x07\x01\x02")) + chunk(b"IEND", b"")
    return seeds


def height_seeds():
    seeds = {}
    seeds["ok-16x16-c4-slope.png"] = png(16, 16, RGBA, 8, slope(16, 16))
    seeds["ok-12x12-c4-flat.png"] = png(12, 12, RGBA, 8, image(12, 12, lambda x, y: (40, 120, 40, 77)))
    seeds["ok-20x1-c4-one-row.png"] = png(20, 1, RGBA, 8, slope(20, 1))
    seeds["ok-1x20-c1-one-column.png"] = png(1, 20, GREY, 8, image(1, 20, lambda x, y: (y * 12,)))
    seeds["ok-1x1-c4-single-point.png"] = png(1, 1, RGBA, 8, [[(9, 9, 9, 200)]])
    seeds["ok-2x2-c4-tiny.png"] = png(2, 2, RGBA, 8, slope(2, 2))
    seeds["ok-10x10-c3-rgb.png"] = png(10, 10, RGB, 8, image(10, 10, lambda x, y: (x, y, (x * y * 7) % 256)))
    seeds["ok-9x7-c2-grey-alpha.png"] = png(9, 7, GREY_ALPHA, 8, image(9, 7, lambda x, y: (x, (x * y * 30) % 256)))
    seeds["ok-24x24-c1-cliffs.png"] = png(24, 24, GREY, 8, image(
        24, 24, lambda x, y: (255 if (x // 4 + y // 3) % 3 == 0 else 0,)))
    seeds["ok-17x31-c1-ridge.png"] = png(17, 31, GREY, 8, image(17, 31, lambda x, y: (255 if x == 8 and y > 2 else 0,)))
    seeds["ok-6x6-c4-interlaced.png"] = png(6, 6, RGBA, 8, slope(6, 6), interlace=1)
    broken = png(8, 8, RGBA, 8, slope(8, 8))
    # The height-map harness mends chunk checksums before loading, so this one loads there.
    seeds["ok-8x8-c4-wrong-checksums.png"] = SIGNATURE + chunk(b"IHDR", broken[16:29], crc=7) + broken[33:-4] + b"\0" * 4
    seeds["bad-truncated-in-idat.png"] = broken[:broken.index(b"IDAT") + 10]
    seeds["bad-zero-height.png"] = SIGNATURE + ihdr(8, 0, 8, RGBA) + broken[33:]
    return seeds


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    for target, seeds in (("png", png_seeds()), ("heightmap", height_seeds())):
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name in os.listdir(folder):
            os.remove(os.path.join(folder, name))
        for name, data in sorted(seeds.items()):
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)
        print(f"{folder}: {len(seeds)} files")


if __name__ == "__main__":
    main()
