#!/usr/bin/env python3
"""An independent zip peer for the package tests.

  zip_peer.py make ARCHIVE NAME_HEX=CONTENT_HEX ...
      writes a zip archive whose entry names are the given raw bytes
      (code page 1251, no UTF-8 flag), deflated
  zip_peer.py list ARCHIVE
      checks every entry's CRC and prints one line per entry:
      NAME_HEX COMPRESS_TYPE CREATE_SYSTEM UTF8_FLAG CONTENT_HEX ("-": empty)
"""
import sys
import zipfile


class RawNameInfo(zipfile.ZipInfo):
    """A ZipInfo that writes its name bytes as they are."""

    def __init__(self, raw_name):
        super().__init__(raw_name.decode("cp437"))
        self.raw_name = raw_name
        self.compress_type = zipfile.ZIP_DEFLATED

    def _encodeFilenameFlags(self):
        return self.raw_name, self.flag_bits


def make(archive, entries):
    with zipfile.ZipFile(archive, "w") as out:
        for entry in entries:
            name, content = entry.split("=", 1)
            out.writestr(RawNameInfo(bytes.fromhex(name)), bytes.fromhex(content))


def raw_name(info):
    if info.flag_bits & 0x800:
        return info.filename.encode("utf-8")
    return info.filename.encode("cp437")


def list_entries(archive):
    with zipfile.ZipFile(archive) as zipped:
        bad = zipped.testzip()
        if bad is not None:
            sys.exit("bad CRC: " + bad)
        for info in zipped.infolist():
            print(raw_name(info).hex(), info.compress_type, info.create_system,
                  1 if info.flag_bits & 0x800 else 0, zipped.read(info).hex() or "-")


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2], sys.argv[3:])
    else:
        list_entries(sys.argv[2])
