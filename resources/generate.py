#!/usr/bin/env python3
"""Builds the embedded resources from their readable sources in this folder.

  generate.py catalogue TSV OUT      field catalogue: 44-byte little-endian records
  generate.py gbk IN OUT             UTF-8 text with LF -> GBK with CR LF
  generate.py ooxml DIR OUT          an OOXML package from a folder of parts
  generate.py icon GRID ICO PNG      a 32x32 16-colour icon and the same picture as PNG
"""
import struct
import sys
import zipfile
import zlib
from pathlib import Path


def short_string(text):
    raw = text.encode("ascii")
    if len(raw) > 10:
        raise SystemExit(f"name longer than 10 characters: {text}")
    return bytes([len(raw)]) + raw.ljust(10, b"\0")


def catalogue(tsv, out):
    records = []
    for line in Path(tsv).read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#") or line.startswith("TableNo"):
            continue
        cols = line.split("\t")
        table, cell, fit = int(cols[0]), int(cols[1]), int(cols[2])
        name, alt, key = cols[3], cols[4] or cols[3], cols[5]
        source, check = int(cols[6]), int(cols[7])
        rec = struct.pack("<hhh", table, cell, fit) + short_string(name) + short_string(alt) \
            + short_string(key) + b"\0" + struct.pack("<hh", source, check)
        assert len(rec) == 44
        records.append(rec)
    Path(out).write_bytes(b"".join(records))


def gbk(src, out):
    text = Path(src).read_text(encoding="utf-8").replace("\r\n", "\n")
    Path(out).write_bytes(text.replace("\n", "\r\n").encode("gbk"))


# The main document part is stored, not deflated: the program opens and saves it often, and
# inflating it was the larger part of opening a document.
STORED_PARTS = {"word/document.xml"}


def ooxml(folder, out):
    root = Path(folder)
    parts = sorted(p for p in root.rglob("*") if p.is_file())
    # [Content_Types].xml first, as word processors expect.
    parts.sort(key=lambda p: p.name != "[Content_Types].xml")
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for p in parts:
            info = zipfile.ZipInfo(p.relative_to(root).as_posix(), date_time=(1980, 1, 1, 0, 0, 0))
            name = p.relative_to(root).as_posix()
            info.compress_type = zipfile.ZIP_STORED if name in STORED_PARTS else zipfile.ZIP_DEFLATED
            z.writestr(info, p.read_bytes())


def read_grid(path):
    palette, rows = [], []
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if line.startswith("#") or not line.strip():
            continue
        if line.startswith("colour "):
            _, idx, rgb = line.split()
            palette.append((int(idx, 16), tuple(int(rgb[i:i + 2], 16) for i in (0, 2, 4))))
        else:
            rows.append(line)
    colours = [(0, 0, 0)] * 16
    for idx, rgb in palette:
        colours[idx] = rgb
    if len(rows) != 32 or any(len(r) != 32 for r in rows):
        raise SystemExit("an icon grid has 32 rows of 32 characters")
    return colours, rows


def png_bytes(width, height, rgba_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + row for row in rgba_rows)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) \
        + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def icon(grid, ico_out, png_out):
    colours, rows = read_grid(grid)
    # '.' is transparent; a hex digit is a palette index.
    index = [[0 if ch == "." else int(ch, 16) for ch in row] for row in rows]
    xor = b""
    mask = b""
    for y in range(31, -1, -1):  # bottom-up rows
        xor += bytes((index[y][x] << 4) | index[y][x + 1] for x in range(0, 32, 2))
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if rows[y][x] == "." else 0)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    Path(ico_out).write_bytes(directory + image)
    rgba = []
    for y in range(32):
        row = b""
        for x in range(32):
            if rows[y][x] == ".":
                row += b"\0\0\0\0"
            else:
                row += bytes(colours[index[y][x]]) + b"\xff"
        rgba.append(row)
    Path(png_out).write_bytes(png_bytes(32, 32, rgba))


def icons(grid, folder):
    """The program's icon for the desktop's icon theme: one PNG a size, pixels sampled from the grid."""
    colours, rows = read_grid(grid)
    Path(folder).mkdir(parents=True, exist_ok=True)
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        rgba = []
        for y in range(size):
            row = b""
            for x in range(size):
                ch = rows[y * 32 // size][x * 32 // size]
                row += b"\0\0\0\0" if ch == "." else bytes(colours[int(ch, 16)]) + b"\xff"
            rgba.append(row)
        Path(folder, f"{size}.png").write_bytes(png_bytes(size, size, rgba))


if __name__ == "__main__":
    commands = {"catalogue": catalogue, "gbk": gbk, "ooxml": ooxml, "icon": icon, "icons": icons}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        raise SystemExit(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
