#!/usr/bin/env python3
"""Makes the archive fixtures of the Win32 tier with Debian's 7zz.

  make_archives.py OUT_DIR PE_FILE

OUT_DIR/tree is the content; OUT_DIR/<method>.7z holds it packed with one
method each; corrupt.7z and truncated.7z are damaged copies; escape.7z and
absolute.7z carry an entry that points outside the destination; device.7z,
devfolder.7z and dotted.7z an entry that names a device or ends in a dot,
staged.7z one named like a staged file (x.part), uninstaller.7z one in the
uninstaller's record's place (UNINSTALL.INI); fullwidth.7z, setminus.7z
and smallsolidus.7z an entry that the ANSI functions would read back with
a "\\" (best fit), outside.7z one that code page 1252 cannot spell; bigblock.7z a solid block of
513 MiB, crowded.7z 100,001 empty files, swarm.7z a header of a few
kilobytes, packed, that declares ten million nameless files, bigmodel.7z a
text of 104 bytes packed with a PPMd model of 1.5 GiB, filler.7z
24 MiB, more than the small disk of the tests (20 MiB) has free, and
confetti.7z 1,100 files of one byte, whose 1,100 bytes fit that disk but
whose 1,100 clusters of 4 KiB, with the margin of 16 MiB, do not.
"""
import lzma
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

METHODS = {
    "lzma": ["-m0=LZMA"],
    "lzma2": ["-m0=LZMA2"],
    "ppmd": ["-m0=PPMd"],
    "bcj": ["-mf=BCJ", "-m0=LZMA"],
    "bcj2": ["-mf=BCJ2", "-m0=LZMA"],
    "delta": ["-mf=Delta:4", "-m0=LZMA"],
    "copy": ["-m0=Copy"],
}
README_TIME = 981173106  # 2001-02-03 04:05:06 UTC


def make_tree(tree, pe_file):
    rng = random.Random(7)
    os.makedirs(os.path.join(tree, "data"))
    os.makedirs(os.path.join(tree, "empty_folder"))
    with open(os.path.join(tree, "readme.txt"), "w") as f:
        f.write("Casino client files\n" * 200)
    os.utime(os.path.join(tree, "readme.txt"), (README_TIME, README_TIME))
    with open(os.path.join(tree, "data", "blob.bin"), "wb") as f:
        f.write(bytes(rng.getrandbits(8) for _ in range(300_000)))
    open(os.path.join(tree, "data", "empty.txt"), "wb").close()
    with open(os.path.join(tree, "Ünïcødé ñame.txt"), "w", encoding="utf-8") as f:
        f.write("non-ASCII name\n")
    shutil.copy(pe_file, os.path.join(tree, "program.exe"))


def pack(archive, source_dir, names, options):
    subprocess.run(["7zz", "a", "-bd", "-bso0", "-bsp0", "-mtm=on", *options, archive, *names],
                   cwd=source_dir, check=True)


def patch_header(archive, old, new):
    """Replaces bytes in an archive's uncompressed header, keeping the header
    CRCs valid, so that what 7zz would never store can be tested."""
    data = bytearray(open(archive, "rb").read())
    offset, size = struct.unpack_from("<QQ", data, 12)
    start = 32 + offset
    header = data[start:start + size]
    assert len(old) == len(new) and header.count(old) == 1
    header = header.replace(old, new)
    data[start:start + size] = header
    struct.pack_into("<I", data, 28, zlib.crc32(header))
    struct.pack_into("<I", data, 8, zlib.crc32(bytes(data[12:32])))
    open(archive, "wb").write(data)


def patch_name(archive, old, new):
    """Renames an entry, as 7zz would never name it."""
    patch_header(archive, old.encode("utf-16-le"), new.encode("utf-16-le"))


def number_7z(value):
    """A number as the 7z header stores it: a first byte whose leading one
    bits count the little-endian bytes that follow."""
    for extra in range(8):
        if value < 1 << (7 * (extra + 1)):
            high = value >> (8 * extra)
            first = (0xFF00 >> extra) & 0xFF | high
            return bytes([first]) + value.to_bytes(8, "little")[:extra]
    return b"\xFF" + value.to_bytes(8, "little")


def empty_files_header(names, count):
    """The header of an archive of `count` empty files with `names`."""
    bits = b"\xFF" * (count // 8) + (bytes([(0xFF00 >> (count % 8)) & 0xFF]) if count % 8 else b"")
    files = number_7z(count)
    for kind, data in ((0x0E, bits), (0x0F, bits), (0x11, b"\0" + names)):
        files += bytes([kind]) + number_7z(len(data)) + data
    return b"\x01\x05" + files + b"\x00\x00"


def write_archive(path, packed, header):
    """The signature header, the packed streams and the (next) header."""
    start = struct.pack("<QQI", len(packed), len(header), zlib.crc32(header))
    with open(path, "wb") as f:
        f.write(b"7z\xBC\xAF\x27\x1C\x00\x04" + struct.pack("<I", zlib.crc32(start)) + start + packed + header)


def write_empty_files_archive(path, count):
    """An archive of `count` empty files, written directly: 7zz would need
    them all on disk first."""
    names = b"".join(f"e{i}".encode("utf-16-le") + b"\0\0" for i in range(count))
    write_archive(path, b"", empty_files_header(names, count))


def write_packed_header_archive(path, count):
    """An archive whose header, packed with LZMA into a few kilobytes,
    declares `count` nameless empty files."""
    header = empty_files_header(b"\0\0" * count, count)
    dictionary = 1 << 24
    filters = [{"id": lzma.FILTER_LZMA1, "dict_size": dictionary, "lc": 3, "lp": 0, "pb": 2}]
    packed = lzma.compress(header, format=lzma.FORMAT_RAW, filters=filters)
    properties = bytes([(2 * 5 + 0) * 9 + 3]) + struct.pack("<I", dictionary)
    folder = number_7z(1) + b"\x23\x03\x01\x01" + number_7z(5) + properties
    encoded = (b"\x17\x06" + number_7z(0) + number_7z(1) + b"\x09" + number_7z(len(packed)) + b"\x00"
               + b"\x07\x0B" + number_7z(1) + b"\x00" + folder + b"\x0C" + number_7z(len(header))
               + b"\x00\x00")
    write_archive(path, packed, encoded)


def main():
    out, pe_file = sys.argv[1], sys.argv[2]
    shutil.rmtree(out, ignore_errors=True)
    tree = os.path.join(out, "tree")
    make_tree(tree, pe_file)
    names = sorted(os.listdir(tree))
    for method, options in METHODS.items():
        pack(os.path.abspath(os.path.join(out, method + ".7z")), tree, names, options)

    packed = open(os.path.join(out, "lzma.7z"), "rb").read()
    corrupt = bytearray(packed)
    for i in range(200, 2000, 7):
        corrupt[i] ^= 0x5A
    open(os.path.join(out, "corrupt.7z"), "wb").write(corrupt)
    open(os.path.join(out, "truncated.7z"), "wb").write(packed[: len(packed) // 2])

    unsafe = os.path.join(out, "unsafe")
    os.makedirs(os.path.join(unsafe, "AA"))
    os.makedirs(os.path.join(unsafe, "DIRX"))
    for name in ("AA/evil.txt", "Xevil.txt", "CXevil.txt", "XXXX.txt", "DIRX/in.txt", "dotted.txt", "x.parx",
                 "uninstall.inx"):
        with open(os.path.join(unsafe, name), "w") as f:
            f.write("outside\n")
    for archive, entry, old, new in (("escape.7z", "AA/evil.txt", "AA/evil", "../evil"),
                                     ("absolute.7z", "Xevil.txt", "Xevil", "/evil"),
                                     ("drive.7z", "CXevil.txt", "CXevil", "C:evil"),
                                     ("device.7z", "XXXX.txt", "XXXX", "COM1"),
                                     ("devfolder.7z", "DIRX/in.txt", "DIRX", "LPT1"),
                                     ("dotted.7z", "dotted.txt", "dotted.txt", "dotted.tx."),
                                     ("staged.7z", "x.parx", "x.parx", "x.part"),
                                     ("uninstaller.7z", "uninstall.inx", "uninstall.inx", "UNINSTALL.INI")):
        path = os.path.abspath(os.path.join(out, archive))
        pack(path, unsafe, [entry], ["-m0=Copy", "-mhc=off"])
        patch_name(path, old, new)

    # Names the ANSI functions would read back otherwise than they are: a
    # full-width reverse solidus, a set minus and a small reverse solidus,
    # each a "\\" once best-fitted, and a name outside the code page.
    for archive, entry in (("fullwidth.7z", "..\uff3c..\uff3cvictim/x.txt"),
                           ("setminus.7z", "..\u2216victim.txt"),
                           ("smallsolidus.7z", "..\ufe68victim.txt"),
                           ("outside.7z", "日本語/ファイル.txt")):
        names = os.path.join(out, "names-" + archive)
        os.makedirs(os.path.dirname(os.path.join(names, entry)), exist_ok=True)
        with open(os.path.join(names, entry), "w") as f:
            f.write("look-alike\n")
        pack(os.path.abspath(os.path.join(out, archive)), names, [entry.split("/")[0]], ["-m0=Copy"])
        shutil.rmtree(names)

    large = os.path.join(out, "large")
    os.makedirs(large)
    for name, size in (("zeros.bin", 513 << 20), ("filler.bin", 24 << 20)):
        with open(os.path.join(large, name), "wb") as f:
            f.truncate(size)
    pack(os.path.abspath(os.path.join(out, "bigblock.7z")), large, ["zeros.bin"], ["-m0=LZMA2", "-mx1"])
    pack(os.path.abspath(os.path.join(out, "filler.7z")), large, ["filler.bin"], ["-m0=LZMA2", "-mx1"])
    shutil.rmtree(large)
    confetti = os.path.join(out, "confetti")
    os.makedirs(confetti)
    for i in range(1100):
        with open(os.path.join(confetti, "c%04d.bin" % i), "wb") as f:
            f.write(b"x")
    pack(os.path.abspath(os.path.join(out, "confetti.7z")), confetti, ["."], ["-m0=LZMA2", "-mx1"])
    shutil.rmtree(confetti)
    # A PPMd model of 1.5 GiB for 104 bytes: 7zz sizes the model to the text,
    # so the properties after the method id and their size (order, then the
    # model's bytes) are patched.
    ppmd = os.path.join(out, "model")
    os.makedirs(ppmd)
    with open(os.path.join(ppmd, "small.txt"), "wb") as f:
        f.write(b"a small text\n" * 8)
    bigmodel = os.path.abspath(os.path.join(out, "bigmodel.7z"))
    pack(bigmodel, ppmd, ["small.txt"], ["-m0=PPMd:o6", "-mhc=off"])
    method = bytes([0x03, 0x04, 0x01, 0x05])
    header = open(bigmodel, "rb").read()
    props = header[header.index(method) + len(method):][:5]
    patch_header(bigmodel, method + props, method + props[:1] + struct.pack("<I", 1536 << 20))
    shutil.rmtree(ppmd)
    write_empty_files_archive(os.path.join(out, "crowded.7z"), 100_001)
    write_packed_header_archive(os.path.join(out, "swarm.7z"), 10_000_000)


if __name__ == "__main__":
    main()
