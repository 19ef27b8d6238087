#!/usr/bin/python3
"""Draws the installer window's pictures: the banner (103), the 42 language
button bitmaps (normal / pressed / hover for 14 languages) and icon 128.

Run with Debian's python3 (python3-pil, fonts-dejavu-core); the results are
committed next to this script, so a build never needs it.
"""
import os
from PIL import Image, ImageDraw, ImageFont

from rle_bitmap import write_rle8

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
BUTTON = (138, 21)
FLAG = (28, 17)

# code, label, and the bitmap ids of the normal, pressed and hover looks (the
# resource script lists them).
LANGUAGES = [
    ("EN", "English", (207, 206, 208)),
    ("DE", "Deutsch", (210, 209, 211)),
    ("IT", "Italiano", (213, 212, 214)),
    ("SP", "Español", (216, 215, 217)),
    ("FR", "Français", (219, 218, 220)),
    ("CH", "Chinese", (222, 221, 223)),
    ("NL", "Nederlands", (225, 224, 226)),
    ("HE", "Hebrew", (228, 227, 229)),
    ("EL", "Ελληνικά", (231, 230, 232)),
    ("TR", "Türkçe", (234, 233, 235)),
    ("SV", "Svenska", (237, 236, 238)),
    ("JP", "Japanese", (243, 242, 244)),
    ("DK", "Dansk", (240, 239, 241)),
    ("RU", "Русский", (110, 1018, 109)),
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


def nordic_cross(draw, box, field, cross, inner=None):
    x0, y0, x1, y1 = box
    draw.rectangle(box, fill=field)
    cx, cy = x0 + (x1 - x0) * 3 // 8, (y0 + y1) // 2
    draw.rectangle([cx - 2, y0, cx + 2, y1], fill=cross)
    draw.rectangle([x0, cy - 2, x1, cy + 2], fill=cross)
    if inner:
        draw.rectangle([cx - 1, y0, cx + 1, y1], fill=inner)
        draw.rectangle([x0, cy - 1, x1, cy + 1], fill=inner)


def draw_flag(draw, code, box):
    x0, y0, x1, y1 = box
    red, white, blue = (200, 16, 46), (255, 255, 255), (0, 56, 168)
    if code == "EN":
        draw.rectangle(box, fill=(1, 33, 105))
        draw.line([x0, y0, x1, y1], fill=white, width=4)
        draw.line([x0, y1, x1, y0], fill=white, width=4)
        draw.line([x0, y0, x1, y1], fill=red, width=1)
        draw.line([x0, y1, x1, y0], fill=red, width=1)
        cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
        draw.rectangle([cx - 3, y0, cx + 3, y1], fill=white)
        draw.rectangle([x0, cy - 3, x1, cy + 3], fill=white)
        draw.rectangle([cx - 1, y0, cx + 1, y1], fill=red)
        draw.rectangle([x0, cy - 1, x1, cy + 1], fill=red)
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
        star(draw, x0 + 7, y0 + 6, 4, (255, 222, 0))
        for dx, dy in ((13, 2), (15, 5), (15, 9), (13, 12)):
            star(draw, x0 + dx, y0 + dy, 1.5, (255, 222, 0))
    elif code == "NL":
        stripes(draw, box, [(174, 28, 40), white, (33, 70, 139)], False)
    elif code == "HE":
        draw.rectangle(box, fill=white)
        draw.rectangle([x0, y0 + 2, x1, y0 + 4], fill=(0, 56, 184))
        draw.rectangle([x0, y1 - 4, x1, y1 - 2], fill=(0, 56, 184))
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        draw.polygon([(cx, cy - 4), (cx + 3.5, cy + 2), (cx - 3.5, cy + 2)], outline=(0, 56, 184))
        draw.polygon([(cx, cy + 4), (cx + 3.5, cy - 2), (cx - 3.5, cy - 2)], outline=(0, 56, 184))
    elif code == "EL":
        stripes(draw, box, [(13, 94, 175), white] * 4 + [(13, 94, 175)], False)
        draw.rectangle([x0, y0, x0 + 10, y0 + 9], fill=(13, 94, 175))
        draw.rectangle([x0 + 4, y0, x0 + 6, y0 + 9], fill=white)
        draw.rectangle([x0, y0 + 4, x0 + 10, y0 + 5], fill=white)
    elif code == "TR":
        draw.rectangle(box, fill=(227, 10, 23))
        cx, cy = x0 + 10, (y0 + y1) // 2
        draw.ellipse([cx - 5, cy - 5, cx + 5, cy + 5], fill=white)
        draw.ellipse([cx - 3, cy - 4, cx + 5, cy + 4], fill=(227, 10, 23))
        star(draw, cx + 7, cy, 2.5, white)
    elif code == "SV":
        nordic_cross(draw, box, (0, 106, 167), (254, 204, 0))
    elif code == "JP":
        draw.rectangle(box, fill=white)
        cx, cy = (x0 + x1) // 2, (y0 + y1) // 2
        draw.ellipse([cx - 5, cy - 5, cx + 5, cy + 5], fill=(188, 0, 45))
    elif code == "DK":
        nordic_cross(draw, box, (198, 12, 48), white)
    elif code == "RU":
        stripes(draw, box, [white, (0, 57, 166), (213, 43, 30)], False)
    draw.rectangle(box, outline=(60, 60, 60))


def star(draw, cx, cy, r, colour):
    import math
    points = []
    for i in range(10):
        radius = r if i % 2 == 0 else r * 0.4
        angle = -math.pi / 2 + i * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    draw.polygon(points, fill=colour)


def button(code, label, look):
    """look: normal, pressed (darker, sunken, shifted) or hover (lit, gold rim)."""
    background = {"normal": (236, 233, 216), "pressed": (170, 160, 130), "hover": (255, 244, 190)}[look]
    image = Image.new("RGB", BUTTON, background)
    draw = ImageDraw.Draw(image)
    w, h = BUTTON
    light, dark = (255, 255, 255), (110, 100, 80)
    if look == "pressed":
        light, dark = dark, light
    draw.line([0, 0, w - 1, 0], fill=light)
    draw.line([0, 0, 0, h - 1], fill=light)
    draw.line([0, h - 1, w - 1, h - 1], fill=dark)
    draw.line([w - 1, 0, w - 1, h - 1], fill=dark)
    if look == "hover":
        draw.rectangle([1, 1, w - 2, h - 2], outline=(212, 160, 23))
    shift = 1 if look == "pressed" else 0
    draw_flag(draw, code, (4 + shift, 2 + shift, 4 + FLAG[0] + shift, 2 + FLAG[1] + shift))
    font = ImageFont.truetype(FONT, 12)
    colour = (255, 255, 255) if look == "pressed" else (30, 30, 30)
    draw.text((40 + shift, 3 + shift), label, font=font, fill=colour)
    return image


def banner():
    w, h = 432, 76
    image = Image.new("RGB", (w, h))
    draw = ImageDraw.Draw(image)
    for y in range(h):
        shade = int(20 + 40 * y / h)
        draw.line([0, y, w, y], fill=(shade // 2, shade + 40, shade // 2))
    for i, x in enumerate(range(330, 430, 24)):
        colour = [(200, 30, 30), (30, 30, 30), (30, 80, 200), (230, 180, 20)][i % 4]
        draw.ellipse([x, 22, x + 20, 42 + 10], fill=colour, outline=(255, 255, 255), width=2)
    title = ImageFont.truetype(FONT, 26)
    sub = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 13)
    draw.text((16, 10), "Casino Installer", font=title, fill=(255, 215, 0))
    draw.text((18, 48), "Choose your language to begin", font=sub, fill=(235, 235, 235))
    return image


def icon():
    image = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw.ellipse([1, 1, 30, 30], fill=(200, 30, 30), outline=(255, 255, 255), width=3)
    draw.ellipse([9, 9, 22, 22], fill=(255, 215, 0))
    return image


def save_bitmap(image, name):
    # 256 colours, run-length encoded with only the colours used: a tenth of
    # the size of true colour in the program, no visible loss.
    indexed = image.convert("P", palette=Image.ADAPTIVE, colors=256)
    flat = indexed.getpalette()
    palette = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
    width, height = indexed.size
    pixels = indexed.tobytes()
    rows = [pixels[y * width:(y + 1) * width] for y in range(height)]
    write_rle8(os.path.join(HERE, name), width, height, palette, rows)


def main():
    save_bitmap(banner(), "banner.bmp")
    for code, label, _ in LANGUAGES:
        for look in ("normal", "pressed", "hover"):
            save_bitmap(button(code, label, look), f"flag_{code.lower()}_{look}.bmp")
    icon().save(os.path.join(HERE, "installer.ico"), sizes=[(32, 32)])


if __name__ == "__main__":
    main()
