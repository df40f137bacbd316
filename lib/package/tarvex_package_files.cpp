#include "lib/package/tarvex_package_files.h"

#include "lib/foundation/errors.h"

void CTarvexPackageFiles::Assign(std::vector<ZipEntry> entries) {
  read_.clear();
  for (ZipEntry& entry : entries) read_.emplace(std::move(entry.name), std::move(entry.bytes));
}

std::string CTarvexPackageFiles::Read(const std::string& name, bool take) {
  const auto found = read_.find(name);
  if (found == read_.end()) RaiseErrorFmt("Файл не найден: [%s]", {name});
  if (!take) return found->second;
  std::string bytes = std::move(found->second);
  read_.erase(found);
  return bytes;
}

void CTarvexPackageFiles::Save(const std::string& name, std::string_view bytes,
                               const ZipPacking* packing) {
  saved_.push_back({name, bytes, packing});
}
