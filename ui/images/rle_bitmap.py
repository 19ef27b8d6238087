#!/usr/bin/python3
"""Writes 256-colour pictures as run-length encoded bitmaps (BI_RLE8) with only
the palette entries they use: the same pixels as the plain 8-bit bitmaps, at a
fraction of their size in the program.

  rle_bitmap.py FILE.bmp...   re-encodes plain 8-bit bitmaps in place

generate.py writes its pictures through write_rle8().
"""
import struct
import sys


def encode_row(row):
    """One bottom-up row in encoded mode: runs of equal pixels, and literal
    stretches of at least three pixels where no run pays; ends with 0 0."""
    out = bytearray()
    i, n = 0, len(row)
    literal = bytearray()

    def flush_literal():
        while literal:
            chunk = literal[:255]
            del literal[:255]
            if len(chunk) < 3:
                for pixel in chunk:
                    out.extend((1, pixel))
            else:
                out.extend((0, len(chunk)))
                out.extend(chunk)
                if len(chunk) % 2:
                    out.append(0)

    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            flush_literal()
            out.extend((run, row[i]))
        else:
            literal.append(row[i])
        i += run
    flush_literal()
    out.extend((0, 0))
    return out


def write_rle8(path, width, height, palette, rows, keep_palette=False):
    """palette: (r, g, b) tuples; rows: top-down rows of palette indexes.
    The palette is cut to the entries used unless keep_palette is set (when
    the program recolours entries by their place)."""
    used = list(range(len(palette))) if keep_palette else sorted({pixel for row in rows for pixel in row})
    remap = {old: new for new, old in enumerate(used)}
    data = bytearray()
    for row in reversed(rows):
        data += encode_row(bytes(remap[pixel] for pixel in row))
    data[-2:] = b"\x00\x01"  # the last row's end becomes the bitmap's end
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in (palette[i] for i in used))
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(data), 3780, 3780,
                       len(used), len(used))
    with open(path, "wb") as f:
        f.write(header + info + colours + data)


def read_plain8(path):
    """width, height, palette and top-down rows of a plain 8-bit bitmap."""
    with open(path, "rb") as f:
        raw = f.read()
    offset, = struct.unpack_from("<I", raw, 10)
    size, width, height, _, bits, compression, _, _, _, count, _ = struct.unpack_from("<IiiHHIIiiII", raw, 14)
    if bits != 8 or compression != 0:
        raise ValueError(f"{path}: not a plain 8-bit bitmap")
    count = count or 256
    palette = [struct.unpack_from("<BBB", raw, 14 + size + 4 * i)[::-1] for i in range(count)]
    stride = (width + 3) & ~3
    bottom_up = [raw[offset + y * stride:offset + y * stride + width] for y in range(abs(height))]
    return width, abs(height), palette, bottom_up[::-1] if height > 0 else bottom_up


def main():
    for path in sys.argv[1:]:
        write_rle8(path, *read_plain8(path))


if __name__ == "__main__":
    main()
