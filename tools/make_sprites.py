#!/usr/bin/env python3
"""Writes the piece sprites to data/assets/ as RGBA PNGs (stdlib only).

Sprites are light-toned on purpose: the UnitColor shader multiplies them by
the owner's colour, so white becomes pure blue/red and dark outlines stay dark.
Each grid is 25x25 and scaled by 4, giving 100x100 px (one board tile).

Usage: python3 tools/make_sprites.py [output_dir]
"""
import os
import struct
import sys
import zlib

GRID = 25
SCALE = 4  # 25 * 4 = 100 px, so the game draws each at scale 1

PALETTE = {
    '.': (0, 0, 0, 0),
    'W': (255, 255, 255, 255),
    'L': (208, 208, 208, 255),
    'G': (150, 150, 150, 255),
    'D': (48, 48, 48, 255),
}

WARRIOR = [
    ".........................",
    ".....................D...",
    "....................DWD..",
    "..........DDDDD.....DWD..",
    ".........DWWWWWD....DWD..",
    "........DWWWWWWWD...DWD..",
    "........DWDDDDDWD...DWD..",
    "........DWWWWWWWD...DWD..",
    ".........DLWWWLD....DWD..",
    "..........DDDDD.....DWD..",
    "..DDDDDD.DDLLLDD....DWD..",
    ".DWWWWWWDWWWWWWWD.DDDDDDD",
    ".DWWGGWWDWWWWWWWWDDGGGGGD",
    ".DWWGGWWDLWWWWWWWWDDDDDDD",
    ".DGGGGGGDLWWWWWDWWWWWWWD.",
    ".DWWGGWWDLWWWWWD.DWWWWWD.",
    ".DWWGGWWDLWWWWWD...DDGDD.",
    "..DWGGWDDLLLLLLD....DLD..",
    "..DWGGWDDGGGGGGD.....D...",
    "...DWWD.DWWDDWWD.........",
    "....DD..DWWDDWWD.........",
    "........DWWDDWWD.........",
    ".......DLLLDDLLLD........",
    ".......DDDDDDDDDD........",
    ".........................",
]

ARCHER = [
    ".........................",
    ".....DD.DDDD..DD.........",
    "......DDLLLLD.DLD........",
    ".....DLLLLLLLDGDLD.......",
    ".....DDDDDDDDDG.DLD......",
    "......DWWWWWD.G..DLD.....",
    "......DWWWDWD.G..DLD.....",
    "..D.D.DWWWWWD.G...DLD....",
    "..DDD..DWWWD..G...DLD....",
    "..DDDD..DWD...G....DLD...",
    "..DLLD.DDWDDD.G....DLDD..",
    "..DLLDWWWWWWDDDDDDDDDDDDD",
    "..DLLDWWWWWWWWWWWWWDWWD..",
    "..DLLDWWWWWWDDDDDDDDWWD..",
    "..DLLDWWWWWWD.G....DLD...",
    "...DDDWWWWWWD.G....DLD...",
    ".....DLLLLLLD.G...DLD....",
    ".....DGGGGGGD.G...DLD....",
    "......DWWDWWD.G..DLD.....",
    "......DWWDWWD.G..DLD.....",
    "......DWWDWWD.G.DLD......",
    "......DWWDWWD..DLD.......",
    ".....DLLLDLLLDDLD........",
    ".....DDDDDDDDDDD.........",
    ".........................",
]

MAGE = [
    "...........D.............",
    "..........DWD.......DDD..",
    "..........DWD......DWWWD.",
    ".........DWWWD.....DWWWD.",
    ".........DWWWD.....DWWWD.",
    "........DWWWWWD....DDLDD.",
    "........DWWWWWD.....DLD..",
    ".......DGGGGGGGD....DLD..",
    ".....DDDDDDDDDDDDD..DLD..",
    "......DDLLLLLLLDD...DLD..",
    ".......DWDWWWDWD....DLD..",
    ".......DWWWWWWWD....DLD..",
    "........DLLLLLD....DDDDD.",
    "......DDWLLLLLWDDDDDWWWD.",
    ".....DWWWWLLLWWWWWWWWWWD.",
    "....DWWWWWWLWWWDDDDDWWWD.",
    "....DWWWWWWLWWWD...DDDDD.",
    "....DWWDWWWWWWWD....DLD..",
    "...DWWWDWWWWWWWWD...DLD..",
    "...DWWWDGGGGGWWWD...DLD..",
    "..DWWWWDWWWWWWWWWD..DLD..",
    "..DWWWWWWWWWWWWWWD..DLD..",
    ".DWWWWWWWWWWWWWWWWD.DLD..",
    ".DDDDDDDDDDDDDDDDDD.DDD..",
    ".........................",
]

CASTLE = [
    ".........................",
    ".DDD.DDD.........DDD.DDD.",
    ".DWD.DWD.........DWD.DWD.",
    ".DWDDDWD.........DWDDDWD.",
    ".DWWWWWD.........DWWWWWD.",
    ".DWWDWWD.........DWWDWWD.",
    ".DWWDWWD.........DWWDWWD.",
    ".DWWWWWD.........DWWWWWD.",
    ".DLLLLLD.........DLLLLLD.",
    ".DWWWWWD.DDD.DDD.DWWWWWD.",
    ".DWWDWWD.DWD.DWD.DWWDWWD.",
    ".DWWDWWDDDWDDDWDDDWWDWWD.",
    ".DWWWWWDWWWWWWWWWDWWWWWD.",
    ".DWWWWWDWWWWWWWWWDWWWWWD.",
    ".DLLLLLDLLLLLLLLLDLLLLLD.",
    ".DWWWWWDWWWDDDWWWDWWWWWD.",
    ".DWWWWWDWWDGGGDWWDWWWWWD.",
    ".DWWDWWDWDGGGGGDWDWWDWWD.",
    ".DWWDWWDWDGGGGGDWDWWDWWD.",
    ".DLLLLLDLDGGGGGDLDLLLLLD.",
    ".DWWWWWDWDGGGGGDWDWWWWWD.",
    ".DWWWWWDWDGGGGGDWDWWWWWD.",
    ".DWWWWWDWDGGGGGDWDWWWWWD.",
    ".DDDDDDDDDDDDDDDDDDDDDDD.",
    ".........................",
]

SPRITES = {
    'warrior': WARRIOR,
    'archer': ARCHER,
    'mage': MAGE,
    'castle': CASTLE,
}


def to_pixels(grid):
    """Grid of chars -> rows of RGBA bytes, scaled up by SCALE."""
    if len(grid) != GRID:
        raise ValueError(f"grid has {len(grid)} rows, want {GRID}")
    rows = []
    for i, line in enumerate(grid):
        if len(line) != GRID:
            raise ValueError(f"row {i} has {len(line)} chars, want {GRID}: {line!r}")
        row = bytearray()
        for ch in line:
            row += bytes(PALETTE[ch]) * SCALE
        rows.extend([bytes(row)] * SCALE)
    return rows


def png_bytes(rows):
    width = len(rows[0]) // 4
    height = len(rows)

    def chunk(tag, data):
        body = tag + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    raw = b''.join(b'\x00' + r for r in rows)  # filter type 0 per scanline
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'data', 'assets')
    os.makedirs(out_dir, exist_ok=True)
    for name, grid in SPRITES.items():
        path = os.path.join(out_dir, name + '.png')
        with open(path, 'wb') as f:
            f.write(png_bytes(to_pixels(grid)))
        print(f"wrote {path} ({GRID * SCALE}x{GRID * SCALE})")


if __name__ == '__main__':
    main()
