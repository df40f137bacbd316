#!/usr/bin/env python3
"""Rewrites the transport description of a package as another program
might write it, and zips the package again.

  rewrite_description.py PACKAGE TARGET [STRANGER]

The description becomes UTF-8 with a byte-order mark and CR LF line ends,
every attribute on a line of its own right after the element name, values
in apostrophes, and a comment, a CDATA section holding markup and a
processing instruction between any two elements. The rewritten text must
parse to the same tree. With STRANGER, that element text is put between
the first document's signatures and the next document as well. The other
entries are copied as they are. Prints the number of documents and of
signatures, countersignatures included.
"""
import sys
import xml.etree.ElementTree as ET
import zipfile

DESCRIPTION = "packageDescription.xml"
BETWEEN = ("\r\n<!-- написано иначе -->\r\n<![CDATA[<документ/><подпись/>]]>\r\n"
           "<?обработка x='1'?>\r\n")


def quoted(value):
    value = value.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    if "'" not in value:
        return "'" + value + "'"
    return '"' + value.replace('"', "&quot;") + '"'


def written(element, extra):
    """The element's text; `extra` maps an element to text put at the end
    of its content."""
    text = "<" + element.tag
    for name, value in element.attrib.items():
        text += "\r\n" + name + "=" + quoted(value)
    parts = [written(child, extra) for child in element]
    if element in extra:
        parts.append(extra[element])
    if not parts:
        return text + "\r\n/>"
    return text + ">" + BETWEEN + BETWEEN.join(parts) + BETWEEN + "</" + element.tag + "\r\n>"


def shape(element):
    return (element.tag, dict(element.attrib), [shape(child) for child in element])


def main(package, target, stranger=None):
    with zipfile.ZipFile(package) as archive:
        entries = [(info, archive.read(info)) for info in archive.infolist()]
    original = ET.fromstring(dict((i.filename, d) for i, d in entries)[DESCRIPTION])
    extra = {original.find("документ"): stranger} if stranger else {}
    text = ('<?xml version="1.0" encoding="utf-8"?>\r\n<!-- описание пакета -->\r\n' +
            written(original, extra) + "\r\n")
    data = b"\xef\xbb\xbf" + text.encode("utf-8")
    if not stranger:
        assert shape(ET.fromstring(data)) == shape(original)
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as archive:
        for info, content in entries:
            archive.writestr(info, data if info.filename == DESCRIPTION else content)
    documents = original.findall("документ")
    signatures = sum(len(d.findall(".//подпись")) for d in documents)
    print(len(documents), signatures)


if __name__ == "__main__":
    main(*sys.argv[1:])
