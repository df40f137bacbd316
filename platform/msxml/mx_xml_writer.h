// The SAX writer the library writes its XML through (the platform's
// MXXMLWriter with its content handler): a small emitter of code page 1251
// text that only ever produces well-formed XML.
//
// Output: a declaration naming the encoding, then one tag a line (CR LF),
// indented by one tab per level; an element without children is written
// "<a/>"; attributes in the order given; in values only "<", ">", "&" and
// '"' are escaped, as "&lt;", "&gt;", "&amp;" and "&quot;" (the library's
// reader decodes exactly these, and no character references).
//
// Every call returns 0 (S_OK) or a failure, after which `ErrorDescription`
// names what was refused and the output is as it was: E_INVALIDARG
// (0x80070057) for a name XML does not allow, E_UNEXPECTED (0x8000FFFF) for
// a call out of order (a declaration after content, a second root element,
// an end tag that does not close the innermost open element, the end of the
// document with elements open).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/unknwn.h"
#include "platform/msxml/sax_attributes.h"

class MXXMLWriter {
 public:
  // The name the declaration gives the encoding; "UTF-16" until set. The
  // bytes written are the caller's cp1251 text whatever the name says.
  HRESULT put_encoding(std::string_view encoding);
  // Line breaks and indentation; off until set.
  HRESULT put_indent(bool indent);
  // Everything written so far.
  HRESULT get_output(std::string& output) const;

  HRESULT startDocument();
  HRESULT startElement(std::string_view qname, const SAXAttributes& attributes);
  HRESULT endElement(std::string_view qname);
  HRESULT endDocument();

  const std::string& ErrorDescription() const { return error_; }

 private:
  HRESULT Fail(HRESULT code, std::string description);
  void BreakLine(size_t depth);
  void CloseStartTag();

  std::string encoding_ = "UTF-16";
  bool indent_ = false;
  std::string output_;
  std::vector<std::string> open_;  // names of the open elements, innermost last
  bool start_tag_open_ = false;    // the innermost start tag still lacks its ">"
  bool root_written_ = false;
  bool ended_ = false;
  std::string error_;
};
