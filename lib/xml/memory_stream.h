// A block of bytes read from the front: the document text the XML reader
// walks.
#pragma once

#include <cstddef>
#include <string>

class CMemoryStream {
 public:
  CMemoryStream() = default;
  explicit CMemoryStream(std::string data) : data_(std::move(data)) {}

  // Copies up to `count` bytes from the position on and advances past them;
  // returns how many were copied (0 at the end).
  size_t Read(char* buffer, size_t count);
  // Size 0, position 0.
  void Clear();

  size_t Size() const { return data_.size(); }
  size_t Position() const { return position_; }

 private:
  std::string data_;
  size_t position_ = 0;
};
