#!/usr/bin/env python3
"""An independent zip peer for the package tests.

  zip_peer.py make ARCHIVE NAME_HEX=CONTENT_HEX ...
      writes a zip archive whose entry names are the given raw bytes
      (code page 1251, no UTF-8 flag), deflated
  zip_peer.py make-streamed ARCHIVE NAME_HEX=CONTENT_HEX ...
      the same, written as to a pipe: each entry's sizes and CRC follow its
      data in a data descriptor, and are zero in its local header
  zip_peer.py make-zip64 ARCHIVE NAME_HEX=CONTENT_HEX ...
      writes deflated entries whose directory records keep their sizes and
      local offset in a ZIP64 extra field, as an archive beyond 4 GiB would
  zip_peer.py declare-size ARCHIVE COUNT SIZE [EACH]
      writes COUNT deflated entries named 0, 1, ..., of EACH bytes (4,000)
      that do not shrink, whose ZIP64 extra fields declare SIZE unpacked
      bytes
  zip_peer.py make-utf8 ARCHIVE NAME_HEX=CONTENT_HEX ...
      the same as make, with every name flagged as UTF-8 (bit 11),
      whatever its bytes
  zip_peer.py rezip ARCHIVE TARGET
      writes every entry of ARCHIVE, its cp1251 name read as such, into
      TARGET as zipfile writes names: UTF-8 with bit 11 beyond ASCII
  zip_peer.py reverse ARCHIVE
      lists the central directory's records in reverse order
  zip_peer.py inside ARCHIVE
      writes stored entry "a" whose data holds the local header and data
      of stored entry "b", listed after it
  zip_peer.py two-ends ARCHIVE NAME_HEX FIRST_HEX SECOND_HEX
      writes an archive of one stored entry followed by another of the
      same name and span, each with its own directory and end record
  zip_peer.py two-ends-zip64 ARCHIVE NAME_HEX FIRST_HEX SECOND_HEX
      the same, the first directory's place kept in a ZIP64 end record
      that a locator before its end record points to
  zip_peer.py comment ARCHIVE HEX
      sets the archive's comment; "END" in HEX stands for its end record
  zip_peer.py shared ARCHIVE COUNT PADDING
      writes COUNT entries named 0, 1, ..., all over one deflated local
      header (named 0) followed by PADDING bytes; every entry's stored size
      runs to the end of the archive, its unpacked size is 1 byte
  zip_peer.py patch-local ARCHIVE AT HEX
      writes the bytes at offset AT of the first entry's local header
  zip_peer.py zeros ARCHIVE NAME_HEX SIZE
      writes an archive of one deflated entry of SIZE zero bytes
  zip_peer.py many ARCHIVE COUNT
      writes an archive of COUNT empty entries named 0, 1, ...
  zip_peer.py understate ARCHIVE
      rewrites every entry's unpacked size, in the local headers and the
      central directory, to 1 byte, as a lying archive would
  zip_peer.py overstate-stored ARCHIVE
      rewrites every entry's stored size likewise, to almost 4 GiB
  zip_peer.py bzip2 ARCHIVE COUNT
      writes COUNT bzip2 entries named 0, 1, ..., each 256 MiB of zeros in
      a few hundred bytes, whose stored sizes claim 2 GiB
  zip_peer.py mark-encrypted ARCHIVE
      sets every entry's encryption flag, in the local headers and the
      central directory
  zip_peer.py misplace ARCHIVE
      points the first entry's local header offset into its own header
  zip_peer.py level ARCHIVE
      prints one line per deflated entry: NAME_HEX and 1 when its packed
      size is that of zlib's raw deflate at level 6, else 0
  zip_peer.py corrupt ARCHIVE NAME_HEX
      flips a byte in the middle of the entry's stored data
  zip_peer.py list ARCHIVE
      checks every entry's CRC and prints one line per entry:
      NAME_HEX COMPRESS_TYPE CREATE_SYSTEM UTF8_FLAG CONTENT_HEX ("-": empty)
"""
import bz2
import random
import struct
import sys
import zipfile
import zlib


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


class Pipe:
    """A file that cannot seek, so that zipfile writes data descriptors."""

    def __init__(self, out):
        self.out = out

    def write(self, data):
        return self.out.write(data)

    def flush(self):
        self.out.flush()


def make_streamed(archive, entries):
    with open(archive, "wb") as f:
        with zipfile.ZipFile(Pipe(f), "w") as out:
            for entry in entries:
                name, content = entry.split("=", 1)
                out.writestr(RawNameInfo(bytes.fromhex(name)), bytes.fromhex(content))
    with open(archive, "rb") as f:
        local = f.read(30)
    flags, crc, sizes = struct.unpack_from("<H", local, 6)[0], local[14:18], local[18:26]
    assert flags & 0x08 and crc == bytes(4) and sizes == bytes(8), "no data descriptor"


def make_zip64(archive, entries):
    write_zip64(archive, [(bytes.fromhex(part) for part in entry.split("=", 1))
                          for entry in entries])


def write_zip64(archive, entries, declared=None):
    """Written by hand: zipfile uses the ZIP64 fields only beyond 4 GiB.
    `declared`, when given, is every entry's unpacked size instead of its
    own, in its local header and its directory record alike."""
    local, central = bytearray(), bytearray()
    for name, content in entries:
        packer = zlib.compressobj(6, zlib.DEFLATED, -15)
        packed = packer.compress(content) + packer.flush()
        crc, size = zlib.crc32(content), len(content)
        assert len(packed) != size, "sizes that cannot tell their order"
        if declared is None:
            local_sizes, local_extra = struct.pack("<II", len(packed), size), b""
        else:
            size = declared
            local_sizes = struct.pack("<II", 0xFFFFFFFF, 0xFFFFFFFF)
            local_extra = struct.pack("<HHQQ", 1, 16, size, len(packed))
        central += struct.pack("<4sHHHHHHIIIHHHHHII", b"PK\x01\x02", 45, 45, 0, 8, 0, 0x21, crc,
                               0xFFFFFFFF, 0xFFFFFFFF, len(name), 28, 0, 0, 0, 0,
                               0xFFFFFFFF) + name
        central += struct.pack("<HHQQQ", 1, 24, size, len(packed), len(local))
        local += struct.pack("<4sHHHHHI", b"PK\x03\x04", 45, 0, 8, 0, 0x21, crc) + local_sizes
        local += struct.pack("<HH", len(name), len(local_extra)) + name + local_extra + packed
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, len(entries), len(entries),
                      len(central), len(local), 0)
    with open(archive, "wb") as f:
        f.write(local + central + end)


def declare_size(archive, count, size, each=4000):
    noise = random.Random(5)
    write_zip64(archive, [(str(i).encode(), noise.randbytes(int(each)))
                          for i in range(int(count))], int(size))


class FlaggedNameInfo(RawNameInfo):
    """A RawNameInfo whose name is flagged as UTF-8."""

    def _encodeFilenameFlags(self):
        return self.raw_name, self.flag_bits | 0x800


def make_utf8(archive, entries):
    with zipfile.ZipFile(archive, "w") as out:
        for entry in entries:
            name, content = entry.split("=", 1)
            out.writestr(FlaggedNameInfo(bytes.fromhex(name)), bytes.fromhex(content))


def rezip(archive, target):
    with zipfile.ZipFile(archive, metadata_encoding="cp1251") as source, \
            zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as out:
        for info in source.infolist():
            out.writestr(info.filename, source.read(info))
    with zipfile.ZipFile(target) as check:
        assert any(info.flag_bits & 0x800 for info in check.infolist()), "no UTF-8 name"


def directory_records(data):
    """The central directory's offset and its records' bytes."""
    end = data.rfind(b"PK\x05\x06")
    count, size, offset = struct.unpack_from("<HII", data, end + 10)
    records, at = [], offset
    for _ in range(count):
        sizes = struct.unpack_from("<HHH", data, at + 28)
        records.append(bytes(data[at:at + 46 + sum(sizes)]))
        at += 46 + sum(sizes)
    return offset, records


def reverse(archive):
    with open(archive, "r+b") as f:
        data = bytearray(f.read())
        offset, records = directory_records(data)
        listed = b"".join(reversed(records))
        data[offset:offset + len(listed)] = listed
        f.seek(0)
        f.write(data)


def stored_local(name, content):
    return struct.pack("<4sHHHHHIIIHH", b"PK\x03\x04", 20, 0, 0, 0, 0x21, zlib.crc32(content),
                       len(content), len(content), len(name), 0) + name + content


def stored_record(name, content, offset):
    return struct.pack("<4sHHHHHHIIIHHHHHII", b"PK\x01\x02", 20, 20, 0, 0, 0, 0x21,
                       zlib.crc32(content), len(content), len(content), len(name), 0, 0, 0, 0,
                       0, offset) + name


def inside(archive):
    inner = stored_local(b"b", b"bb")
    outer = stored_local(b"a", inner)
    central = stored_record(b"a", inner, 0) + stored_record(b"b", b"bb", 31)
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, 2, 2, len(central), len(outer), 0)
    with open(archive, "wb") as f:
        f.write(outer + central + end)


def two_ends(archive, name, first, second, zip64=False):
    name, first, second = (bytes.fromhex(part) for part in (name, first, second))
    assert len(first) == len(second), "spans that differ"
    data = bytearray()
    for content in (first, second):
        start = len(data)
        local = stored_local(name, content)
        central = stored_record(name, content, start)
        data += local + central
        if zip64 and content is first:
            at = len(data)
            data += struct.pack("<4sQHHIIQQQQ", b"PK\x06\x06", 44, 45, 45, 0, 0, 1, 1,
                                len(central), start + len(local))
            data += struct.pack("<4sIQI", b"PK\x06\x07", 0, at, 1)
            data += struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF,
                                0xFFFFFFFF, 0)
        else:
            data += struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, 1, 1, len(central),
                                start + len(local), 0)
    with open(archive, "wb") as f:
        f.write(data)


def comment(archive, text):
    """Over an archive without a comment."""
    with open(archive, "rb") as f:
        data = f.read()
    end = data.rfind(b"PK\x05\x06")
    record = data[end:end + 20]
    text = bytes.fromhex(text.replace("END", (record + bytes(2)).hex()))
    with open(archive, "wb") as f:
        f.write(data[:end] + record + struct.pack("<H", len(text)) + text)


def shared(archive, count, padding):
    count, padding = int(count), int(padding)
    header = struct.pack("<4sHHHHHIIIHH", b"PK\x03\x04", 20, 0, zipfile.ZIP_DEFLATED, 0, 0x21,
                         0, 0, 1, 1, 0) + b"0"
    names = [str(i).encode() for i in range(count)]
    directory_size = sum(46 + len(name) for name in names)
    stored = padding + directory_size + 22  # to the end of the end record
    directory = b"".join(
        struct.pack("<4sHHHHHHIIIHHHHHII", b"PK\x01\x02", 20, 20, 0, zipfile.ZIP_DEFLATED, 0,
                    0x21, 0, stored, 1, len(name), 0, 0, 0, 0, 0, 0) + name for name in names)
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, count, count, directory_size,
                      len(header) + padding, 0)
    with open(archive, "wb") as f:
        f.write(header + bytes(padding) + directory + end)


def patch_local(archive, at, data):
    with zipfile.ZipFile(archive) as zipped:
        offset = zipped.infolist()[0].header_offset
    with open(archive, "r+b") as f:
        f.seek(offset + int(at))
        f.write(bytes.fromhex(data))


def zeros(archive, name, size):
    info = RawNameInfo(bytes.fromhex(name))
    with zipfile.ZipFile(archive, "w") as out, out.open(info, "w", force_zip64=False) as entry:
        chunk = bytes(1 << 20)
        left = int(size)
        while left > 0:
            entry.write(chunk[:min(left, len(chunk))])
            left -= len(chunk)


def many(archive, count):
    with zipfile.ZipFile(archive, "w") as out:
        for i in range(int(count)):
            out.writestr(str(i), b"")


def rewrite_size(archive, local_field, central_field, value):
    """Sets one size field of every entry, in the local headers at
    `local_field` and the central directory at `central_field`."""
    with zipfile.ZipFile(archive) as zipped:
        infos = zipped.infolist()
    with open(archive, "r+b") as f:
        data = bytearray(f.read())
        for info in infos:
            struct.pack_into("<I", data, info.header_offset + local_field, value)
        directory = data.rfind(b"PK\x05\x06")
        offset = struct.unpack_from("<I", data, directory + 16)[0]
        for _ in infos:
            struct.pack_into("<I", data, offset + central_field, value)
            sizes = struct.unpack_from("<HHH", data, offset + 28)
            offset += 46 + sum(sizes)
        f.seek(0)
        f.write(data)


def bzip2(archive, count):
    """Written by hand: zipfile would compress the zeros once per entry."""
    size = 256 << 20
    packer = bz2.BZ2Compressor(9)
    chunk = bytes(1 << 20)
    data = b"".join(packer.compress(chunk) for _ in range(size // len(chunk))) + packer.flush()
    crc = 0
    for _ in range(size // len(chunk)):
        crc = zlib.crc32(chunk, crc)
    claimed = 2 << 30
    local, central = bytearray(), bytearray()
    for i in range(int(count)):
        name = str(i).encode()
        fields = (46, 0, zipfile.ZIP_BZIP2, 0, 0x21, crc, claimed, size, len(name), 0)
        central += struct.pack("<4sHHHHHHIIIHHHHHII", b"PK\x01\x02", 46, *fields, 0, 0, 0, 0,
                               len(local)) + name
        local += struct.pack("<4sHHHHHIIIHH", b"PK\x03\x04", *fields) + name + data
    end = struct.pack("<4sHHHHIIH", b"PK\x05\x06", 0, 0, int(count), int(count), len(central),
                      len(local), 0)
    with open(archive, "wb") as f:
        f.write(local + central + end)


def patch_entries(archive, local_patch, central_patch):
    """Applies the patches to every entry's local header and directory record."""
    with zipfile.ZipFile(archive) as zipped:
        infos = zipped.infolist()
    with open(archive, "r+b") as f:
        data = bytearray(f.read())
        for info in infos:
            local_patch(data, info.header_offset)
        directory = data.rfind(b"PK\x05\x06")
        offset = struct.unpack_from("<I", data, directory + 16)[0]
        for _ in infos:
            central_patch(data, offset)
            sizes = struct.unpack_from("<HHH", data, offset + 28)
            offset += 46 + sum(sizes)
        f.seek(0)
        f.write(data)


def mark_encrypted(archive):
    def flag(at):
        return lambda data, offset: data.__setitem__(offset + at, data[offset + at] | 1)
    patch_entries(archive, flag(6), flag(8))


def misplace(archive):
    first = []

    def point_inside(data, offset):
        if not first:
            first.append(offset)
            struct.pack_into("<I", data, offset + 42, 5)
    patch_entries(archive, lambda data, offset: None, point_inside)


def understate(archive):
    rewrite_size(archive, 22, 24, 1)


def overstate_stored(archive):
    rewrite_size(archive, 18, 20, 0xFE000000)


def level(archive):
    with zipfile.ZipFile(archive) as zipped:
        for info in zipped.infolist():
            if info.compress_type != zipfile.ZIP_DEFLATED:
                continue
            packer = zlib.compressobj(6, zlib.DEFLATED, -15)
            size = len(packer.compress(zipped.read(info)) + packer.flush())
            print(raw_name(info).hex(), 1 if size == info.compress_size else 0)


def corrupt(archive, name):
    with zipfile.ZipFile(archive) as zipped:
        info = next(i for i in zipped.infolist() if raw_name(i).hex() == name)
    with open(archive, "r+b") as f:
        f.seek(info.header_offset + 26)
        name_size, extra_size = struct.unpack("<HH", f.read(4))
        at = info.header_offset + 30 + name_size + extra_size + info.compress_size // 2
        f.seek(at)
        byte = f.read(1)[0]
        f.seek(at)
        f.write(bytes([byte ^ 0x55]))


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


# Commands that take the archive and a list of entries, and those that take
# the archive and their own arguments; any other lists the archive.
MAKERS = {
    "make": make,
    "make-streamed": make_streamed,
    "make-zip64": make_zip64,
    "make-utf8": make_utf8,
}
COMMANDS = {
    "rezip": rezip,
    "reverse": reverse,
    "inside": inside,
    "declare-size": declare_size,
    "two-ends": two_ends,
    "two-ends-zip64": lambda archive, *parts: two_ends(archive, *parts, zip64=True),
    "comment": comment,
    "shared": shared,
    "patch-local": patch_local,
    "zeros": zeros,
    "many": many,
    "level": level,
    "corrupt": corrupt,
    "bzip2": bzip2,
    "mark-encrypted": mark_encrypted,
    "misplace": misplace,
    "understate": understate,
    "overstate-stored": overstate_stored,
}

if __name__ == "__main__":
    command, archive, arguments = sys.argv[1], sys.argv[2], sys.argv[3:]
    if command in MAKERS:
        MAKERS[command](archive, arguments)
    else:
        COMMANDS.get(command, list_entries)(archive, *arguments)
