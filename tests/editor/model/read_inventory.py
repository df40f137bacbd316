#!/usr/bin/env python3
"""Prints the inventory of a package as ElementTree reads it.

  read_inventory.py PACKAGE ENTRY

Reads the archive with zipfile, takes the entry, requires the windows-1251
declaration and no text between elements, and prints one line per element:
its depth as indentation, its tag and its attributes in document order.
"""
import sys
import xml.etree.ElementTree as ET
import zipfile

DECLARATION = b'<?xml version="1.0" encoding="windows-1251"?>'


def show(element, depth, lines):
    assert element.text is None and (element.tail is None or depth == 0), element.tag
    attributes = " ".join(f"{name}={value!r}" for name, value in element.attrib.items())
    lines.append("  " * depth + element.tag + (" " + attributes if attributes else ""))
    for child in element:
        show(child, depth + 1, lines)


def main():
    with zipfile.ZipFile(sys.argv[1]) as archive:
        data = archive.read(sys.argv[2])
    assert data.startswith(DECLARATION), data[:60]
    lines = []
    show(ET.fromstring(data), 0, lines)
    sys.stdout.buffer.write(("\n".join(lines) + "\n").encode("utf-8"))


main()
