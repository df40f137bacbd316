#include "lib/xml/xml_class.h"

#include "lib/foundation/file_routines.h"

CXMLClass::CXMLClass() = default;

CXMLTextWriter& CXMLClass::Writer() {
  if (!OwnWriter) OwnWriter = std::make_unique<CXMLTextWriter>();
  return *OwnWriter;
}

CXMLTextReader& CXMLClass::Reader() {
  if (!OwnReader) OwnReader = std::make_unique<CXMLTextReader>();
  return *OwnReader;
}

void CXMLClass::SaveTo(CXMLTextWriter* writer) {
  Safe([&] { WriteXML(writer != nullptr ? *writer : Writer()); });
}

void CXMLClass::LoadFrom(CXMLTextReader* reader) {
  Safe([&] { ReadXML(reader != nullptr ? *reader : Reader()); });
}

void CXMLClass::SaveToFile(const std::string& file_name) {
  CXMLTextWriter& writer = Writer();
  writer.Reset();
  SaveTo(&writer);
  const std::string text = writer.GetXML();
  if (!text.empty()) WriteBufferToFileMapped(file_name, text.data(), text.size());
}

void CXMLClass::SetXMLText(const std::string& text) {
  CXMLTextReader& reader = Reader();
  reader.Clear();
  reader.SetXML(text);
}

void CXMLClass::Load() { LoadFrom(&Reader()); }
