#include "lib/xml/memory_stream.h"

#include <algorithm>
#include <cstring>

size_t CMemoryStream::Read(char* buffer, size_t count) {
  const size_t n = std::min(count, data_.size() - position_);
  if (n > 0) std::memcpy(buffer, data_.data() + position_, n);
  position_ += n;
  return n;
}

void CMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}
