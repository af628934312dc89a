#!/usr/bin/env python3
"""Writes decode/html_entities.cpp: every named character reference of HTML,
as Python's standard library knows them, with the UTF-8 bytes it stands for.

    scripts/make_html_entities.py > decode/html_entities.cpp
"""
import html.entities

def c_string(text):
    return '"' + ''.join(
        chr(b) if 32 <= b < 127 and chr(b) not in '"\\?' else '\\x%02x' % b
        for b in text.encode('utf-8')) + '"'

entries = sorted(html.entities.html5.items(), key=lambda item: item[0].encode())
print('// Written by scripts/make_html_entities.py: the named character references')
print('// of HTML and the UTF-8 text each stands for, sorted by name.')
print('#include "decode/html_entities.h"')
print()
print('#include <algorithm>')
print('#include <iterator>')
print()
print('namespace ornavex {')
print('namespace {')
print()
NAME_BYTES = max(len(name.encode()) for name, _ in entries) + 1
TEXT_BYTES = max(len(text.encode()) for _, text in entries) + 1
print('// Characters in place, not pointers: a table of pointers would need a')
print('// relocation per entry at every start of the program.')
print('struct Entity {')
print('    char name[%d]; // with its ";", or without one for the old few' % NAME_BYTES)
print('    char text[%d];' % TEXT_BYTES)
print('};')
print()
print('// clang-format off')
print('constexpr Entity kEntities[] = {')
for name, text in entries:
    # A string literal's hex escape swallows the hex digits after it.
    print('    {%s, %s},' % (c_string(name), c_string(text).replace('\\x', '" "\\x').replace('"" ', '')))
print('};')
print('// clang-format on')
print()
print('} // namespace')
print()
print('std::optional<std::string_view> NamedCharacter(std::string_view name) {')
print('    const auto found = std::lower_bound(std::begin(kEntities), std::end(kEntities), name,')
print('                                        [](const Entity& entity, std::string_view key) {')
print('                                            return std::string_view(entity.name) < key;')
print('                                        });')
print('    if (found == std::end(kEntities) || std::string_view(found->name) != name)')
print('        return std::nullopt;')
print('    return std::string_view(found->text);')
print('}')
print()
print('} // namespace ornavex')
