#!/usr/bin/env python3
"""Makes the game folders of the hostile start-up cases in the folder given:
one folder per case, each with a tileset.dat and the pictures it names.
Used by measure_hostile.sh."""
import os
import struct
import sys
import zlib

ROOT = sys.argv[1]


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def png_header(width, height, interlaced=False):
    header = struct.pack('>IIBBBBB', width, height, 8, 0, 0, 0, 1 if interlaced else 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)


def grey_png(width, height, interlaced=False):
    """An all-black 8-bit grey PNG, compressed as far as zlib goes."""
    def rows(w, h):
        return (b'\0' + bytes(w)) * h if w and h else b''
    if interlaced:  # Adam7: seven reduced pictures, one after the other
        passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
        data = b''.join(rows(len(range(x, width, dx)), len(range(y, height, dy))) for x, y, dx, dy in passes)
    else:
        data = rows(width, height)
    return png_header(width, height, interlaced) + chunk(b'IDAT', zlib.compress(data, 9)) + chunk(b'IEND', b'')


def bmp(width, height, color=(90, 140, 40)):
    row = bytes(color) * width + bytes((-3 * width) % 4)
    pixels = row * height
    return (b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54)
            + struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels)


def bmp_header(width, height):
    return bmp(1, 1)[:18] + struct.pack('<ii', width, height) + bmp(1, 1)[26:]


def text_bomb_png(chunks, inflated_bytes):
    """A 1 x 1 grey PNG with `chunks` zTXt chunks, each inflating to `inflated_bytes`."""
    text = chunk(b'zTXt', b'Comment\0\0' + zlib.compress(bytes(inflated_bytes), 9))
    return png_header(1, 1) + text * chunks + chunk(b'IDAT', zlib.compress(b'\0\0')) + chunk(b'IEND', b'')


def scan_bomb_jpeg(side, scans):
    """A side x side grey progressive JPEG whose one DC scan header comes
    `scans` times, with no coded data: libjpeg decodes every scan over the
    whole picture, reading zeros."""
    def segment(marker, data):
        return b'\xff' + bytes([marker]) + struct.pack('>H', len(data) + 2) + data
    tables = segment(0xDB, b'\0' + bytes([1] * 64)) + segment(0xC4, b'\0' + bytes([1] + [0] * 15) + b'\0')
    frame = segment(0xC2, struct.pack('>BHHB', 8, side, side, 1) + b'\x01\x11\x00')
    scan = segment(0xDA, b'\x01\x01\x00\x00\x00\x00')
    return b'\xff\xd8' + tables + frame + scan * scans + b'\xff\xd9'


def spellings(name, count):
    """`count` ways Windows would read as `name`: letter case, "." folders, doubled separators."""
    letters = [i for i, c in enumerate(name) if c.isalpha()]
    result = []
    for i in range(count):
        cased = ''.join(c.upper() if j in letters and (i >> letters.index(j)) % 2 else c for j, c in enumerate(name))
        extra = i >> len(letters)
        result.append('.\\' * (extra % 16) + '\\' * (1 + extra // 16) + cased)
    return result


def game(name, records, files):
    folder = os.path.join(ROOT, name)
    os.makedirs(folder)
    with open(os.path.join(folder, 'tileset.dat'), 'wb') as out:
        if isinstance(records, int):  # a size in bytes of short records
            line = b'1=a.bmp\r\n'
            out.write(line * (records // len(line)))
        else:
            out.write(b''.join(b'%d=%s\r\n' % (i, r.encode()) for i, r in records))
    for file_name, data in files.items():
        with open(os.path.join(folder, file_name), 'wb') as out:
            out.write(data)


png33 = grey_png(5792, 5792)
interlaced = grey_png(4096, 4096, True)
game('baseline', [(i, 's%03d.bmp' % i) for i in range(256)],
     {'s%03d.bmp' % i: bmp(40, 40, (i, 255 - i, 40)) for i in range(256)})
game('png33-named-256-times', [(i, 'big.png') for i in range(256)], {'big.png': png33})
game('png33-256-files', [(i, 'big%03d.png' % i) for i in range(256)], {'big%03d.png' % i: png33 for i in range(256)})
game('interlaced-png16-256-files', [(i, 'i%03d.png' % i) for i in range(256)],
     {'i%03d.png' % i: interlaced for i in range(256)})
game('bmp16-named-256-times', [(i, 'big.bmp') for i in range(256)], {'big.bmp': bmp(4096, 4096)})
game('declared-100000x100000', [(i, 'h%03d.%s' % (i, 'png' if i % 2 else 'bmp')) for i in range(256)],
     {**{'h%03d.png' % i: png_header(100000, 100000) for i in range(1, 256, 2)},
      **{'h%03d.bmp' % i: bmp_header(100000, 100000) for i in range(0, 256, 2)}})
game('records-4096', [(i % 256, 'a.bmp') for i in range(4096)], {'a.bmp': bmp(40, 40)})
game('records-1000000', 8 * 1000 * 1000, {'a.bmp': bmp(40, 40)})
game('tileset-200MB', 200 * 1000 * 1000, {'a.bmp': bmp(40, 40)})
game('text-bomb-4096-spellings', [(i % 256, n) for i, n in enumerate(spellings('t.png', 4096))],
     {'t.png': text_bomb_png(1000, 4 * 1024 * 1024)})
game('jpeg-scan-bomb', [(i, 'scans.jpg') for i in range(256)], {'scans.jpg': scan_bomb_jpeg(2048, 25000)})
game('bmp-1000-spellings-20000-files', [(i % 256, n) for i, n in enumerate(spellings('a.bmp', 1000))],
     {**{'f%05d.dat' % i: b'' for i in range(20000)}, 'a.bmp': bmp(40, 40)})
