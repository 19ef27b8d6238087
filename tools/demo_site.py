#!/usr/bin/env python3
"""Builds the content of an installer site: the manifest and the files it lists.

  demo_site.py OUT_DIR PRODUCT_DIR [--https] [--files N --size BYTES]

OUT_DIR/manifest.ini is what the resource manager answers; OUT_DIR/files/ is
served as the root of SERVER_ADDR. PRODUCT_DIR is out/ (Extract.dll, and
tools/demo_casino.exe as the client). With --files N the manifest lists N
plain files of BYTES bytes instead of the demo set (for benchmarks), and with
--marker a last file of one byte, whose request tells when the N before it
were done, and with --begin-marker a first one, whose request tells when the
file loop began (a re-run that keeps every bulk file requests only these).
With --https the manifest asks for the files over https
(SERVER_SCHEME) and names an https skin page.
"""
import argparse
import os
import random
import shutil
import subprocess

DEMO_MANIFEST = """# Karvelo Casino: demo manifest
[GENERAL]
BRAND_NAME=Karvelo Casino
SKIN_URL=http://skins.karvelo.example/skin/index.html
SERVER_NAME=Karvelo
BRAND_ID=77
LANG_SHORT_STR=en
LOGO_FILENAME=logo.png
PUBLISHER=Karvelo Games
VERSION=1.0

[URLS]
SERVER_ADDR=files.karvelo.example
URL_1#Extraction library=Extract.dll
URL_2#Casino client=client/casino.exe
URL_3#Roulette=games/roulette.dll,Games
URL_4=sounds/welcome.wav,Sounds
URL_5#Table pictures=media/pictures.7z

[REG]
Volume=D:80
Settings/Skin=S:blue
"""


def write_random(path, size, seed):
    rng = random.Random(seed)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        for start in range(0, size, 1 << 20):
            f.write(rng.randbytes(min(1 << 20, size - start)))


def demo_files(files, product):
    os.makedirs(os.path.join(files, "client"), exist_ok=True)
    shutil.copy(os.path.join(product, "Extract.dll"), os.path.join(files, "Extract.dll"))
    shutil.copy(os.path.join(product, "tools", "demo_casino.exe"), os.path.join(files, "client", "casino.exe"))
    write_random(os.path.join(files, "games", "roulette.dll"), 150_000, 1)
    write_random(os.path.join(files, "sounds", "welcome.wav"), 40_000, 2)
    pictures = os.path.join(os.path.dirname(files), "pictures")
    write_random(os.path.join(pictures, "tables", "blackjack.png"), 30_000, 3)
    write_random(os.path.join(pictures, "tables", "roulette.png"), 20_000, 4)
    with open(os.path.join(pictures, "readme.txt"), "w") as f:
        f.write("Table pictures of the demo casino.\n")
    os.makedirs(os.path.join(files, "media"), exist_ok=True)
    subprocess.run(["7zz", "a", "-bd", "-bso0", "-bsp0", os.path.abspath(os.path.join(files, "media", "pictures.7z")),
                    "tables", "readme.txt"], cwd=pictures, check=True)
    os.makedirs(os.path.join(files, "skin"), exist_ok=True)
    with open(os.path.join(files, "skin", "index.html"), "w") as f:
        f.write("<html><body style='background:#145a28;color:gold'><h1>Karvelo Casino</h1></body></html>\n")


def bulk_manifest(files, count, size, marker, begin_marker):
    lines = ["[GENERAL]", "BRAND_NAME=Bulk Casino", "[URLS]", "SERVER_ADDR=files.karvelo.example"]
    # Keys sort by their bytes: "URL_-" comes before "URL_0000".
    if begin_marker:
        write_random(os.path.join(files, "bulk", "begin.bin"), 1, count + 1)
        lines.append("URL_-=bulk/begin.bin")
    for i in range(count):
        write_random(os.path.join(files, "bulk", f"f{i:04d}.bin"), size, i)
        lines.append(f"URL_{i:04d}=bulk/f{i:04d}.bin")
    if marker:
        write_random(os.path.join(files, "bulk", "marker.bin"), 1, count)
        lines.append(f"URL_{count:04d}=bulk/marker.bin")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("product")
    parser.add_argument("--files", type=int, default=0)
    parser.add_argument("--size", type=int, default=4096)
    parser.add_argument("--https", action="store_true")
    parser.add_argument("--marker", action="store_true")
    parser.add_argument("--begin-marker", action="store_true")
    args = parser.parse_args()
    shutil.rmtree(args.out, ignore_errors=True)
    files = os.path.join(args.out, "files")
    os.makedirs(files)
    if args.files:
        manifest = bulk_manifest(files, args.files, args.size, args.marker, args.begin_marker)
    else:
        demo_files(files, args.product)
        manifest = DEMO_MANIFEST
    if args.https:
        manifest = manifest.replace("SERVER_ADDR=", "SERVER_SCHEME=https\nSERVER_ADDR=", 1)
        manifest = manifest.replace("SKIN_URL=http://", "SKIN_URL=https://", 1)
    with open(os.path.join(args.out, "manifest.ini"), "w", newline="\r\n") as f:
        f.write(manifest)


if __name__ == "__main__":
    main()
