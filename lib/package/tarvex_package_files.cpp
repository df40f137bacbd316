#include "lib/package/tarvex_package_files.h"

#include "lib/foundation/errors.h"

void CTarvexPackageFiles::Assign(std::vector<ZipEntry> entries) {
  read_.clear();
  read_size_ = 0;
  for (ZipEntry& entry : entries) {
    read_size_ += static_cast<int64_t>(entry.bytes.size());
    read_.emplace(std::move(entry.name), std::move(entry.bytes));
  }
}

std::string CTarvexPackageFiles::Read(const std::string& name, bool take) {
  const auto found = read_.find(name);
  if (found == read_.end()) RaiseErrorFmt("Файл не найден: [%s]", {name});
  if (!take) return found->second;
  std::string bytes = std::move(found->second);
  read_.erase(found);
  return bytes;
}

void CTarvexPackageFiles::CheckUnzippedSize(const std::vector<std::string>& archives,
                                            const ZipLimits& limits) const {
  int64_t total = read_size_;
  for (const std::string& name : archives) {
    const auto found = read_.find(name);
    if (found == read_.end()) continue;  // its reader names it missing
    total += COsAbbreviaTool::UnzippedSize(found->second, limits);
    if (total > limits.total_size) RaiseError(limits.TotalSizeError());
  }
}

void CTarvexPackageFiles::Save(const std::string& name, std::string_view bytes,
                               const ZipPacking* packing) {
  saved_.push_back({name, bytes, packing});
}
