// Writes the library's XML documents as code page 1251 text labelled
// encoding="windows-1251", through the SAX writer. Elements and attributes
// only: there is no text content, comment or processing instruction.
//
// Order of calls: `Reset` (or a new writer), `StartDocument`, then for each
// element `StartElement`, its attributes, its children, `EndElement`; finally
// `EndDocument` and `GetXML`. A start tag is held back until the element's
// first child or its end, so that its attributes can still be added; an
// attribute written after a child was started never reaches the output.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lib/foundation/base_class.h"
#include "platform/msxml/mx_xml_writer.h"
#include "platform/msxml/sax_attributes.h"

class CXMLTextWriter : public CBaseClass {
 public:
  CXMLTextWriter();

  // Discards everything written and starts afresh.
  void Reset();
  void StartDocument();
  // Raises "Нельзя добавить элемент, уже есть содержимое" after the end of
  // the document.
  void StartElement(const std::string& name);
  // With no element open, does nothing. Raises "Нельзя добавить атрибут, уже
  // есть содержимое" after the end of the document and "Попытка записи
  // пустого значения в атрибут [%s]" for an empty value: callers skip
  // optional attributes themselves.
  void WriteAttribute(const std::string& name, const std::string& value);
  // "true" or "false".
  void WriteBoolAttribute(const std::string& name, bool value);
  void EndElement();
  // Closes every element still open, innermost first; nothing can be added
  // afterwards.
  void EndDocument();
  // The text written so far; does not change the state.
  std::string GetXML();

 private:
  struct OpenElement {
    std::string name;
    SAXAttributes attributes;
  };

  void PassStartTag();
  // Raises the failure of a SAX writer call in the form of a failed system
  // call, "0x%.8x (%d): " and the writer's description.
  static void CheckResult(HRESULT result, const std::string& description);

  std::unique_ptr<MXXMLWriter> Writer;
  // The innermost element's start tag has not been passed to the writer yet.
  bool StartTagPending = false;
  // False once the document has been ended.
  bool CanWrite = true;
  std::vector<OpenElement> Elements;  // innermost last
};
