// Cuts 8-bit XML text into tags and text runs through one fixed window.
//
// The window is a 1 MiB buffer: bytes are read from the stream into it, and
// a zero byte after the last one read ends it, so the scanning loops need no
// bounds of their own. A tag that would cross the end of the window is moved
// to the start of the buffer together with what follows, and the rest of the
// buffer is filled again; a tag longer than the window, or one still open
// at the end of the input, is refused with an error. A zero byte inside the
// text ends the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "lib/xml/memory_stream.h"

enum class XMLToken : uint8_t {
  End = 0,
  Comment = 6,
  Declaration = 8,  // "<?xml" and every other processing instruction
  Text = 9,
  StartTag = 10,
  EndTag = 11,
  EmptyTag = 12,
  CData = 13,
};

class TXMLTokenizer {
 public:
  static constexpr size_t kBufferSize = 1 << 20;
  // The last slot of the buffer holds the zero that ends the window.
  static constexpr size_t kWindowSize = kBufferSize - 1;

  // Reads from `stream`, which must outlive the tokenizer, and reads the
  // first token.
  explicit TXMLTokenizer(CMemoryStream& stream);
  TXMLTokenizer(const TXMLTokenizer&) = delete;
  TXMLTokenizer& operator=(const TXMLTokenizer&) = delete;

  // Moves to the next token and returns its kind; at the end of the input it
  // stays there and keeps returning `End`. Raises for a tag it cannot read
  // whole, and then stands at the end of the input.
  XMLToken NextToken();
  XMLToken TokenKind() const { return Kind; }
  // Counts the tokens read, the first one being 1: tells the tokens apart
  // where their texts may be equal.
  uint64_t TokenNumber() const { return Number; }
  // The current token's bytes; except in a CDATA section, every CR LF pair
  // and then every LF CR pair is removed and runs of spaces become one space.
  // In a start, end or empty-element tag a pair outside a quoted value
  // becomes a space instead: it separates what it stands between.
  const std::string& TokenString() const;

 private:
  bool SkipBlanks();
  void ReadTag();
  void ReadText();
  void FindTagEnd(char*& p);
  void FindCDataEnd(char*& p);
  // Moves the bytes from `keep` on to the start of the buffer, fills the
  // rest from the stream and returns how far the kept bytes moved.
  size_t Refill(const char* keep);
  // Leaves the tokenizer at the end of the input and returns the start of
  // the tag it could not read, for the message.
  std::string StopAtFailure();
  [[noreturn]] void FailUnclosed();
  [[noreturn]] void FailTooLong();

  CMemoryStream& Stream;
  std::unique_ptr<char[]> Buffer;
  char* DataEnd;  // the zero that ends the window
  char* Current;
  char* TokenStart;
  bool StreamEnded = false;
  XMLToken Kind = XMLToken::End;
  uint64_t Number = 0;
  mutable std::string Text;
  mutable bool TextValid = false;
};
