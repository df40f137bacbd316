#include "lib/package/zip_limits.h"

#include "lib/foundation/format.h"

std::string ZipLimits::TotalSizeError() const {
  return Format("Общий размер файлов в архиве превышает предел [%d] байт", {total_size});
}

std::string ZipLimits::FileSizeError(const std::string& name, int64_t size, int64_t total) const {
  if (size > entry_size) {
    return Format("Размер файла [%0:s] превышает предел [%1:d] байт", {name, entry_size});
  }
  if (total > total_size) {
    return Format("Общий размер файлов пакета с файлом [%0:s] превышает предел [%1:d] байт",
                  {name, total_size});
  }
  return std::string();
}
