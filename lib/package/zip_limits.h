// ZipLimits: what a package archive may unpack to. Opening reads within
// them, and adding and forming refuse what would pass them, so that every
// package the library forms opens again.
#pragma once

#include <cstdint>
#include <string>

// Bounds of what an archive may unpack to: its number of entries, the
// unpacked size of one entry and of all, and how much more than its packed
// size an entry above `ratio_floor` may unpack to. The defaults are bounds
// a real package never meets (a document of the editor has at most 30 MB).
struct ZipLimits {
  int64_t entries = 65535;
  int64_t entry_size = int64_t{256} << 20;
  int64_t total_size = int64_t{1} << 30;
  int64_t ratio = 500;
  int64_t ratio_floor = int64_t{4} << 20;

  // An entry of `size` bytes packed into `packed` unpacks more times over
  // than the bound lets an archive's entry.
  bool TooCompressed(int64_t size, int64_t packed) const {
    return size > ratio_floor && size / ratio > packed;
  }
  // The refusal of entries that unpack to more than `total_size` together.
  std::string TotalSizeError() const;
  // The refusal of the file `name` of `size` bytes, which would bring the
  // package's files to `total` bytes; empty when both are within the
  // bounds.
  std::string FileSizeError(const std::string& name, int64_t size, int64_t total) const;
};
