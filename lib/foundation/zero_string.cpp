#include "lib/foundation/zero_string.h"

#include <cstring>

#include "lib/foundation/errors.h"

void CZeroString::Open(const char* source) {
  Close();
  if (source == nullptr) {
    RaiseErrorFmt("Parameter %1:s of %0:s is invalid", {"CZeroString.Open", "pszObjId = NULL"});
  }
  const size_t size = std::strlen(source) + 1;
  Copy = std::make_unique<char[]>(size);
  std::memcpy(Copy.get(), source, size);
  HasValue = true;
}

void CZeroString::Close() {
  Copy.reset();
  HasValue = false;
}
