#!/usr/bin/env python3
"""Writes Hovelle.ico, the tray program's icon: one 32 x 32 image with the 16
standard VGA colours, drawn below as text. Each character is a palette index
in hexadecimal; '.' is transparent. Run it after changing the picture:
    python3 tray/make_icon.py tray/Hovelle.ico
"""
import struct
import sys

PALETTE = [  # (red, green, blue)
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# A window in front of another one, a pin in its title bar.
PICTURE = """
................................
................................
..0000000000000000000...........
..0888888888888888880...........
..0888888888888888880...........
..0777777777777777770...........
..0777777777777777770...........
..0777777000000000000000000000..
..07777770CCCCCCCCCCCCC99CCCC0..
..07777770CCCCCCCCCCCC9BB9CCC0..
..07777770CCCCCCCCCCCC9BB9CCC0..
..07777770CCCCCCCCCCCCC99CCCC0..
..07777770CCCCCCCCCCCCC00CCCC0..
..07777770000000000000000000000.
..07777770FFFFFFFFFFFFFFFFFFFF0.
..07777770FFFFFFFFFFFFFFFFFFFF0.
..07777770FF888888888888FFFFFF0.
..07777770FFFFFFFFFFFFFFFFFFFF0.
..07777770FF8888888888FFFFFFFF0.
..07777770FFFFFFFFFFFFFFFFFFFF0.
..00000000FF88888888888888FFFF0.
..........FFFFFFFFFFFFFFFFFFFF0.
..........FF888888888FFFFFFFFF0.
..........FFFFFFFFFFFFFFFFFFFF0.
..........FF888888888888FFFFFF0.
..........FFFFFFFFFFFFFFFFFFFF0.
..........FFFFFFFFFFFFFFFFFFFF0.
.........000000000000000000000..
................................
................................
................................
................................
"""


def rows():
    lines = [line for line in PICTURE.strip("\n").split("\n")]
    assert len(lines) == 32 and all(len(line) == 32 for line in lines), "the picture must be 32 x 32"
    return lines


def image():
    lines = rows()
    xor = bytearray()
    mask = bytearray()
    for line in reversed(lines):  # bottom-up
        indices = [0 if c == "." else int(c, 16) for c in line]
        for x in range(0, 32, 2):
            xor.append(indices[x] << 4 | indices[x + 1])
        bits = 0
        for c in line:
            bits = bits << 1 | (1 if c == "." else 0)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    data = image()
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(data), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + entry + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "Hovelle.ico")
