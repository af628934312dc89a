#!/usr/bin/env python3
"""Writes engine/wide_separator_ranges.h: the code points outside ASCII that
end a word as ASCII punctuation does, as ranges, from the Unicode character
database that Python's unicodedata holds.

They are the punctuation that no address holds (Unicode categories Ps, Pe,
Pi, Pf, Po and Pd: brackets, quotation marks, guillemets, the ellipsis, the
dashes, full-width and CJK punctuation) and the spaces (Zs). Every address
is ASCII, so none of these can be part of one.

    scripts/make_wide_separators.py > engine/wide_separator_ranges.h
"""
import unicodedata

CATEGORIES = ('Ps', 'Pe', 'Pi', 'Pf', 'Po', 'Pd', 'Zs')

ranges = []
for cp in range(0x80, 0x110000):
    if unicodedata.category(chr(cp)) not in CATEGORIES:
        continue
    if ranges and ranges[-1][1] == cp - 1:
        ranges[-1][1] = cp
    else:
        ranges.append([cp, cp])

def name(cp):
    return unicodedata.name(chr(cp), 'U+%04X' % cp)

print('// Written by scripts/make_wide_separators.py from the Unicode character')
print('// database %s: the code points outside ASCII in the categories' % unicodedata.unidata_version)
print('// %s, as ranges in ascending order.' % ', '.join(CATEGORIES))
print('#pragma once')
print()
print('namespace ornavex {')
print()
print('struct CodePointRange {')
print('    char32_t first;')
print('    char32_t last; // included')
print('};')
print()
print('inline constexpr char32_t kWideSeparatorCount = %d;' % sum(b - a + 1 for a, b in ranges))
print()
print('// clang-format off')
print('inline constexpr CodePointRange kWideSeparatorRanges[] = {')
for first, last in ranges:
    if first == last:
        comment = name(first)
    else:
        comment = '%s .. %s' % (name(first), name(last))
    print('    {0x%04X, 0x%04X}, // %s' % (first, last, comment))
print('};')
print('// clang-format on')
print()
print('} // namespace ornavex')
