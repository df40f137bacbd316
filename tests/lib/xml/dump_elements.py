"""Prints every element of an XML file as ElementTree reads it, one line
each: the tag and then name=value for each attribute in document order, all
as hexadecimal UTF-8, so that the caller can compare bytes."""
import sys
import xml.etree.ElementTree as ET


def hexed(text):
    return text.encode("utf-8").hex()


for element in ET.parse(sys.argv[1]).getroot().iter():
    fields = [hexed(element.tag)]
    fields += [hexed(name) + "=" + hexed(value) for name, value in element.attrib.items()]
    print(" ".join(fields))
