#include "lib/xml/xml_text_reader.h"

#include "lib/foundation/errors.h"
#include "lib/xml/xml_tag_attributes.h"
#include "platform/kernel/codepage.h"

namespace {

bool IsTagKind(XMLToken kind) {
  return kind == XMLToken::End || kind == XMLToken::StartTag || kind == XMLToken::EmptyTag;
}

// Every occurrence, left to right, case-sensitive.
void ReplaceExact(std::string& text, const std::string& from, const std::string& to) {
  size_t pos = text.find(from);
  if (pos == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  size_t start = 0;
  while (pos != std::string::npos) {
    out.append(text, start, pos - start);
    out += to;
    start = pos + from.size();
    pos = text.find(from, start);
  }
  out.append(text, start, std::string::npos);
  text = std::move(out);
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool FoldedEquals(const std::string& text, const char* word) {
  size_t i = 0;
  for (; word[i] != 0; ++i) {
    if (i >= text.size()) return false;
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    if (c != word[i]) return false;
  }
  return i == text.size();
}

}  // namespace

CXMLTextReader::CXMLTextReader()
    : Stream(std::make_unique<CMemoryStream>()),
      Tokenizer(std::make_unique<TXMLTokenizer>(*Stream)) {}

void CXMLTextReader::SetXML(const std::string& text) {
  Safe([&] {
    const std::string_view first_line = std::string_view(text).substr(0, text.find("\r\n"));
    const bool utf8 = first_line.find("encoding=\"utf-8\"") != std::string_view::npos;
    auto stream = std::make_unique<CMemoryStream>(utf8 ? Utf8ToAnsi(text) : text);
    auto tokenizer = std::make_unique<TXMLTokenizer>(*stream);
    Tokenizer = std::move(tokenizer);  // the old tokenizer goes before its stream
    Stream = std::move(stream);
    AttributesToken = 0;
  });
}

void CXMLTextReader::Clear() {
  Safe([&] {
    Stream->Clear();
    Tokenizer = std::make_unique<TXMLTokenizer>(*Stream);
    AttributesToken = 0;
  });
}

void CXMLTextReader::SkipToTag() {
  while (!IsTagKind(Tokenizer->TokenKind())) Tokenizer->NextToken();
}

bool CXMLTextReader::IsElement(const std::string& name) const {
  return !name.empty() && CurrentElementName() == name;
}

// The name ends where the tag's first pair or its end begins, as XML reads
// it; a "<" further on in the tag, inside a value, names nothing.
std::string CXMLTextReader::CurrentElementName() const {
  const std::string& text = Tokenizer->TokenString();
  const size_t open = text.find('<');
  if (open == std::string::npos) return std::string();
  size_t end = open + 1;
  while (end < text.size() && !IsBlank(text[end]) && text[end] != '/' && text[end] != '>') ++end;
  if (end == text.size()) return std::string();
  std::string name = text.substr(open + 1, end - open - 1);
  if (name.find('<') != std::string::npos) return std::string();
  return name;
}

void CXMLTextReader::ReadElement(const std::string& name) {
  Safe([&] {
    SkipToTag();
    if (!name.empty() && !IsElement(name)) RaiseExpected(name);
    Tokenizer->NextToken();
    SkipToTag();
  });
}

void CXMLTextReader::RaiseExpected(const std::string& name) const {
  RaiseErrorFmt("Не найден ожидаемый узел [%s] (вместо найденного %s)",
                {name, Tokenizer->TokenString()});
}

void CXMLTextReader::FindElement(const std::string& name) {
  Safe([&] {
    for (;;) {
      SkipToTag();
      if (IsElement(name)) return;
      if (Tokenizer->TokenKind() == XMLToken::End) {
        RaiseErrorFmt("Элемент [%s] не найден", {name});
      }
      Tokenizer->NextToken();
    }
  });
}

std::string CXMLTextReader::ReadAttribute(const std::string& name) {
  return Safe([&] {
    std::string value = AttributeValue(name);
    if (value.find('&') != std::string::npos) {
      ReplaceExact(value, "&quot;", "\"");
      ReplaceExact(value, "&lt;", "<");
      ReplaceExact(value, "&gt;", ">");
      // Last, so that "&amp;lt;" reads as "&lt;": values come back as written.
      ReplaceExact(value, "&amp;", "&");
    }
    return value;
  });
}

std::string CXMLTextReader::AttributeValue(const std::string& name) {
  if (AttributesToken != Tokenizer->TokenNumber()) {
    Attributes = ParseTagAttributes(Tokenizer->TokenString());
    AttributesToken = Tokenizer->TokenNumber();
  }
  for (const XMLTagAttribute& attribute : Attributes) {
    if (attribute.name == name) return std::string(attribute.value);
  }
  return std::string();
}

bool CXMLTextReader::ReadBoolAttribute(const std::string& name) {
  return Safe([&] {
    const std::string value = ReadAttribute(name);
    return FoldedEquals(value, "TRUE") || value == "1";
  });
}

void CXMLTextReader::NextTagOrEnd() {
  Tokenizer->NextToken();
  for (;;) {
    const XMLToken kind = Tokenizer->TokenKind();
    if (IsTagKind(kind) || kind == XMLToken::EndTag) return;
    Tokenizer->NextToken();
  }
}

bool CXMLTextReader::IsEndElement(const std::string& name) const {
  if (Tokenizer->TokenKind() != XMLToken::EndTag) return false;
  const std::string& text = Tokenizer->TokenString();
  const std::string mark = "</" + name;
  if (text.compare(0, mark.size(), mark) != 0) return false;
  size_t i = mark.size();
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32) ++i;
  return i + 1 == text.size() && text[i] == '>';
}

bool CXMLTextReader::IsEndTagOrInputEnd() const {
  const XMLToken kind = Tokenizer->TokenKind();
  return kind == XMLToken::EndTag || kind == XMLToken::End;
}
