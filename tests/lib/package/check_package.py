#!/usr/bin/env python3
"""Checks a package file written by the library's tests on its own terms.

  check_package.py PACKAGE WORK_FOLDER CA_FILE

The archive must be flat, unencrypted, deflated or stored, and hold exactly
"packageDescription.xml" and the files its description names. Every
signature file must verify with `openssl cms -verify -engine gost` against
its owner: the document's content for a signature of a plain document, the
parent signature for a countersignature. Prints one line per document:
its content file name, its зашифрован flag and its signature tree.
"""
import os
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile


def verify(signature, content, ca_file):
    result = subprocess.run(
        ["openssl", "cms", "-verify", "-engine", "gost", "-binary", "-inform", "DER",
         "-in", signature, "-content", content, "-CAfile", ca_file, "-purpose", "any",
         "-out", os.devnull], capture_output=True)
    assert result.returncode == 0, (signature, result.stderr.decode(errors="replace"))


def signatures(element, owner_file, folder, ca_file, names, check_owner):
    """The tree of "подпись" elements below `element`, each verified."""
    tree = []
    for signature in element.findall("подпись"):
        name = signature.get("имяФайла")
        names.append(name)
        path = os.path.join(folder, name)
        if check_owner:
            verify(path, os.path.join(folder, owner_file), ca_file)
        tree.append((name, signature.get("роль"),
                     signatures(signature, name, folder, ca_file, names, True)))
    return tree


def main(package, folder, ca_file):
    with zipfile.ZipFile(package, metadata_encoding="cp1251") as archive:
        assert archive.testzip() is None
        entries = []
        for info in archive.infolist():
            assert not info.is_dir(), info.filename
            assert "/" not in info.filename and "\\" not in info.filename, info.filename
            assert info.compress_type in (zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED)
            assert info.flag_bits & 1 == 0, "encrypted entry " + info.filename
            if any(ord(c) >= 0x80 for c in info.filename):
                assert info.create_system == 11, (info.filename, info.create_system)
            entries.append(info.filename)
        for info in archive.infolist():
            with open(os.path.join(folder, info.filename), "wb") as out:
                out.write(archive.read(info))

    root = ET.parse(os.path.join(folder, "packageDescription.xml")).getroot()
    assert root.tag == "ТрансИнф" and root.get("ВерсПрог") == "QimTarvex", root.attrib
    named = ["packageDescription.xml"]
    for document in root.findall("документ"):
        content = document.find("содержимое").get("имяФайла")
        named.append(content)
        plain = document.get("зашифрован") == "false"
        tree = signatures(document, content, folder, ca_file, named, plain)
        print(content, document.get("зашифрован"), tree)
    assert sorted(entries) == sorted(named), (sorted(entries), sorted(named))


if __name__ == "__main__":
    try:
        main(*sys.argv[1:])
    except AssertionError as e:
        print("check_package: " + repr(e.args), file=sys.stderr)
        sys.exit(1)
