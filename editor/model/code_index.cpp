#include "editor/model/code_index.h"

#include <utility>

#include "editor/model/string_routines.h"

void TCodeIndex::Build(int32_t count, const std::function<std::string(int32_t)>& code_of) {
  Drop();
  decltype(positions_) positions;
  positions.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) positions.emplace(code_of(i), i);
  positions_ = std::move(positions);
  count_ = count;
}

void TCodeIndex::Drop() {
  positions_.clear();
  count_ = -1;
}

int32_t TCodeIndex::Find(std::string_view code) const {
  const auto found = positions_.find(code);
  return found == positions_.end() ? -1 : found->second;
}

size_t TCodeIndex::FoldedHash::operator()(std::string_view code) const {
  // FNV-1a over the bytes as SameText folds them.
  size_t hash = 14695981039346656037u;
  for (const char c : code) {
    hash ^= static_cast<unsigned char>(FoldLatin(c));
    hash *= 1099511628211u;
  }
  return hash;
}

bool TCodeIndex::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return SameText(a, b);
}
