#!/usr/bin/env python3
"""Prints the expected 80-bit results of ParseDecimal for the test table.

The reference follows the parsing steps with exact rationals: every multiplication, addition and division is
rounded once to a 64-bit significand (ties to even, subnormals below 2^-16382, infinity from 2^16384 on), and the
power-of-ten constants are themselves the nearest such values.
"""
import random
import sys
from fractions import Fraction

MIN_EXP = -16382  # exponent of the smallest normal value, significand in [1, 2)


def round_ext(v):
    if v == 0:
        return Fraction(0)
    sign = -1 if v < 0 else 1
    a = abs(v)
    e = a.numerator.bit_length() - a.denominator.bit_length()
    if Fraction(2) ** e > a:
        e -= 1
    quantum = Fraction(2) ** (max(e, MIN_EXP) - 63)
    q, r = divmod(a, quantum)
    if r * 2 > quantum or (r * 2 == quantum and q % 2 == 1):
        q += 1
    result = q * quantum
    if result >= Fraction(2) ** 16384:
        return None
    return sign * result


def bits(v, negative):
    sign = 0x8000 if negative else 0
    if v == 0:
        return "%04X:%016X" % (sign, 0)
    a = abs(v)
    e = a.numerator.bit_length() - a.denominator.bit_length()
    if Fraction(2) ** e > a:
        e -= 1
    if e < MIN_EXP:
        m = a / Fraction(2) ** (MIN_EXP - 63)
        assert m.denominator == 1
        return "%04X:%016X" % (sign, int(m))
    m = a / Fraction(2) ** (e - 63)
    assert m.denominator == 1
    return "%04X:%016X" % (sign | (e + 16383), int(m))


SMALL = [round_ext(Fraction(10) ** k) for k in range(32)]
MEDIUM = [round_ext(Fraction(10) ** (32 * j)) for j in range(16)]
LARGE = [round_ext(Fraction(10) ** (512 * j)) for j in range(10)]


def parse(text):
    """Returns the bit text, or None when the text is rejected."""
    i, n = 0, len(text)
    while i < n and text[i] == " ":
        i += 1
    negative = False
    if i < n and text[i] in "+-":
        negative = text[i] == "-"
        i += 1
    start = i
    d = Fraction(0)
    overflow = False
    fraction_digits = 0

    def digit(c):
        nonlocal d, overflow
        if overflow:
            return
        t = round_ext(d * 10)
        t = None if t is None else round_ext(t + int(c))
        if t is None:
            overflow = True
        else:
            d = t

    while i < n and text[i].isdigit():
        digit(text[i])
        i += 1
    if i < n and text[i] == ".":
        i += 1
        while i < n and text[i].isdigit():
            digit(text[i])
            i += 1
            fraction_digits += 1
    if i == start:
        return None
    exponent = 0
    if i < n and text[i] in "eE":
        i += 1
        exponent_negative = False
        if i < n and text[i] in "+-":
            exponent_negative = text[i] == "-"
            i += 1
        while i < n and exponent < 500 and text[i].isdigit():
            exponent = exponent * 10 + int(text[i])
            i += 1
        if exponent_negative:
            exponent = -exponent
    while i < n and text[i] == " ":
        i += 1
    if i != n or overflow:
        return None
    scale = exponent - fraction_digits
    if scale <= -5120:
        return bits(Fraction(0), negative)
    m = abs(scale)
    for constant, index in ((SMALL, m % 32), (MEDIUM, (m // 32) % 16), (LARGE, m // 512)):
        if index == 0:
            continue
        d = round_ext(d * constant[index] if scale > 0 else d / constant[index])
        if d is None:
            return None
    return bits(d, negative)


def cases():
    fixed = [
        "1e999", "1e4932", "1.18973149535723176502e4932", "1.18973149535723176e4932", "1.1897314953572317649e4932",
        "1e-4950", "3.6e-4951", "3.7e-4951", "1.9e-4951", "1.8e-4951", "5e-4951", "1e-4940", "3.3621e-4932",
        "123456789012345678901234567890", "18446744073709551615", "18446744073709551616", "18446744073709551617",
        "18446744073709551625", "99999999999999999999", "184467440737095516150", "0.1", "0.3", "0.7", "1e28",
        "1e31", "1e32", "1e33", "1e-28", "1e-33", "1e64", "1e-64", "1.7976931348623157e308", "4.9e-324",
        "3.14159265358979323846264338327950288", "12345678901234567890e-20", "123.456e-300", "9e4931",
        "0.000000000000000000000000000001", ("1", "0", 100, ""), ("1", "0", 4931, "e1"), ("1", "0", 4932, ""),
        ("0.", "0", 4900, "1e4900"), ("1", "0", 4900, "e-4900"), ("1", "9", 4932, ".e-4932"), ("0.", "7", 5200, ""),
        "-2.5e-4950", "11111111111111111111111.1e-5",
        "0.123456789012345678901234567890123456789", "1e-9", "2.5e-3", "999999999999999999.9", "-0.0000005",
        "1e4931", "1e-4931", "1.5e-4945", "1e480", "1e512", "1e4608", "1e-512", "1e-4608", "7e-5119",
    ]
    rng = random.Random(20261210)
    extra = []
    for _ in range(40):
        digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 40)))
        point = rng.randint(0, len(digits))
        exponent = rng.choice([0, rng.randint(-60, 60), rng.randint(-4999, 4999)])
        extra.append(digits[:point] + "." + digits[point:] + ("e%d" % exponent if exponent else ""))
    return fixed + extra


def main():
    for case in cases():
        if isinstance(case, tuple):
            prefix, filler, count, suffix = case
            text = prefix + filler * count + suffix
            code = "\"%s\" + std::string(%d, '%s') + \"%s\"" % (prefix, count, filler, suffix)
        else:
            text = case
            code = '"%s"' % text
        result = parse(text)
        print("      {%s, %s}," % (code, '"%s"' % result if result else "nullptr"))


if __name__ == "__main__":
    sys.exit(main())
