// The attribute list of one start tag, filled before the tag is written
// (the SAXAttributes object of the platform's SAX writer).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/unknwn.h"

class SAXAttributes {
 public:
  struct Attribute {
    std::string qname;
    std::string value;
  };

  // Appends an attribute; attributes are written in the order added. Names
  // and values are cp1251 text. Returns 0 (S_OK), or E_INVALIDARG
  // (0x80070057) for a name XML does not allow, a name already in the list
  // or a value holding a byte XML cannot carry; the attribute is then not
  // added and `ErrorDescription` names what was refused.
  HRESULT addAttribute(std::string_view qname, std::string_view value);
  void clear() { attributes_.clear(); }

  const std::vector<Attribute>& Attributes() const { return attributes_; }
  const std::string& ErrorDescription() const { return error_; }

 private:
  HRESULT Fail(std::string description);

  std::vector<Attribute> attributes_;
  std::string error_;
};
