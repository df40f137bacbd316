#!/usr/bin/env python3
"""Gives a document of a package another original file name, as a package
written by another program may carry it.

  rename_original.py PACKAGE OLD NEW

Rewrites "packageDescription.xml" of the archive in place: the document
whose исходноеИмяФайла is OLD gets NEW. The other entries stay as they are.
"""
import sys
import zipfile


def main(package, old, new):
    with zipfile.ZipFile(package, metadata_encoding="cp1251") as archive:
        entries = [(info, archive.read(info)) for info in archive.infolist()]
    with zipfile.ZipFile(package, "w", zipfile.ZIP_DEFLATED) as archive:
        for info, data in entries:
            if info.filename == "packageDescription.xml":
                text = data.decode("cp1251")
                attribute = 'исходноеИмяФайла="%s"'
                assert attribute % old in text, text
                data = text.replace(attribute % old, attribute % new).encode("cp1251")
            archive.writestr(info.filename, data)


if __name__ == "__main__":
    main(*sys.argv[1:])
