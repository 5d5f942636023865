#!/usr/bin/env python3
"""Writes the hand-made legacy fixtures of this folder from the legacy file's byte tables.

Every byte is placed here by hand at its documented offset; the CRC-32 comes from Python's zlib
(the same polynomial; the legacy register is not inverted at the end, so it is zlib's value xor
0xFFFFFFFF). Neither the program's reader nor its simulator is used. Run it from this folder.
"""
import struct
import zlib


def put(buf, at, data):
    buf[at:at + len(data)] = data


def neg(v):  # a counter stored with every byte negated
    return bytes((256 - b) % 256 for b in struct.pack('<I', v))


def sign(parts):
    crc = 0  # zlib's running value; the legacy register is its complement
    checksum = 0
    for p in parts:
        crc = zlib.crc32(p, crc)
        checksum = (checksum + ((crc ^ 0xFFFFFFFF) & 0xFF)) % 256
    return crc ^ 0xFFFFFFFF, checksum


def image2(serial, owner, tsn, logger_type):
    b = bytearray(256)
    put(b, 0, struct.pack('<I', serial))
    put(b, 4, b'\xde\xad\xbe\xef')          # changes on its own; outside the CRC
    put(b, 8, b' ' * 200)                    # user data
    put(b, 8, b'Room 4')
    put(b, 208, owner)
    put(b, 222, b'   ')                      # no programmed expiry
    put(b, 225, b'   ')                      # no manufacture date
    put(b, 228, b' ')                        # no grace period
    put(b, 229, b'  ')                       # recalibration unassigned
    put(b, 231, b'  ')                       # no start delay
    put(b, 234, b'0')
    put(b, 236, tsn)
    b[248] = logger_type
    b[249] = 6                               # sensor -40..125
    b[250] = 2
    return b


def version7():
    a = bytearray(128)
    a[32] = 4                                # product kind
    a[33] = 3                                # stopped
    a[34] = 64                               # 64 pages
    put(a, 35, struct.pack('<H', 256 + 2 * (3 - 1)))  # write pointer after 3 pairs
    a[37] = 1
    put(a, 38, struct.pack('<H', 30))        # one minute
    put(a, 40, neg(2000))                    # clock since activation
    put(a, 44, neg(1000))                    # first sample
    put(a, 48, neg(3))                       # total samples
    put(a, 62, neg(0))
    put(a, 66, struct.pack('<hh', 2000, 25))     # 20.00 °C: +0.25
    put(a, 70, struct.pack('<hh', -32768, 0))
    put(a, 74, struct.pack('<hh', -32768, 0))
    put(a, 78, struct.pack('<hh', 5000, -100))   # 50.00 %RH: -1.00
    put(a, 82, struct.pack('<hh', -32768, 0))
    put(a, 90, struct.pack('<hh', -1000, 4000))  # -10.00 .. 40.00
    a[94] = 8                                # safe range entered
    a[95] = 2                                # start with button
    put(a, 96, neg(1060))                    # last sample, two periods after the first
    put(a, 108, struct.pack('<h', 2000 + 25 + 5000 - 100))
    a[122] = 20                              # 10 %RH
    a[123] = 180                             # 90 %RH
    a[126] = 3                               # temperature and humidity
    b = image2((1 << 28) | 1234, b'QA', b'TSN 00000007', 1)
    names = bytearray(170)
    put(names, 0, bytes([4]) + b'Site')
    texts = bytearray(650)
    put(texts, 0, bytes([5]) + b'Lab 2')
    markers = bytearray(202)
    put(markers, 0, struct.pack('<HHH', 2, 2, 2))
    nt = struct.pack('<H', 3)
    t = struct.pack('<hhh', 2000, 2050, -125)
    nh = struct.pack('<H', 3)
    h = struct.pack('<hhh', 4500, 5000, 5550)
    b_covered = bytearray(b)
    put(b_covered, 4, bytes(4))
    crc, checksum = sign([bytes(a), bytes(b_covered), bytes(markers), nt, t, nh, h])
    header = bytearray(32)
    put(header, 0, b'VELQOR')
    put(header, 6, struct.pack('<H', 7))
    put(header, 8, struct.pack('<I', 1400000000))
    header[12] = 214
    put(header, 13, struct.pack('<H', 612))
    put(header, 15, struct.pack('<I', crc))
    header[31] = checksum
    body = bytes(a) + bytes(b) + bytes(names) + bytes(texts) + bytes(4096) + bytes(markers) + nt + t + nh + h
    return bytes(header) + body, crc, checksum


def version5():
    a = bytearray(128)
    a[32] = 1
    a[33] = 3
    a[34] = 32
    put(a, 35, struct.pack('<H', 255 + 2))
    a[37] = 3
    put(a, 38, struct.pack('<H', 300))       # ten minutes
    put(a, 40, neg(5000))
    put(a, 44, neg(4000))
    put(a, 48, neg(250))
    for slot in range(3):
        put(a, 66 + 4 * slot, struct.pack('<hh', -32768, 0))
    for slot in range(2):
        put(a, 78 + 4 * slot, struct.pack('<hh', -32768, 0))
    put(a, 90, struct.pack('<hh', 0, 800))
    a[94] = 4                                # upper limit exceeded
    put(a, 96, neg(4150))                    # last sample, one period after the first
    a[126] = 1
    b = image2((2 << 28) | 77, b'COLD\x00\x00\x00\x00', b'TSN 00000123', 0)
    text = b'Freezer validation'.ljust(64, b' ')
    markers = bytearray(202)
    put(markers, 0, struct.pack('<HH', 1, 2))
    samples = struct.pack('<hh', 450, 825) + b'\x01'  # an odd last byte
    b_covered = bytearray(b)
    put(b_covered, 4, bytes(4))
    crc, checksum = sign([bytes(a), bytes(b_covered), bytes(markers), samples[:4]])
    header = bytearray(32)
    put(header, 0, b'VELQOR')
    put(header, 6, struct.pack('<H', 5))
    put(header, 8, struct.pack('<I', 600000000))
    header[12] = 150
    put(header, 13, struct.pack('<H', 305))
    put(header, 15, struct.pack('<I', crc))
    header[31] = checksum
    return bytes(header) + bytes(a) + bytes(b) + text + bytes(markers) + samples, crc, checksum


for name, make in (('version7_th_calibrated.kv', version7), ('version5_temperature.kv', version5)):
    data, crc, checksum = make()
    with open(name, 'wb') as f:
        f.write(data)
    print(f'{name}: {len(data)} bytes, CRC 0x{crc:08x}, checksum {checksum}')
