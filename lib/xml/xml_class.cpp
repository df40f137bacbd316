#include "lib/xml/xml_class.h"

#include "lib/foundation/file_routines.h"

CXMLClass::CXMLClass()
    : OwnWriter(std::make_unique<CXMLTextWriter>()),
      OwnReader(std::make_unique<CXMLTextReader>()) {}

void CXMLClass::SaveTo(CXMLTextWriter* writer) {
  Safe([&] { WriteXML(writer != nullptr ? *writer : *OwnWriter); });
}

void CXMLClass::LoadFrom(CXMLTextReader* reader) {
  Safe([&] { ReadXML(reader != nullptr ? *reader : *OwnReader); });
}

void CXMLClass::SaveToFile(const std::string& file_name) {
  OwnWriter->Reset();
  SaveTo(OwnWriter.get());
  const std::string text = OwnWriter->GetXML();
  if (!text.empty()) WriteBufferToFileMapped(file_name, text.data(), text.size());
}

void CXMLClass::SetXMLText(const std::string& text) {
  OwnReader->Clear();
  OwnReader->SetXML(text);
}

void CXMLClass::Load() { LoadFrom(OwnReader.get()); }
