#include "lib/xml/xml_text_writer.h"

#include "lib/foundation/errors.h"

CXMLTextWriter::CXMLTextWriter() { Reset(); }

void CXMLTextWriter::Reset() {
  Elements.clear();
  Writer = std::make_unique<MXXMLWriter>();
  CheckResult(Writer->put_encoding("windows-1251"), Writer->ErrorDescription());
  CheckResult(Writer->put_indent(true), Writer->ErrorDescription());
  CanWrite = true;
  StartTagPending = false;
}

void CXMLTextWriter::StartDocument() {
  Safe([&] { CheckResult(Writer->startDocument(), Writer->ErrorDescription()); });
}

void CXMLTextWriter::StartElement(const std::string& name) {
  Safe([&] {
    if (!CanWrite) RaiseError("Нельзя добавить элемент, уже есть содержимое");
    PassStartTag();
    Elements.push_back({name, SAXAttributes()});
    StartTagPending = true;
    CanWrite = true;
  });
}

void CXMLTextWriter::WriteAttribute(const std::string& name, const std::string& value) {
  Safe([&] {
    if (!CanWrite) RaiseError("Нельзя добавить атрибут, уже есть содержимое");
    if (Elements.empty()) return;
    if (value.empty()) RaiseErrorFmt("Попытка записи пустого значения в атрибут [%s]", {name});
    SAXAttributes& attributes = Elements.back().attributes;
    CheckResult(attributes.addAttribute(name, value), attributes.ErrorDescription());
  });
}

void CXMLTextWriter::WriteBoolAttribute(const std::string& name, bool value) {
  Safe([&] { WriteAttribute(name, value ? "true" : "false"); });
}

void CXMLTextWriter::EndElement() {
  Safe([&] {
    PassStartTag();
    std::string name;
    if (!Elements.empty()) {
      name = std::move(Elements.back().name);
      Elements.pop_back();
      CanWrite = true;
    }
    CheckResult(Writer->endElement(name), Writer->ErrorDescription());
  });
}

void CXMLTextWriter::EndDocument() {
  Safe([&] {
    PassStartTag();
    while (!Elements.empty()) EndElement();
    CheckResult(Writer->endDocument(), Writer->ErrorDescription());
    CanWrite = false;
  });
}

std::string CXMLTextWriter::GetXML() {
  return Safe([&] {
    std::string text;
    CheckResult(Writer->get_output(text), Writer->ErrorDescription());
    return text;
  });
}

void CXMLTextWriter::PassStartTag() {
  if (!StartTagPending) return;
  const OpenElement& element = Elements.back();
  CheckResult(Writer->startElement(element.name, element.attributes), Writer->ErrorDescription());
  StartTagPending = false;
}

void CXMLTextWriter::CheckResult(HRESULT result, const std::string& description) {
  if (result >= 0) return;
  const auto code = static_cast<uint32_t>(result);
  RaiseErrorFmt("0x%.8x (%d): %s", {code, result, description});
}
