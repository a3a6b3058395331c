#!/usr/bin/env python3
"""Draws the program icon: three glowing arms, red, green and blue, winding out of a white-hot
centre on black. Writes icon_32.xpm and icon_16.xpm (the window's icon, built into the program)
icons/NxN.png for the desktop's icon theme and the web app, and swirlbeam.ico, the Windows
program's icon, of the same PNGs. Run it here after changing the
design; its output is committed, so building needs no Python."""
import math
import struct
import zlib

CHARS = [chr(c) for c in range(35, 127) if chr(c) not in '"\\']


def render(n, levels=5):
    rows = []
    for y in range(n):
        row = []
        for x in range(n):
            u = (x + 0.5) / n * 2 - 1
            v = (y + 0.5) / n * 2 - 1
            r, th = math.hypot(u, v), math.atan2(v, u)
            rgb = [0.0, 0.0, 0.0]
            for k in range(3):
                phase = th + 2 * math.pi * k / 3 - 4.2 * r
                d = math.atan2(math.sin(phase), math.cos(phase))
                rgb[k] += 1.3 * math.exp(-(d / 0.45) ** 2) * max(0.0, 1 - r) ** 0.7
            core = math.exp(-(r / 0.18) ** 2)
            row.append(tuple(min(255, int(round(min(1.0, c + core) * levels)) * (255 // levels))
                             for c in rgb))
        rows.append(row)
    return rows


def write_xpm(n):
    rows = render(n)
    palette = sorted({p for row in rows for p in row})
    code = {p: CHARS[i] for i, p in enumerate(palette)}
    with open(f"icon_{n}.xpm", "w") as f:
        f.write("/* XPM */\n")
        f.write(f"/* Swirlbeam program icon, {n} x {n}: red, green and blue arms swirling out of "
                "a white-hot centre. */\n")
        f.write(f"static const char* const icon_{n}_xpm[] = {{\n")
        f.write(f'"{n} {n} {len(palette)} 1",\n')
        for p in palette:
            f.write(f'"{code[p]} c #{p[0]:02X}{p[1]:02X}{p[2]:02X}",\n')
        for i, row in enumerate(rows):
            f.write('"' + "".join(code[p] for p in row) + '"' + (",\n" if i < n - 1 else "};\n"))


def png_bytes(width, height, rows):
    """An 8-bit RGB PNG of rows of (r, g, b) pixels."""
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_png(n):
    # XPM needs a small palette; the theme's PNGs keep every level of the design.
    with open(f"icons/{n}x{n}.png", "wb") as f:
        f.write(png_bytes(n, n, render(n, levels=255)))


def write_ico(sizes):
    # An icon directory of PNG images, which Windows reads from Vista on.
    images = [png_bytes(n, n, render(n, levels=255)) for n in sizes]
    offset = 6 + 16 * len(images)
    entries = b""
    for n, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open("swirlbeam.ico", "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + b"".join(images))


if __name__ == "__main__":
    for size in (32, 16):
        write_xpm(size)
    # 180, 192 and 512: what phones and browsers ask of a web app.
    for size in (16, 32, 48, 64, 128, 180, 192, 256, 512):
        write_png(size)
    write_ico((16, 24, 32, 48, 64, 256))
