#!/usr/bin/env python3
"""Generates the program's pictures into resources/: the fall-back background
texture (803 x 341, 24 bits, dark mottled green), the application icon and the
32 x 32 cursor with its hot spot at (16, 16). The outputs are committed; run
this again only to change the pictures. Deterministic (fixed seed)."""

import random
import struct
from pathlib import Path

OUT = Path(__file__).resolve().parent.parent / "resources"

TEXTURE_W, TEXTURE_H = 803, 341
GREEN_MIN, GREEN_MAX = 15, 77
BLUE_MAX = 27


def value_noise(w, h, cell, rng):
    """Smoothly interpolated random lattice, values 0..1, wrapping."""
    gw, gh = w // cell + 2, h // cell + 2
    lattice = [[rng.random() for _ in range(gw)] for _ in range(gh)]
    out = []
    for y in range(h):
        gy, fy = divmod(y / cell, 1.0)
        gy = int(gy)
        sy = fy * fy * (3 - 2 * fy)
        row = []
        for x in range(w):
            gx, fx = divmod(x / cell, 1.0)
            gx = int(gx)
            sx = fx * fx * (3 - 2 * fx)
            a = lattice[gy][gx] + (lattice[gy][gx + 1] - lattice[gy][gx]) * sx
            b = lattice[gy + 1][gx] + (lattice[gy + 1][gx + 1] - lattice[gy + 1][gx]) * sx
            row.append(a + (b - a) * sy)
        out.append(row)
    return out


def texture():
    rng = random.Random(131)
    coarse = value_noise(TEXTURE_W, TEXTURE_H, 48, rng)
    medium = value_noise(TEXTURE_W, TEXTURE_H, 12, rng)
    fine = value_noise(TEXTURE_W, TEXTURE_H, 3, rng)
    stride = (TEXTURE_W * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(TEXTURE_H - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(TEXTURE_W):
            v = 0.5 * coarse[y][x] + 0.3 * medium[y][x] + 0.2 * fine[y][x]
            v = min(1.0, max(0.0, (v - 0.2) / 0.6))
            green = GREEN_MIN + round(v * (GREEN_MAX - GREEN_MIN))
            blue = round(v * v * BLUE_MAX)
            row += bytes((blue, green, 0))
        row += b"\0" * (stride - len(row))
        pixels += row
    header = struct.pack("<IiiHHIIiiII", 40, TEXTURE_W, TEXTURE_H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    filehead = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    (OUT / "texture.bmp").write_bytes(filehead + header + pixels)


def dib_image(size, pixel):
    """32-bit BGRA image plus AND mask, as stored inside .ico/.cur files."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = 0
        mrow = bytearray(mask_stride)
        for x in range(size):
            b, g, r, a = pixel(x, y)
            xor += bytes((b, g, r, a))
            if a == 0:
                mrow[x // 8] |= 0x80 >> (x % 8)
        mask += mrow
    return header + xor + mask


def icon_pixel(size):
    # Spectrum bars on a dark rounded square.
    heights = [0.35, 0.6, 0.9, 0.7, 0.45, 0.8, 0.55, 0.3]
    def pixel(x, y):
        m = size // 16
        if x < m or y < m or x >= size - m or y >= size - m:
            return (0, 0, 0, 0)
        inner = size - 2 * m
        bar = (x - m) * len(heights) // inner
        top = size - m - int(heights[bar] * (inner - 2))
        if (x - m) % (inner // len(heights)) != 0 and y >= top:
            t = (y - top) / max(1, size - m - top)
            return (int(40 * t), 255 - int(120 * t), int(200 * (1 - t)), 255)
        return (0x28, 0x32, 0x32, 255)
    return pixel


def cursor_pixel(x, y):
    # A ring with a cross through its centre (16, 16); white with a black edge.
    dx, dy = x - 16, y - 16
    r2 = dx * dx + dy * dy
    on_ring = 64 <= r2 <= 100
    on_cross = (abs(dx) <= 0 and 3 <= abs(dy) <= 14) or (abs(dy) <= 0 and 3 <= abs(dx) <= 14)
    if on_ring or on_cross:
        return (255, 255, 255, 255)
    near = any(
        (49 <= (dx + ex) ** 2 + (dy + ey) ** 2 <= 121) or ((dx + ex) == 0 and 2 <= abs(dy + ey) <= 15) or ((dy + ey) == 0 and 2 <= abs(dx + ex) <= 15)
        for ex in (-1, 0, 1) for ey in (-1, 0, 1)
    )
    return (0, 0, 0, 255) if near else (0, 0, 0, 0)


def icon_file():
    images = [(32, dib_image(32, icon_pixel(32))), (16, dib_image(16, icon_pixel(16)))]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset + len(blobs))
        blobs += blob
    (OUT / "tavrin.ico").write_bytes(head + entries + blobs)


def cursor_file():
    blob = dib_image(32, cursor_pixel)
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, 16, 16, len(blob), 6 + 16)
    (OUT / "tavrin.cur").write_bytes(head + entry + blob)


if __name__ == "__main__":
    OUT.mkdir(exist_ok=True)
    texture()
    icon_file()
    cursor_file()
