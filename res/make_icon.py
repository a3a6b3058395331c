#!/usr/bin/env python3
"""Draws the program icon into icon_32.xpm and icon_16.xpm: three glowing arms, red, green and
blue, winding out of a white-hot centre on black. Run it here after changing the design."""
import math

CHARS = [chr(c) for c in range(35, 127) if chr(c) not in '"\\']


def render(n):
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
            row.append(tuple(min(255, int(round(min(1.0, c + core) * 5)) * 51) for c in rgb))
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


if __name__ == "__main__":
    for size in (32, 16):
        write_xpm(size)
