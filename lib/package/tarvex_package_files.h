// CTarvexPackageFiles: the files of an open package, held in memory. On
// opening, the entries its archive held, which the documents and
// signatures that name them read from here; on saving, the files the save
// puts into the archive, as views of the bytes their owners keep.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lib/package/os_abbrevia_tool.h"

class CTarvexPackageFiles {
 public:
  // Holds the entries read from an archive instead of what it held.
  void Assign(std::vector<ZipEntry> entries);
  bool Contains(const std::string& name) const { return read_.count(name) != 0; }
  // The bytes of a read entry; "Файл не найден: [%s]" when there is none.
  // `take` moves them out: a document's content is read only once.
  std::string Read(const std::string& name, bool take);
  // Forgets the read entries.
  void Clear() { read_.clear(); }
  // Refuses, before any is inflated, the read files named, zip archives
  // of one file each, when what they unpack to, as they declare it, and
  // what the archive's entries unpacked to come to more than an archive
  // may unpack to: what opens must save into an archive that opens again.
  void CheckUnzippedSize(const std::vector<std::string>& archives, const ZipLimits& limits) const;

  // Starts the list of a new save.
  void BeginSave() { saved_.clear(); }
  // Adds a file to the save; the bytes (and their packing, when given)
  // must live until it is written.
  void Save(const std::string& name, std::string_view bytes, const ZipPacking* packing = nullptr);
  const std::vector<ZipEntryView>& Saved() const { return saved_; }

 private:
  std::unordered_map<std::string, std::string> read_;
  // What the entries read unpacked to, together.
  int64_t read_size_ = 0;
  std::vector<ZipEntryView> saved_;
};
