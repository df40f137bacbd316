#include "platform/msxml/mx_xml_writer.h"

#include "platform/msxml/xml_names.h"

namespace {

constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057);
constexpr HRESULT kUnexpected = static_cast<HRESULT>(0x8000FFFF);

void AppendEscaped(std::string& out, std::string_view value) {
  for (char c : value) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

std::string Bracketed(std::string_view text) {
  std::string bracketed(1, '[');
  bracketed += text;
  bracketed += ']';
  return bracketed;
}

}  // namespace

HRESULT MXXMLWriter::put_encoding(std::string_view encoding) {
  bool valid = !encoding.empty();
  for (char c : encoding) {
    valid = valid && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || c == '.');
  }
  if (!valid) return Fail(kInvalidArg, "Недопустимое имя кодировки " + Bracketed(encoding));
  encoding_ = encoding;
  return 0;
}

HRESULT MXXMLWriter::put_indent(bool indent) {
  indent_ = indent;
  return 0;
}

HRESULT MXXMLWriter::get_output(std::string& output) const {
  output = output_;
  return 0;
}

HRESULT MXXMLWriter::startDocument() {
  if (!output_.empty())
    return Fail(kUnexpected, "Объявление XML может быть только в начале документа");
  output_ = "<?xml version=\"1.0\" encoding=\"" + encoding_ + "\"?>";
  return 0;
}

HRESULT MXXMLWriter::startElement(std::string_view qname, const SAXAttributes& attributes) {
  if (!IsXmlName(qname)) return Fail(kInvalidArg, "Недопустимое имя элемента " + Bracketed(qname));
  if (ended_ || (open_.empty() && root_written_)) {
    return Fail(kUnexpected, "Элемент " + Bracketed(qname) + " вне корневого элемента документа");
  }
  CloseStartTag();
  BreakLine(open_.size());
  output_ += '<';
  output_ += qname;
  for (const SAXAttributes::Attribute& a : attributes.Attributes()) {
    output_ += ' ';
    output_ += a.qname;
    output_ += "=\"";
    AppendEscaped(output_, a.value);
    output_ += '"';
  }
  start_tag_open_ = true;
  open_.emplace_back(qname);
  root_written_ = true;
  return 0;
}

HRESULT MXXMLWriter::endElement(std::string_view qname) {
  if (open_.empty()) {
    return Fail(kUnexpected, "Закрывающий тег " + Bracketed(qname) + " без открытого элемента");
  }
  if (open_.back() != qname) {
    return Fail(kUnexpected, "Закрывающий тег " + Bracketed(qname) +
                                 " не соответствует открытому элементу " + Bracketed(open_.back()));
  }
  if (start_tag_open_) {
    output_ += "/>";
    start_tag_open_ = false;
  } else {
    BreakLine(open_.size() - 1);
    output_ += "</";
    output_ += qname;
    output_ += '>';
  }
  open_.pop_back();
  return 0;
}

HRESULT MXXMLWriter::endDocument() {
  if (!open_.empty()) {
    return Fail(kUnexpected,
                "Документ завершается при открытом элементе " + Bracketed(open_.back()));
  }
  if (!ended_ && indent_ && !output_.empty()) output_ += "\r\n";
  ended_ = true;
  return 0;
}

HRESULT MXXMLWriter::Fail(HRESULT code, std::string description) {
  error_ = std::move(description);
  return code;
}

void MXXMLWriter::BreakLine(size_t depth) {
  if (!indent_ || output_.empty()) return;
  output_ += "\r\n";
  output_.append(depth, '\t');
}

void MXXMLWriter::CloseStartTag() {
  if (!start_tag_open_) return;
  output_ += '>';
  start_tag_open_ = false;
}
