#include "lib/xml/xml_tag_attributes.h"

#include <algorithm>

#include "lib/foundation/errors.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

bool EndsName(char c) {
  return IsBlank(c) || c == '=' || c == '>' || c == '/' || c == '"' || c == '\'';
}

// The tag's start for a message: a tag may be as long as the reader's window.
std::string Shown(std::string_view tag) {
  constexpr size_t kShown = 64;
  return tag.size() <= kShown ? std::string(tag) : std::string(tag.substr(0, kShown)) + "...";
}

class TagParser {
 public:
  explicit TagParser(std::string_view tag) : tag_(tag) {}

  std::vector<XMLTagAttribute> Parse() {
    std::vector<XMLTagAttribute> attributes;
    if (tag_.empty() || tag_[0] != '<') return attributes;
    pos_ = 1;
    while (pos_ < tag_.size() && !EndsName(tag_[pos_])) ++pos_;  // the element name
    for (;;) {
      SkipBlanks();
      if (AtTagEnd()) return attributes;
      const XMLTagAttribute attribute = ParsePair();
      const bool repeated =
          std::any_of(attributes.begin(), attributes.end(),
                      [&](const XMLTagAttribute& a) { return a.name == attribute.name; });
      if (repeated) Fail("Атрибут [%0:s] указан в теге дважды: %1:s", attribute.name);
      attributes.push_back(attribute);
    }
  }

 private:
  void SkipBlanks() {
    while (pos_ < tag_.size() && IsBlank(tag_[pos_])) ++pos_;
  }

  // ">", "/>" or "?>" (a declaration), or the end of a text cut short.
  bool AtTagEnd() const {
    if (pos_ >= tag_.size() || tag_[pos_] == '>') return true;
    return (tag_[pos_] == '/' || tag_[pos_] == '?') && pos_ + 1 < tag_.size() &&
           tag_[pos_ + 1] == '>';
  }

  XMLTagAttribute ParsePair() {
    const size_t start = pos_;
    while (pos_ < tag_.size() && !EndsName(tag_[pos_])) ++pos_;
    const std::string_view name = tag_.substr(start, pos_ - start);
    if (name.empty()) Fail("Неверная запись атрибутов в теге: %1:s", name);
    SkipBlanks();
    if (pos_ >= tag_.size() || tag_[pos_] != '=') {
      Fail("У атрибута [%0:s] нет значения в кавычках: %1:s", name);
    }
    ++pos_;
    SkipBlanks();
    if (pos_ >= tag_.size() || (tag_[pos_] != '"' && tag_[pos_] != '\'')) {
      Fail("У атрибута [%0:s] нет значения в кавычках: %1:s", name);
    }
    const char quote = tag_[pos_++];
    const size_t close = tag_.find(quote, pos_);
    if (close == std::string_view::npos) {
      Fail("Не закрыта кавычка значения атрибута [%0:s]: %1:s", name);
    }
    const std::string_view value = tag_.substr(pos_, close - pos_);
    pos_ = close + 1;
    return {name, value};
  }

  [[noreturn]] void Fail(const char* format, std::string_view name) const {
    RaiseErrorFmt(format, {name, Shown(tag_)});
  }

  std::string_view tag_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<XMLTagAttribute> ParseTagAttributes(std::string_view tag) {
  return TagParser(tag).Parse();
}
