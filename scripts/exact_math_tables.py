#!/usr/bin/env python3
"""Prints platform/exact_math_tables.inc, the tables of pow (kLogTable,
kExpTable) that platform/exact_math.cpp includes, and checks the properties the
code relies on. Needs mpmath (python3-mpmath).

    python3 scripts/exact_math_tables.py > platform/exact_math_tables.inc

The test exact_math_tables_agree runs it and compares its output with the file.

For each of the 128 subintervals of z in [0x3fe6955500000000, twice that)
(cut by the 7 bits below the exponent): invc, near 1/midpoint with only 10
significant bits (1 exactly for the subinterval holding 1), and -log(invc) as
a high and a low double. Then 2^(j/128) as a high and a low double.
"""
import random
import struct

import mpmath

mpmath.mp.prec = 300
OFFSET = 0x3FE6955500000000
N = 128


def dbl(bits):
    return struct.unpack("<d", struct.pack("<Q", bits))[0]


def to_bits(x):
    return struct.unpack("<Q", struct.pack("<d", x))[0]


def round_to_bits(v, nbits):
    e = int(mpmath.floor(mpmath.log(v, 2)))
    unit = mpmath.mpf(2) ** (e - nbits + 1)
    return float(mpmath.nint(v / unit) * unit)


def significant_bits(x):
    if x == 0:
        return 0
    m = (to_bits(abs(x)) & ((1 << 52) - 1)) | (1 << 52)
    return 53 - ((m & -m).bit_length() - 1)


def hexd(x):
    return x.hex() if x != 0 else "0x0p+0"


log_rows = []
for i in range(N):
    first, last = OFFSET + i * (1 << 45), OFFSET + (i + 1) * (1 << 45) - 1
    lo, hi = dbl(first), dbl(last)
    invc = 1.0 if lo <= 1.0 <= hi else round_to_bits(2 / (mpmath.mpf(lo) + mpmath.mpf(hi)), 10)
    logc = -mpmath.log(mpmath.mpf(invc))
    logc_hi = float(logc)
    log_rows.append((invc, logc_hi, float(logc - mpmath.mpf(logc_hi))))

    # r = zhi * invc - 1 must be exact and at most 26 bits (so r * r is exact),
    # zlo * invc exact, and |r| < 2^-7.5 (the polynomial's range).
    rng = random.Random(i)
    for bits in [first, last] + [rng.randint(first, last) for _ in range(2000)]:
        z = dbl(bits)
        zhi = dbl(bits & ~((1 << 30) - 1))
        product = mpmath.mpf(zhi) * invc
        assert float(product) == product
        rhi = float(product) - 1.0
        assert mpmath.mpf(rhi) == product - 1 and significant_bits(rhi) <= 26
        assert mpmath.mpf((z - zhi) * invc) == mpmath.mpf(z - zhi) * invc
        assert abs(mpmath.mpf(z) * invc - 1) < mpmath.mpf(2) ** -7.5

print("// Made by scripts/exact_math_tables.py from 300-bit values; do not edit.")
print("// Included by platform/exact_math.cpp; a test regenerates and compares it.")
print("constexpr LogEntry kLogTable[128] = {")
for invc, h, l in log_rows:
    print(f"    {{{hexd(invc)}, {hexd(h)}, {hexd(l)}}},")
print("};")
print("constexpr ExpEntry kExpTable[128] = {")
for j in range(N):
    v = mpmath.mpf(2) ** (mpmath.mpf(j) / N)
    h = float(v)
    print(f"    {{{hexd(h)}, {hexd(float(v - mpmath.mpf(h)))}}},")
print("};")
