// Deflating and inflating the bytes of one zip entry with zlib. Safe on any
// thread: nothing here touches the library's objects or its error
// routines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// An entry's bytes deflated, in blocks of their own so that none is ever
// copied into a larger one; with the size and CRC of the bytes.
struct ZipDeflated {
  std::vector<std::string> blocks;
  uint64_t packed_size = 0;
  uint64_t size = 0;
  uint32_t crc = 0;
};

// What deflating an entry's bytes came to, made once and kept with them.
struct ZipPacking {
  bool smaller = false;  // false: the entry is stored as it is
  ZipDeflated deflated;  // when smaller
};

// The CRC-32 of the bytes, as a zip entry records it.
uint32_t ZipCrc32(std::string_view bytes);
// Raw deflate at level 6 into `out`, with the bytes' size and CRC; false
// (and `out` empty) when the result would not be smaller than the bytes,
// found out without holding much more than their size. `in_parallel`
// deflates pieces of 1 MiB on the machine's cores, each primed with the
// window before it and ended by a sync flush, into one stream.
bool DeflateSmaller(std::string_view bytes, ZipDeflated& out, bool in_parallel = false);
// Inflates raw deflate data into `out`, room first made for `expected`
// bytes and never for more than `most` + 1; `grown(size)` sees the size as
// it grows and may throw to stop. False when the data is not a whole
// deflate stream or unpacks to more than `most`.
bool InflateRaw(std::string_view packed, size_t expected, size_t most, std::string& out,
                const std::function<void(int64_t)>& grown);
