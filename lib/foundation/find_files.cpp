#include "lib/foundation/find_files.h"

#include "platform/kernel/file_system.h"

std::vector<FindData> FindFiles(const std::string& pattern, uint32_t attributes) {
  const uint32_t excluded =
      ~attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
  std::vector<FindData> found;
  FindData data;
  FindHandle find = FindFirstFileA(pattern, data);
  for (bool more = static_cast<bool>(find); more; more = FindNextFileA(find, data)) {
    if ((data.dwFileAttributes & excluded) == 0) found.push_back(data);
  }
  return found;
}
