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


def bmp(width, height, colour=(90, 140, 40)):
    row = bytes(colour) * width + bytes((-3 * width) % 4)
    pixels = row * height
    return (b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54)
            + struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels)


def bmp_header(width, height):
    return bmp(1, 1)[:18] + struct.pack('<ii', width, height) + bmp(1, 1)[26:]


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
