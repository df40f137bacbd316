// TCodeIndex: the positions of a packet's items (its rows, or its package's
// files) by document code, so that finding the items of many codes costs
// one pass over the items and constant time per code. Codes compare as
// SameText compares them, with only the letters a-z folded, and the first
// position of a code wins, as a walk from the start finds it. The index
// knows how many items it was built over: the packet builds it again when
// the number differs or when it drops it after a change of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class TCodeIndex {
 public:
  // Indexes items 0 to count - 1, the code of item i being `code_of(i)`.
  // An error raised by `code_of` leaves the index dropped.
  void Build(int32_t count, const std::function<std::string(int32_t)>& code_of);
  // Until the next Build, Covers is false for every count.
  void Drop();
  // True when the index was built over `count` items and not dropped since.
  bool Covers(int32_t count) const { return count_ >= 0 && count_ == count; }
  // -1 when no item has the code.
  int32_t Find(std::string_view code) const;

 private:
  struct FoldedHash {
    using is_transparent = void;
    size_t operator()(std::string_view code) const;
  };
  struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };

  std::unordered_map<std::string, int32_t, FoldedHash, FoldedEqual> positions_;
  int32_t count_ = -1;  // -1: dropped
};
