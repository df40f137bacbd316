// The reader of "regopf.xml": the names of the legal forms. Texts are cp1251.
#pragma once

#include <string>
#include <vector>

class TXMLRegOpf {
 public:
  // Appends every name to `target` (not cleared first). Never raises: false
  // with the prefix and the error's text in `message`; the names read before
  // the error stay.
  bool Load(const std::string& path, std::vector<std::string>& target, std::string& message);
};
