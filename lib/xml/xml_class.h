// An object that writes itself through a `CXMLTextWriter` and reads itself
// through a `CXMLTextReader`: the base of every element class of the
// library's XML documents.
//
// `SaveTo` does not start or end the document: the root object's `WriteXML`
// calls `StartDocument` first and `EndDocument` last and passes its writer
// on to its children's `SaveTo`. Saving a root to a file is `SaveToFile`;
// loading one is `SetXMLText` followed by `Load`.
#pragma once

#include <memory>
#include <string>

#include "lib/foundation/base_class.h"
#include "lib/xml/xml_text_reader.h"
#include "lib/xml/xml_text_writer.h"

class CXMLClass : public CBaseClass {
 public:
  CXMLClass();

  // Writes the object's element (and its children) to `writer`.
  virtual void WriteXML(CXMLTextWriter& writer) = 0;
  // Reads the object's element from the reader's position and must leave
  // the reader past it (normally by ending with `ReadElement` on it).
  virtual void ReadXML(CXMLTextReader& reader) = 0;

  // `WriteXML` with `writer`, or with the object's own writer when null.
  void SaveTo(CXMLTextWriter* writer);
  // `ReadXML` with `reader`, or with the object's own reader when null.
  void LoadFrom(CXMLTextReader* reader);
  // Writes the object through its own writer, started afresh, and stores
  // exactly the text's bytes in the file; an empty text writes no file and
  // leaves an existing one untouched.
  void SaveToFile(const std::string& file_name);
  // Gives the object's own reader the document text to `Load` from.
  void SetXMLText(const std::string& text);
  void Load();

 protected:
  CXMLTextWriter& Writer();
  CXMLTextReader& Reader();

 private:
  // Made on first use: a document's element objects read and write through
  // their root's, so most of them never need their own, and a reader's
  // window is 1 MiB.
  std::unique_ptr<CXMLTextWriter> OwnWriter;
  std::unique_ptr<CXMLTextReader> OwnReader;
};
