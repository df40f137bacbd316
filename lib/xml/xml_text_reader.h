// Forward-only reading of element names and attribute values from 8-bit
// XML text, through the library's own tokenizer. Text content, comments,
// CDATA sections, declarations and processing instructions are skipped;
// nesting is not tracked.
//
// Reading one element: bring it to be current (`FindElement`, or it already
// is after the previous `ReadElement`), read its attributes, then
// `ReadElement` with its name, which checks it and moves on to the next
// start or empty-element tag, whether a child, a sibling or one further on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lib/foundation/base_class.h"
#include "lib/xml/memory_stream.h"
#include "lib/xml/xml_tag_attributes.h"
#include "lib/xml/xml_tokenizer.h"

class CXMLTextReader : public CBaseClass {
 public:
  // Stands at the end of an empty input.
  CXMLTextReader();

  // Starts reading `text` at its first token. When the text's first line
  // (up to the first CR LF, or all of it) holds encoding="utf-8" in exactly
  // those bytes, the text is taken as UTF-8 and converted to cp1251 first.
  // On failure the reader stays where it was.
  void SetXML(const std::string& text);
  // Drops the text; the reader then stands at the end of an empty input.
  void Clear();

  // Moves on until a start tag, an empty-element tag or the end.
  void SkipToTag();
  // The current tag's element name is `name`.
  bool IsElement(const std::string& name) const;
  // The bytes after the current tag's "<" up to a blank, "/" or ">"; "" at
  // the end of the input, for text and for an end tag.
  std::string CurrentElementName() const;
  // Skips to a tag; when `name` is not empty that tag must be it, else
  // raises "Не найден ожидаемый узел [%s] (вместо найденного %s)". Then moves
  // past it to the next tag.
  void ReadElement(const std::string& name);
  // Raises "Не найден ожидаемый узел [%s] (вместо найденного %s)" with
  // `name` and the current token's text; the reader stays where it is.
  [[noreturn]] void RaiseExpected(const std::string& name) const;
  // Skips forward to the element `name`, staying on it when it is current;
  // raises "Элемент [%s] не найден" at the end of the input.
  void FindElement(const std::string& name);
  // The value of the attribute in the current tag, "" when absent. The tag
  // is read as a run of name="value" (or name='value') pairs and the name is
  // matched exactly; a tag that is not such a run raises (see
  // `ParseTagAttributes`). "&quot;", "&lt;", "&gt;" and, last, "&amp;" are
  // decoded.
  std::string ReadAttribute(const std::string& name);
  // "true" or "1" in any case.
  bool ReadBoolAttribute(const std::string& name);
  bool IsEmptyElement() const { return Tokenizer->TokenKind() == XMLToken::EmptyTag; }
  // Like `SkipToTag` after one step, but also stops on an end tag.
  void NextTagOrEnd();
  // The current token is the end tag "</" + name, with blanks allowed
  // before its ">".
  bool IsEndElement(const std::string& name) const;
  // The current token is an end tag, or the input has ended: no element
  // stands here.
  bool IsEndTagOrInputEnd() const;

 private:
  // The raw value, from the current tag's pairs, parsed once per token.
  std::string AttributeValue(const std::string& name);

  // The tokenizer reads from the stream: it goes first.
  std::unique_ptr<CMemoryStream> Stream;
  std::unique_ptr<TXMLTokenizer> Tokenizer;
  // The pairs of the token numbered `AttributesToken` (0: none yet), as
  // views into the tokenizer's text of it.
  std::vector<XMLTagAttribute> Attributes;
  uint64_t AttributesToken = 0;
};
