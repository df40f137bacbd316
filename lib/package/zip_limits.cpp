#include "lib/package/zip_limits.h"

#include "lib/foundation/format.h"

std::string ZipLimits::TotalSizeError() const {
  return Format("Общий размер файлов в архиве превышает предел [%d] байт", {total_size});
}
