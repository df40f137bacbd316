#include "platform/msxml/sax_attributes.h"

#include <cstdio>

#include "platform/msxml/xml_names.h"

namespace {

constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057);

}  // namespace

HRESULT SAXAttributes::addAttribute(std::string_view qname, std::string_view value) {
  if (!IsXmlName(qname)) return Fail("Недопустимое имя атрибута [" + std::string(qname) + "]");
  for (const Attribute& a : attributes_) {
    if (a.qname == qname) return Fail("Атрибут [" + std::string(qname) + "] уже задан");
  }
  const size_t bad = FindForbiddenByte(value);
  if (bad != std::string_view::npos) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(value[bad]));
    return Fail("Недопустимый символ с кодом " + std::string(code) + " в значении атрибута [" +
                std::string(qname) + "]");
  }
  attributes_.push_back({std::string(qname), std::string(value)});
  return 0;
}

HRESULT SAXAttributes::Fail(std::string description) {
  error_ = std::move(description);
  return kInvalidArg;
}
