// COsAbbreviaTool: the only code that calls the zip library. Package
// archives are flat: every entry is a bare file name, stored in code page
// 1251 as it is, and the order of entries carries no meaning. Entries are
// read into memory and written from memory; what an archive unpacks to is
// bounded, so that a small file cannot exhaust the machine.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lib/foundation/base_class.h"
#include "lib/package/zip_limits.h"

// One entry read from an archive.
struct ZipEntry {
  std::string name;
  std::string bytes;
};

struct ZipPacking;

// One entry to write: the bytes stay with their owner until the archive
// is closed, and so does their packing when the owner made it before.
struct ZipEntryView {
  std::string name;
  std::string_view bytes;
  const ZipPacking* packing = nullptr;
};

class COsAbbreviaTool : public CBaseClass {
 public:
  COsAbbreviaTool() = delete;

  // Every entry of the archive file, in the archive's order, each read as
  // a stream; a name flagged as UTF-8, as other zip writers store names, is
  // read in code page 1251. Refused with a message naming the entry, the
  // bound or the cause: a name that is not a bare file name or holds a
  // control byte (a NUL too), a flagged name without a form in code page
  // 1251, two entries of one name, an archive of more than one end record,
  // and anything beyond the limits.
  static std::vector<ZipEntry> ReadArchive(const std::string& archive_file,
                                           const ZipLimits& limits = ZipLimits());
  // The one file of a zip archive held in `bytes`; "Неверное число файлов в
  // архиве: [%d]" when the archive holds another number of entries, and the
  // limits apply.
  static std::string UnzipString(const std::string& bytes, const ZipLimits& limits = ZipLimits());
  // What UnzipString makes of `bytes` comes to this many bytes, as the
  // archive declares it; refused as UnzipString refuses, before anything
  // is inflated.
  static int64_t UnzippedSize(const std::string& bytes, const ZipLimits& limits = ZipLimits());
  // Makes `archive_file` anew with the entries: deflated at level 6 (on
  // the machine's cores, unless an entry comes packed), or stored when
  // deflating does not make them smaller or packs them tighter than
  // reading within `limits` takes. Entries that reading would refuse by
  // their size, one or together, are refused before anything is written.
  static void WriteArchive(const std::string& archive_file,
                           const std::vector<ZipEntryView>& entries,
                           const ZipLimits& limits = ZipLimits());
};
