#!/usr/bin/env python3
"""Draws the settings dialog's picture: three comets swirling round a glow, 128 x 64 pixels in
16 colours, written as an XPM that the program compiles in and as the same pixels in a PNG for
the page. Run it here after changing it; its output is committed:
    python3 make_comet_swirl.py
"""
import math
import random

from make_icon import png_bytes

WIDTH, HEIGHT = 128, 64

# The 16 colours the picture may use.
PALETTE = [
    (4, 6, 20), (10, 16, 46), (22, 30, 84), (60, 64, 110),
    (120, 20, 24), (200, 44, 36), (255, 120, 80),
    (16, 96, 40), (40, 180, 80), (150, 255, 160),
    (30, 60, 170), (70, 130, 255), (170, 210, 255),
    (255, 230, 150), (200, 200, 215), (255, 255, 255),
]
SYMBOLS = ".,:;abcdefghijk#"


def render():
    rng = random.Random(7)
    image = [[[0.0, 0.0, 0.0] for _ in range(WIDTH)] for _ in range(HEIGHT)]

    def splat(cx, cy, radius, colour, strength):
        r2 = radius * radius
        for y in range(max(0, int(cy - 3 * radius)), min(HEIGHT, int(cy + 3 * radius) + 2)):
            for x in range(max(0, int(cx - 3 * radius)), min(WIDTH, int(cx + 3 * radius) + 2)):
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                k = strength * math.exp(-d2 / (2 * r2))
                for c in range(3):
                    image[y][x][c] += colour[c] * k

    # Night sky: a faint blue haze towards the middle, and a few stars.
    for y in range(HEIGHT):
        for x in range(WIDTH):
            d = math.hypot((x - 64) / 64.0, (y - 32) / 32.0)
            haze = max(0.0, 1.0 - d) * 60
            image[y][x] = [haze * 0.25, haze * 0.35, haze * 0.9]
    for _ in range(40):
        image[rng.randrange(HEIGHT)][rng.randrange(WIDTH)] = [150.0, 150.0, 170.0]

    splat(64, 32, 5, (255, 240, 200), 0.8)  # the glow the comets circle

    comets = [((255, 60, 40), 0.0), ((60, 255, 110), 2.094), ((80, 140, 255), 4.189)]
    for colour, phase in comets:
        steps = 90
        for i in range(steps):
            t = i / (steps - 1)  # 0 at the tail's end, 1 at the head
            angle = phase + 4.2 * t
            radius = 10 + 18 * t
            x = 64 + math.cos(angle) * radius * 1.9
            y = 32 + math.sin(angle) * radius * 0.95
            splat(x, y, 0.8 + 1.4 * t, colour, 0.08 + 0.5 * t * t)
        head_x = 64 + math.cos(phase + 4.2) * 28 * 1.9
        head_y = 32 + math.sin(phase + 4.2) * 28 * 0.95
        splat(head_x, head_y, 1.6, (255, 255, 255), 1.4)
        splat(head_x, head_y, 3.0, colour, 0.6)
    return image


def nearest(pixel):
    r, g, b = (min(255.0, c) for c in pixel)
    return min(range(len(PALETTE)),
               key=lambda i: (PALETTE[i][0] - r) ** 2 * 0.3 + (PALETTE[i][1] - g) ** 2 * 0.59 +
               (PALETTE[i][2] - b) ** 2 * 0.11)


def main():
    indices = [[nearest(p) for p in row] for row in render()]
    with open("comet_swirl.xpm", "w") as f:
        f.write("/* XPM */\n")
        f.write("/* Made by make_comet_swirl.py: edit that, not this. */\n")
        f.write("static const char* const comet_swirl_xpm[] = {\n")
        f.write(f'"{WIDTH} {HEIGHT} {len(PALETTE)} 1",\n')
        for symbol, (r, g, b) in zip(SYMBOLS, PALETTE):
            f.write(f'"{symbol} c #{r:02X}{g:02X}{b:02X}",\n')
        rows = ["".join(SYMBOLS[i] for i in row) for row in indices]
        f.write(",\n".join(f'"{row}"' for row in rows) + "\n};\n")
    with open("comet_swirl.png", "wb") as f:
        f.write(png_bytes(WIDTH, HEIGHT, [[PALETTE[i] for i in row] for row in indices]))


if __name__ == "__main__":
    main()
