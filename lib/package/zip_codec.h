// Deflating and inflating the bytes of one zip entry with zlib. Safe on any
// thread: nothing here touches the library's objects or its error
// routines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The CRC-32 of the bytes, as a zip entry records it.
uint32_t ZipCrc32(std::string_view bytes);
// Raw deflate at level 6 into `out`; false (and `out` empty) when the
// result would not be smaller than the bytes, found out without ever
// holding more than their size.
bool DeflateSmaller(std::string_view bytes, std::string& out);
// Inflates raw deflate data into `out`, room first made for `expected`
// bytes and never for more than `most` + 1; `grown(size)` sees the size as
// it grows and may throw to stop. False when the data is not a whole
// deflate stream or unpacks to more than `most`.
bool InflateRaw(std::string_view packed, size_t expected, size_t most, std::string& out,
                const std::function<void(int64_t)>& grown);
