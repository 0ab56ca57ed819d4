#!/usr/bin/python3
"""Renders the program's SVG drawings into Windows .ico files.

    make_icons.py TABLE SVG_DIR OUT_DIR RSVG_CONVERT CONVERT

For every row of TABLE (see icons.txt) it writes OUT_DIR/icon_<id>.ico with
16, 24 and 32 pixel images: 8-bit (256-colour palette) and 32-bit (alpha)
images, or 16-colour images. rsvg-convert draws the SVG; ImageMagick's
convert gives raw RGBA pixels and reduces the palette; this script packs the
device-independent bitmaps (colour image plus 1-bit transparency mask) into
the icon file.
"""
import os
import struct
import subprocess
import sys
import tempfile

SIZES = (16, 24, 32)

# Colour schemes of the drawings that use @FILL@, @EDGE@ and @LIGHT@.
SCHEMES = {
    "olive": {"@FILL@": "#8c9618", "@EDGE@": "#444a06", "@LIGHT@": "#d3dc74"},
    "blue": {"@FILL@": "#2f74d0", "@EDGE@": "#123a78", "@LIGHT@": "#9cc3f4"},
    "orange": {"@FILL@": "#f08c12", "@EDGE@": "#9a5200", "@LIGHT@": "#ffd08a"},
    "grey": {"@FILL@": "#9b9b9b", "@EDGE@": "#575757", "@LIGHT@": "#dcdcdc"},
}


def read_table(path):
    rows = []
    with open(path, encoding="utf-8") as table:
        for line in table:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            number, drawing, scheme, depth = line.split()
            if depth not in ("8+32", "4"):
                sys.exit(f"make_icons: unknown depth {depth} for icon {number}")
            if scheme != "-" and scheme not in SCHEMES:
                sys.exit(f"make_icons: unknown colour scheme {scheme} for icon {number}")
            rows.append((int(number), drawing, scheme, depth))
    return rows


def rgba_pixels(convert, png, size, colours):
    """Raw RGBA bytes of png; with colours, alpha cut to 0/255 and at most that many colours."""
    args = [convert, png]
    if colours:
        args += ["-channel", "A", "-threshold", "50%", "+channel", "+dither", "-colors", str(colours)]
    args += ["-depth", "8", "rgba:-"]
    data = subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout
    if len(data) != size * size * 4:
        sys.exit(f"make_icons: {png}: expected {size * size * 4} bytes of pixels, got {len(data)}")
    return [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]


def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def and_mask(pixels, size):
    """1-bit mask, bottom row first: a set bit is a transparent pixel."""
    stride = row_bytes(size)
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixels[y * size + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def info_header(size, bit_count, image_bytes):
    # BITMAPINFOHEADER; an icon image's height counts the colour image and the mask.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0, image_bytes, 0, 0, 0, 0)


def dib_32(pixels, size):
    colour = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            colour += bytes((b, g, r, a))
    mask = and_mask(pixels, size)
    return info_header(size, 32, len(colour) + len(mask)) + bytes(colour) + mask


def dib_palette(pixels, size, bit_count, where):
    capacity = 1 << bit_count
    palette = []
    index_of = {}
    for r, g, b, a in pixels:
        if a >= 128 and (r, g, b) not in index_of:
            index_of[(r, g, b)] = len(palette)
            palette.append((r, g, b))
    if len(palette) > capacity:
        sys.exit(f"make_icons: {where}: {len(palette)} colours do not fit {bit_count} bits")
    palette += [(0, 0, 0)] * (capacity - len(palette))
    stride = row_bytes(size * bit_count)
    colour = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            index = index_of[(r, g, b)] if a >= 128 else 0  # the mask hides it
            if bit_count == 8:
                row[x] = index
            else:
                row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += row
    mask = and_mask(pixels, size)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return info_header(size, bit_count, len(colour) + len(mask)) + table + bytes(colour) + mask


def write_ico(path, images):
    """images: list of (size, bit_count, dib bytes)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for size, bit_count, dib in images:
        colour_count = 16 if bit_count == 4 else 0
        entries += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bit_count, len(dib), offset)
        offset += len(dib)
    with open(path, "wb") as out:
        out.write(header + entries + b"".join(dib for _, _, dib in images))


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    table, svg_dir, out_dir, rsvg, convert = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for number, drawing, scheme, depth in read_table(table):
            with open(os.path.join(svg_dir, drawing), encoding="utf-8") as f:
                svg = f.read()
            for token, colour in SCHEMES.get(scheme, {}).items():
                svg = svg.replace(token, colour)
            if "@" in svg:
                sys.exit(f"make_icons: {drawing} still has a colour token for icon {number}")
            svg_path = os.path.join(work, f"{number}.svg")
            with open(svg_path, "w", encoding="utf-8") as f:
                f.write(svg)
            images = []
            for size in SIZES:
                png = os.path.join(work, f"{number}_{size}.png")
                subprocess.run([rsvg, "-w", str(size), "-h", str(size), "-f", "png", "-o", png, svg_path], check=True)
                where = f"icon {number} at {size} px"
                if depth == "4":
                    images.append((size, 4, dib_palette(rgba_pixels(convert, png, size, 16), size, 4, where)))
                else:
                    images.append((size, 8, dib_palette(rgba_pixels(convert, png, size, 256), size, 8, where)))
                    images.append((size, 32, dib_32(rgba_pixels(convert, png, size, 0), size)))
            write_ico(os.path.join(out_dir, f"icon_{number}.ico"), images)


if __name__ == "__main__":
    main()
