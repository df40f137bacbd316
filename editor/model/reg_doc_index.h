// TRegDocIndex: the document rows of a packet by their document codes, for
// finding the rows of many codes at once, each in constant time. Codes
// compare as TPacket::FindDocument compares them, with the letters a-z
// folded, and the first row of a code wins. The index refers to the rows
// and their codes without owning them: it serves while the rows stay as
// they were when it was made.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/model/packet_records.h"

class TRegDocIndex {
 public:
  explicit TRegDocIndex(const std::vector<std::unique_ptr<TRegDoc>>& rows);

  // Null when no row has the code.
  TRegDoc* Find(std::string_view code) const;

 private:
  struct FoldedHash {
    size_t operator()(std::string_view code) const;
  };
  struct FoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const;
  };

  std::unordered_map<std::string_view, TRegDoc*, FoldedHash, FoldedEqual> rows_;
};
