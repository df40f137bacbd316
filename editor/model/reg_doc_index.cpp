#include "editor/model/reg_doc_index.h"

#include "editor/model/string_routines.h"

namespace {

// Only the Latin capitals are folded: the other bytes of cp1251 compare
// exactly.
char FoldedChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

TRegDocIndex::TRegDocIndex(const std::vector<std::unique_ptr<TRegDoc>>& rows) {
  rows_.reserve(rows.size());
  for (const auto& row : rows) rows_.emplace(row->DocumentCode, row.get());
}

TRegDoc* TRegDocIndex::Find(std::string_view code) const {
  const auto found = rows_.find(code);
  return found == rows_.end() ? nullptr : found->second;
}

size_t TRegDocIndex::FoldedHash::operator()(std::string_view code) const {
  // FNV-1a over the folded bytes.
  size_t hash = 14695981039346656037u;
  for (const char c : code) {
    hash ^= static_cast<unsigned char>(FoldedChar(c));
    hash *= 1099511628211u;
  }
  return hash;
}

bool TRegDocIndex::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
  return SameText(a, b);
}
