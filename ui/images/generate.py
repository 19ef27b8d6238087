#!/usr/bin/python3
"""Draws the installer window's pictures into OUT-DIR (default: beside this
script): the banner, the 14 language buttons' faces, each at 1x and 2x, and
the icon. The build runs it (CMakeLists.txt); the pictures are not committed.

  generate.py [OUT-DIR]

Needs Debian's python3 with python3-pil, fonts-dejavu-core and
fonts-wqy-microhei (scripts/setup installs them; scripts/build records their
versions, which the pictures' bytes follow from).
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

from rle_bitmap import write_rle8

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
# Chinese and Japanese labels: drawn into the art, so that a Windows without
# East Asian fonts shows them too.
CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
# A button is 138 x 21 at 1x; its face is what lies inside the frame.
FACE = (136, 19)
# Coverage steps of a label (ui/bitmap_button.cpp colours them).
TEXT_LEVELS = 15
NORMAL_BACKGROUND, NORMAL_TEXT = (236, 233, 216), (30, 30, 30)
FLAG = (28, 17)

# Code and label (the language's own name) of each button; the resource
# script gives the pictures their ids.
LANGUAGES = [
    ("EN", "English"),
    ("DE", "Deutsch"),
    ("IT", "Italiano"),
    ("SP", "Español"),
    ("FR", "Français"),
    ("CH", "中文"),
    ("NL", "Nederlands"),
    ("HE", "עברית"),
    ("EL", "Ελληνικά"),
    ("TR", "Türkçe"),
    ("SV", "Svenska"),
    ("JP", "日本語"),
    ("DK", "Dansk"),
    ("RU", "Русский"),
]


def stripes(draw, box, colours, vertical):
    x0, y0, x1, y1 = box
    n = len(colours)
    for i, colour in enumerate(colours):
        if vertical:
            a, b = x0 + (x1 - x0) * i // n, x0 + (x1 - x0) * (i + 1) // n
            draw.rectangle([a, y0, b, y1], fill=colour)
        else:
            a, b = y0 + (y1 - y0) * i // n, y0 + (y1 - y0) * (i + 1) // n
            draw.rectangle([x0, a, x1, b], fill=colour)


def nordic_cross(draw, box, field, cross, s):
    x0, y0, x1, y1 = box
    draw.rectangle(box, fill=field)
    cx, cy = x0 + (x1 - x0) * 3 // 8, (y0 + y1) // 2
    draw.rectangle([cx - 2 * s, y0, cx + 2 * s, y1], fill=cross)
    draw.rectangle([x0, cy - 2 * s, x1, cy + 2 * s], fill=cross)


def draw_flag(draw, code, box, s=1):
    """The flag in BOX, its details drawn at S times their 1x size."""
    x0, y0, x1, y1 = box
    red, white, blue = (200, 16, 46), (255, 255, 255), (0, 56, 168)
    if code == "EN":
        draw.rectangle(box, fill=(1, 33, 105))
        draw.line([x0, y0, x1, y1], fill=white, width=4 * s)
        draw.line([x0, y1, x1, y0], fill=white, width=4 * s)
        draw.line([x0, y0, x1, y1], fill=red, width=s)
        draw.line([x0, y1, x1, y0], fill=red, width=s)
        cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
        draw.rectangle([cx - 3 * s, y0, cx + 3 * s, y1], fill=white)
        draw.rectangle([x0, cy - 3 * s, x1, cy + 3 * s], fill=white)
        draw.rectangle([cx - s, y0, cx + s, y1], fill=red)
        draw.rectangle([x0, cy - s, x1, cy + s], fill=red)
    elif code == "DE":
        stripes(draw, box, [(0, 0, 0), (221, 0, 0), (255, 206, 0)], False)
    elif code == "IT":
        stripes(draw, box, [(0, 146, 70), white, (206, 43, 55)], True)
    elif code == "SP":
        stripes(draw, box, [(170, 21, 27), (241, 191, 0), (241, 191, 0), (170, 21, 27)], False)
    elif code == "FR":
        stripes(draw, box, [(0, 35, 149), white, (237, 41, 57)], True)
    elif code == "CH":
        draw.rectangle(box, fill=(222, 41, 16))
        star(draw, x0 + 7 * s, y0 + 6 * s, 4 * s, (255, 222, 0))
        for dx, dy in ((13, 2), (15, 5), (15, 9), (13, 12)):
            star(draw, x0 + dx * s, y0 + dy * s, 1.5 * s, (255, 222, 0))
    elif code == "NL":
        stripes(draw, box, [(174, 28, 40), white, (33, 70, 139)], False)
    elif code == "HE":
        draw.rectangle(box, fill=white)
        draw.rectangle([x0, y0 + 2 * s, x1, y0 + 4 * s], fill=(0, 56, 184))
        draw.rectangle([x0, y1 - 4 * s, x1, y1 - 2 * s], fill=(0, 56, 184))
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        for sign in (1, -1):
            triangle = [(cx, cy - 4 * s * sign), (cx + 3.5 * s, cy + 2 * s * sign), (cx - 3.5 * s, cy + 2 * s * sign)]
            draw.polygon(triangle, outline=(0, 56, 184), width=s)
    elif code == "EL":
        stripes(draw, box, [(13, 94, 175), white] * 4 + [(13, 94, 175)], False)
        draw.rectangle([x0, y0, x0 + 10 * s, y0 + 9 * s], fill=(13, 94, 175))
        draw.rectangle([x0 + 4 * s, y0, x0 + 6 * s, y0 + 9 * s], fill=white)
        draw.rectangle([x0, y0 + 4 * s, x0 + 10 * s, y0 + 5 * s], fill=white)
    elif code == "TR":
        draw.rectangle(box, fill=(227, 10, 23))
        cx, cy = x0 + 10 * s, (y0 + y1) // 2
        draw.ellipse([cx - 5 * s, cy - 5 * s, cx + 5 * s, cy + 5 * s], fill=white)
        draw.ellipse([cx - 3 * s, cy - 4 * s, cx + 5 * s, cy + 4 * s], fill=(227, 10, 23))
        star(draw, cx + 7 * s, cy, 2.5 * s, white)
    elif code == "SV":
        nordic_cross(draw, box, (0, 106, 167), (254, 204, 0), s)
    elif code == "JP":
        draw.rectangle(box, fill=white)
        cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
        draw.ellipse([cx - 5 * s, cy - 5 * s, cx + 5 * s, cy + 5 * s], fill=(188, 0, 45))
    elif code == "DK":
        nordic_cross(draw, box, (198, 12, 48), white, s)
    elif code == "RU":
        stripes(draw, box, [white, (0, 57, 166), (213, 43, 30)], False)
    draw.rectangle(box, outline=(60, 60, 60), width=s)


def star(draw, cx, cy, r, colour):
    import math
    points = []
    for i in range(10):
        radius = r if i % 2 == 0 else r * 0.4
        angle = -math.pi / 2 + i * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    draw.polygon(points, fill=colour)


def label_font(code, size):
    return ImageFont.truetype(CJK_FONT if code in ("CH", "JP") else FONT, size)


def blend(background, colour, level):
    return tuple(b + (c - b) * level // TEXT_LEVELS for b, c in zip(background, colour))


def face(code, label, s):
    """A flag button without its frame, at S times its 1x size: the flag and
    the label on palette entry 0 (the background), the label's coverage in
    entries 1 to TEXT_LEVELS, the flag's colours after them. The program
    colours the first entries for each look (normal, hover, pressed) and
    draws the frame itself (ui/bitmap_button.cpp)."""
    size = (FACE[0] * s, FACE[1] * s)
    box = (3 * s, s, 3 * s + FLAG[0] * s + s - 1, s + FLAG[1] * s + s - 1)
    flag = Image.new("RGB", size, (0, 0, 0))
    draw_flag(ImageDraw.Draw(flag), code, box, s)
    text = Image.new("L", size, 0)
    ImageDraw.Draw(text).text((39 * s, 2 * s), label, font=label_font(code, 12 * s), fill=255)

    def in_flag(x, y):
        return box[0] <= x <= box[2] and box[1] <= y <= box[3]

    flag_colours = sorted({flag.getpixel((x, y)) for x in range(size[0]) for y in range(size[1]) if in_flag(x, y)})
    # Entries 0 to TEXT_LEVELS as the normal look has them, for viewers.
    palette = [blend(NORMAL_BACKGROUND, NORMAL_TEXT, level) for level in range(TEXT_LEVELS + 1)] + flag_colours
    flag_index = {colour: 1 + TEXT_LEVELS + i for i, colour in enumerate(flag_colours)}
    rows = []
    for y in range(size[1]):
        row = bytearray()
        for x in range(size[0]):
            if in_flag(x, y):
                row.append(flag_index[flag.getpixel((x, y))])
            else:
                row.append((text.getpixel((x, y)) * TEXT_LEVELS + 127) // 255)
        rows.append(bytes(row))
    return size, palette, rows


def banner(s):
    w, h = 432 * s, 76 * s
    image = Image.new("RGB", (w, h))
    draw = ImageDraw.Draw(image)
    for y in range(h):
        shade = int(20 + 40 * y / h)
        draw.line([0, y, w, y], fill=(shade // 2, shade + 40, shade // 2))
    for i, x in enumerate(range(330, 430, 24)):
        colour = [(200, 30, 30), (30, 30, 30), (30, 80, 200), (230, 180, 20)][i % 4]
        draw.ellipse([x * s, 22 * s, (x + 20) * s, 52 * s], fill=colour, outline=(255, 255, 255), width=2 * s)
    title = ImageFont.truetype(FONT, 26 * s)
    sub = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 13 * s)
    draw.text((16 * s, 10 * s), "Casino Installer", font=title, fill=(255, 215, 0))
    draw.text((18 * s, 48 * s), "Choose your language to begin", font=sub, fill=(235, 235, 235))
    return image


def icon():
    image = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.ellipse([1, 1, 30, 30], fill=(200, 30, 30), outline=(255, 255, 255), width=3)
    draw.ellipse([9, 9, 22, 22], fill=(255, 215, 0))
    return image


def save_bitmap(image, path):
    # 256 colours, run-length encoded with only the colours used: a tenth of
    # the size of true colour in the program, no visible loss.
    indexed = image.convert("P", palette=Image.ADAPTIVE, colors=256)
    flat = indexed.getpalette()
    palette = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
    width, height = indexed.size
    pixels = indexed.tobytes()
    rows = [pixels[y * width:(y + 1) * width] for y in range(height)]
    write_rle8(path, width, height, palette, rows)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    save_bitmap(banner(1), os.path.join(out, "banner.bmp"))
    save_bitmap(banner(2), os.path.join(out, "banner_2x.bmp"))
    for code, label in LANGUAGES:
        for s, suffix in ((1, ""), (2, "_2x")):
            (width, height), palette, rows = face(code, label, s)
            write_rle8(os.path.join(out, f"flag_{code.lower()}{suffix}.bmp"), width, height, palette, rows,
                       keep_palette=True)
    icon().save(os.path.join(out, "installer.ico"), sizes=[(32, 32)])


if __name__ == "__main__":
    main()
