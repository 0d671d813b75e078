#!/usr/bin/env python3
"""Writes Hovelle.ico, the tray program's icon: a window in front of another
one, with a pin in its title bar. One 32-bit image with alpha for each size
the notification area and the title bars ask for from 100 % to 200 %
(16, 20, 24 and 32 pixels), each drawn on whole pixels so none is a blurred
copy of another. Run it after changing the picture:
    python3 tray/make_icon.py tray/Hovelle.ico
"""
import struct
import sys

SIZES = [16, 20, 24, 32]

INK = (0x1F, 0x2A, 0x36)
BACK_TITLE = (0x7A, 0x8A, 0x99)
BACK_BODY = (0xD8, 0xDD, 0xE3)
FRONT_TITLE = (0x2B, 0x6C, 0xC4)
PAPER = (0xFF, 0xFF, 0xFF)
TEXT = (0x9A, 0xA5, 0xB1)
PIN = (0xD9, 0x36, 0x3E)
PIN_LIGHT = (0xFF, 0xD2, 0x4A)


def at(value, size):
    """A coordinate of the 32-unit design on the pixel grid of `size`."""
    return int(value * size / 32 + 0.5)


def draw(size):
    pixels = [[None] * size for _ in range(size)]

    def fill(left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, size)):
            for x in range(max(left, 0), min(right, size)):
                pixels[y][x] = colour

    def window(left, top, right, bottom, title_units, title, body):
        l, t, r, b = at(left, size), at(top, size), at(right, size), at(bottom, size)
        fill(l, t, r, b, INK)
        title_rows = max(2, at(title_units, size))
        fill(l + 1, t + 1, r - 1, t + 1 + title_rows, title)
        fill(l + 1, t + 2 + title_rows, r - 1, b - 1, body)
        return l, t, r, b, title_rows

    window(1, 1, 22, 22, 3, BACK_TITLE, BACK_BODY)
    l, t, r, b, title_rows = window(9, 8, 31, 30, 4, FRONT_TITLE, PAPER)
    # Lines of text every other row, of varied length, clear of the frame.
    lengths = [0.8, 0.6, 0.9, 0.5, 0.7, 0.85]
    y = t + title_rows + 4
    for i in range(size):
        if y >= b - 2:
            break
        width = r - l - 4
        fill(l + 2, y, l + 2 + max(2, int(width * lengths[i % len(lengths)])), y + 1, TEXT)
        y += 2
    # The pin: a round head with a light in its middle, in the title bar.
    pin = max(2, at(4, size))
    px, py = r - 2 - pin, t + 1 + (title_rows - pin) // 2
    for dy in range(pin):
        for dx in range(pin):
            corner = pin > 3 and dx in (0, pin - 1) and dy in (0, pin - 1)
            if not corner:
                pixels[py + dy][px + dx] = PIN
    if pin > 3:
        fill(px + pin // 2 - 1, py + pin // 2 - 1, px + pin // 2, py + pin // 2, PIN_LIGHT)
    return pixels


def image(size):
    pixels = draw(size)
    colour = bytearray()
    mask = bytearray()
    stride = (size + 31) // 32 * 4
    for row in reversed(pixels):  # bottom-up
        bits = 0
        for c in row:
            colour += bytes((0, 0, 0, 0)) if c is None else bytes((c[2], c[1], c[0], 0xFF))
            bits = bits << 1 | (1 if c is None else 0)
        bits <<= stride * 8 - size
        mask += bits.to_bytes(stride, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def main(path):
    images = [image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as file:
        file.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Hovelle.ico")
