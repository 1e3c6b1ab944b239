#!/usr/bin/python3
"""Draws the program's icon (a sheet whose highlighted column splits off to
the right) and writes it as a Windows .ico with 16x16 and 32x32 images.
Usage: make_icon.py OUTPUT.ico"""
import struct, sys


def pixel(x, y, size):
    s = size / 32.0
    X, Y = x / s, y / s
    if 2 <= X < 20 and 4 <= Y < 28:  # the sheet
        if X < 3 or X >= 19 or Y < 5 or Y >= 27:
            return (40, 60, 90, 255)
        if 8 <= X < 13:  # the chosen column
            return (30, 160, 60, 255)
        if int(Y) % 5 == 4 or int(X) % 6 == 2:
            return (150, 160, 175, 255)
        return (250, 250, 250, 255)
    if 22 <= X < 30 and 8 <= Y < 24 and (int(Y) // 4) % 2 == 0:  # the split-off parts
        return (30, 160, 60, 255)
    return (0, 0, 0, 0)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b''.join(struct.pack('<BBBB', b, g, r, a) for (r, g, b, a) in
                             (pixel(x, y, size) for x in range(size))))
    xor = b''.join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b'\0' * (mask_row * size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(out):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    data = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, 'wb') as f:
        f.write(data + b''.join(images))


main(sys.argv[1])
