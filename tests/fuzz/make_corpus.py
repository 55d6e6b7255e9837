#!/usr/bin/env python3
"""Writes the small seed corpus of the loader fuzz targets (run from this folder)."""
import os
import struct


def info(w, h, bpp, comp=0, size=0, used=0):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, comp, size, 0, 0, used, 0)


def table(n):
    return b''.join(bytes([i, 255 - i, i * 3 % 256, 0]) for i in range(n))


def payload(cls, data):
    return bytes([len(cls)]) + cls.encode() + data


DIBS = {
    'dib24': info(3, 2, 24) + bytes(range(24)),
    'dib24_topdown': info(3, -2, 24) + bytes(range(24)),
    'dib8_rle': info(4, 2, 8, 1, 8) + table(256) + bytes([3, 0x41, 0, 0, 1, 0x42, 0, 1]),
    'dib8_used16': info(2, 2, 8, 0, 0, 16) + table(16) + bytes([1, 2, 0, 0, 3, 4, 0, 0]),
    'dib4_rle': info(8, 2, 4, 2, 12) + table(16) + bytes([4, 0x12, 0, 3, 0xAB, 0xC0, 0, 2, 1, 1, 0, 1]),
    'dib16_565': info(2, 1, 16, 3) + struct.pack('<III', 0xF800, 0x07E0, 0x1F) + struct.pack('<HH', 0xF800, 0x07E0),
    'dib16_555': info(2, 1, 16) + struct.pack('<HH', 0x7C00, 0x001F),
    'dib32': info(1, 1, 32) + bytes([1, 2, 3, 4]),
    'dib1_core': struct.pack('<IHHHH', 12, 9, 1, 1, 1) + bytes([0, 0, 0, 255, 255, 255]) + bytes([0x80, 0x80, 0, 0]),
}


def short(s):
    return bytes([len(s)]) + s.encode()


def list_file(items):
    body = b'TPF0' + short('TPictureCollectionComponent') + short('')
    body += short('List.ColorTable') + b'\x0a' + struct.pack('<I', 1024) + bytes(1024)
    body += short('List') + b'\x0e'
    for name, data, extra in items:
        body += b'\x01' + short('Name') + b'\x06' + short(name)
        body += short('PatternHeight') + b'\x02' + bytes([extra.get('ph', 0)])
        body += short('PatternWidth') + b'\x02' + bytes([extra.get('pw', 0)])
        body += short('Picture.Data') + b'\x0a' + struct.pack('<I', len(data)) + data
        body += short('SkipWidth') + b'\x02\x01'
        body += short('SystemMemory') + b'\x08' + short('Transparent') + b'\x09'
        body += short('TransparentColor') + b'\x07' + short('clFuchsia') + b'\x00'
    body += b'\x00\x00\x00'
    name = b'TPICTURECOLLECTIONCOMPONENT'
    return b'\xff\x0a\x00' + name + b'\x00' + struct.pack('<HI', 0x1030, len(body)) + body


os.makedirs('corpus/picture_payload', exist_ok=True)
os.makedirs('corpus/picture_list', exist_ok=True)
for key, dib in DIBS.items():
    open(f'corpus/picture_payload/{key}', 'wb').write(payload('TDIB', dib))
bmp = b'BM' + struct.pack('<IHHI', 14 + len(DIBS['dib24']), 0, 0, 54) + DIBS['dib24']
open('corpus/picture_payload/tbitmap', 'wb').write(payload('TBitmap', struct.pack('<I', len(bmp)) + bmp))
open('corpus/picture_payload/empty_dib', 'wb').write(payload('TDIB', b''))

keys = list(DIBS)
open('corpus/picture_list/mixed', 'wb').write(
    list_file([(k, payload('TDIB', DIBS[k]), {'pw': 1, 'ph': 1}) for k in keys[:5]]))
open('corpus/picture_list/mixed2', 'wb').write(
    list_file([(k, payload('TDIB', DIBS[k]), {}) for k in keys[5:]] + [('Icon', payload('TIcon', b'xx'), {})]))
open('corpus/picture_list/empty', 'wb').write(list_file([]))
