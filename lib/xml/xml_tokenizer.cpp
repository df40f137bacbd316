#include "lib/xml/xml_tokenizer.h"

#include <algorithm>
#include <cstring>

#include "lib/foundation/errors.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

char FoldLatin(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c; }

// `prefix` is upper case.
bool StartsWithNoCase(const char* begin, const char* end, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (static_cast<size_t>(end - begin) < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (FoldLatin(begin[i]) != prefix[i]) return false;
  }
  return true;
}

// Removes every pair `first` `second`; in a tag, a pair outside a quoted
// value becomes a space, so that a name broken off by a line end does not
// run into the attribute on the next line.
void RemovePairs(std::string& text, char first, char second, bool tag) {
  size_t out = 0;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == first && i + 1 < text.size() && text[i + 1] == second) {
      ++i;
      if (tag && quote == 0) text[out++] = ' ';
      continue;
    }
    if (quote == 0 && (c == '"' || c == '\'')) {
      quote = c;
    } else if (c == quote) {
      quote = 0;
    }
    text[out++] = c;
  }
  text.resize(out);
}

bool IsElementTag(XMLToken kind) {
  return kind == XMLToken::StartTag || kind == XMLToken::EndTag || kind == XMLToken::EmptyTag;
}

void CollapseSpaces(std::string& text) {
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ' && out > 0 && text[out - 1] == ' ') continue;
    text[out++] = text[i];
  }
  text.resize(out);
}

}  // namespace

TXMLTokenizer::TXMLTokenizer(CMemoryStream& stream)
    : Stream(stream), Buffer(new char[kBufferSize]) {
  Buffer[0] = 0;
  DataEnd = Current = TokenStart = Buffer.get();
  NextToken();
}

XMLToken TXMLTokenizer::NextToken() {
  TextValid = false;
  ++Number;
  if (!SkipBlanks()) {
    TokenStart = Current;
    Kind = XMLToken::End;
    return Kind;
  }
  TokenStart = Current;
  if (*Current == '<') {
    ReadTag();
  } else {
    ReadText();
  }
  return Kind;
}

const std::string& TXMLTokenizer::TokenString() const {
  if (TextValid) return Text;
  Text.assign(TokenStart, Current);
  if (Kind != XMLToken::CData) {
    const bool tag = IsElementTag(Kind);
    if (Text.find('\r') != std::string::npos) {
      RemovePairs(Text, '\r', '\n', tag);
      RemovePairs(Text, '\n', '\r', tag);
    }
    if (Text.find("  ") != std::string::npos) CollapseSpaces(Text);
  }
  TextValid = true;
  return Text;
}

bool TXMLTokenizer::SkipBlanks() {
  for (;;) {
    const char c = *Current;
    if (!IsBlank(c)) return true;
    if (c != 0) {
      ++Current;
    } else if (Current != DataEnd || StreamEnded) {
      return false;  // a zero byte of the text, or the end of the input
    } else {
      Refill(Current);
    }
  }
}

void TXMLTokenizer::ReadText() {
  char* p = Current;
  while (*p != '<' && *p != 0) ++p;
  while (IsBlank(p[-1])) --p;  // the run starts with a byte above 32
  Current = p;
  Kind = XMLToken::Text;
}

void TXMLTokenizer::ReadTag() {
  char* p = Current + 1;
  FindTagEnd(p);
  ++p;
  if (StartsWithNoCase(TokenStart, p, "<?")) {
    Kind = XMLToken::Declaration;
  } else if (StartsWithNoCase(TokenStart, p, "<!--")) {
    Kind = XMLToken::Comment;
  } else if (StartsWithNoCase(TokenStart, p, "<![CDATA[")) {
    Kind = XMLToken::CData;
    FindCDataEnd(p);
  } else if (p - TokenStart >= 3 && p[-2] == '/') {
    Kind = XMLToken::EmptyTag;
  } else if (TokenStart[1] == '/') {
    Kind = XMLToken::EndTag;
  } else {
    Kind = XMLToken::StartTag;
  }
  Current = p;
}

// Leaves `p` on the ">" that closes the tag at `TokenStart`.
void TXMLTokenizer::FindTagEnd(char*& p) {
  for (;;) {
    while (*p != '>' && *p != 0) ++p;
    if (*p == '>') return;
    if (p != DataEnd || StreamEnded) FailUnclosed();
    if (TokenStart == Buffer.get()) FailTooLong();
    p -= Refill(TokenStart);
  }
}

// Extends the section from just after its first ">" up to and including
// "]]>". A section may be longer than the window: when the window ends inside
// it, only its last two bytes are kept, enough to find the end mark, and the
// token then starts there.
void TXMLTokenizer::FindCDataEnd(char*& p) {
  while (std::memcmp(p - 3, "]]>", 3) != 0) {
    for (;;) {
      while (*p != '>' && *p != 0) ++p;
      if (*p == '>') break;
      if (p != DataEnd || StreamEnded) FailUnclosed();
      p -= Refill(p - 2);
    }
    ++p;
  }
}

size_t TXMLTokenizer::Refill(const char* keep) {
  char* buffer = Buffer.get();
  const size_t shift = keep - buffer;
  const size_t kept = DataEnd - keep;
  std::memmove(buffer, keep, kept);
  Current = Current >= keep ? Current - shift : buffer;
  TokenStart = TokenStart >= keep ? TokenStart - shift : buffer;
  const size_t free = kWindowSize - kept;
  const size_t read = Stream.Read(buffer + kept, free);
  if (read < free) StreamEnded = true;
  DataEnd = buffer + kept + read;
  *DataEnd = 0;
  return shift;
}

std::string TXMLTokenizer::StopAtFailure() {
  constexpr size_t kShown = 64;
  const size_t length = DataEnd - TokenStart;
  std::string head(TokenStart, std::min(length, kShown));
  if (const size_t zero = head.find('\0'); zero != std::string::npos) head.resize(zero);
  if (length > kShown) head += "...";
  // What follows cannot be cut into tokens: the input ends here.
  Current = TokenStart = DataEnd;
  StreamEnded = true;
  Kind = XMLToken::End;
  TextValid = false;
  return head;
}

void TXMLTokenizer::FailUnclosed() {
  RaiseErrorFmt("Тег не закрыт до конца документа: [%s]", {StopAtFailure()});
}

void TXMLTokenizer::FailTooLong() {
  RaiseErrorFmt("Тег длиннее %d байт не может быть прочитан: [%s]", {kWindowSize, StopAtFailure()});
}
