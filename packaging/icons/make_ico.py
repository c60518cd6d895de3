"""Packs square PNG images into one .ico file: make_ico.py OUT.ico IN.png...

An .ico is a 6-byte header, one 16-byte directory entry per image, then the images;
Windows reads PNG-compressed entries of every size.
"""

import struct
import sys


def png_size(data: bytes) -> tuple[int, int]:
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(out: str, inputs: list[str]) -> None:
    images = []
    for name in inputs:
        with open(name, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width != height or not 1 <= width <= 256:
            raise ValueError(f"{name}: {width}x{height} is not a square of at most 256")
        images.append((width, data))
    images.sort(key=lambda image: image[0])

    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for width, data in images:
        side = width % 256  # 256 is written as 0
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(data for _, data in images))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: make_ico.py OUT.ico IN.png...")
    main(sys.argv[1], sys.argv[2:])
