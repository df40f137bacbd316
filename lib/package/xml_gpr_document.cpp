#include "lib/package/xml_gpr_document.h"

#include "lib/foundation/guid_routines.h"
#include "lib/foundation/value_check_tool.h"

namespace {
constexpr const char* kDocument = "документ";
constexpr const char* kContent = "содержимое";
constexpr const char* kTypeCode = "кодТипаДокумента";
constexpr const char* kType = "типДокумента";
constexpr const char* kContentType = "типСодержимого";
constexpr const char* kCompressed = "сжат";
constexpr const char* kEncrypted = "зашифрован";
constexpr const char* kCode = "идентификаторДокумента";
constexpr const char* kOriginalName = "исходноеИмяФайла";
constexpr const char* kFileName = "имяФайла";
}  // namespace

std::unique_ptr<CXMLGprDocument> CXMLGprDocument::Create() {
  std::unique_ptr<CXMLGprDocument> document(new CXMLGprDocument());
  document->Init();
  return document;
}

void CXMLGprDocument::Init() { signatures_ = CreateSignatureCollection(); }

std::unique_ptr<CXMLGprSignatureCollection> CXMLGprDocument::CreateSignatureCollection() {
  return std::make_unique<CXMLGprSignatureCollection>();
}

void CXMLGprDocument::CheckFileName(const std::string& name) {
  if (!name.empty()) CValueCheckTool::CheckExactLength(name, "FileName", 36);
}

void CXMLGprDocument::SetDocumentType(const std::string& type) {
  CValueCheckTool::CheckMaxLength(type, "DocumentType", 50);
  document_type_ = type;
}

void CXMLGprDocument::SetDocumentTypeCode(const std::string& code) {
  CValueCheckTool::CheckExactLength(code, "DocumentTypeCode", 2);
  document_type_code_ = code;
}

void CXMLGprDocument::SetContentType(const std::string& type) {
  CValueCheckTool::CheckNotEmpty(type, "ContentType");
  content_type_ = type;
}

void CXMLGprDocument::SetDocumentCode(const std::string& code) {
  CValueCheckTool::CheckExactLength(code, "DocumentCode", 32);
  document_code_ = code;
}

void CXMLGprDocument::SetFileName(const std::string& name) {
  CheckFileName(name);
  file_name_ = name;
}

void CXMLGprDocument::WriteXML(CXMLTextWriter& writer) {
  if (document_code_.empty()) document_code_ = NewGuidHex();
  writer.StartElement(kDocument);
  writer.WriteAttribute(kTypeCode, document_type_code_);
  writer.WriteAttribute(kType, document_type_);
  writer.WriteAttribute(kContentType, content_type_);
  writer.WriteBoolAttribute(kCompressed, compressed_);
  writer.WriteBoolAttribute(kEncrypted, encrypted_);
  writer.WriteAttribute(kCode, document_code_);
  if (!original_file_name_.empty()) writer.WriteAttribute(kOriginalName, original_file_name_);
  if (!file_name_.empty()) {
    writer.StartElement(kContent);
    writer.WriteAttribute(kFileName, file_name_);
    writer.EndElement();
  }
  signatures_->WriteXML(writer);
  writer.EndElement();
}

void CXMLGprDocument::ReadXML(CXMLTextReader& reader) {
  SetDocumentType(reader.ReadAttribute(kType));
  SetDocumentTypeCode(reader.ReadAttribute(kTypeCode));
  SetContentType(reader.ReadAttribute(kContentType));
  compressed_ = reader.ReadBoolAttribute(kCompressed);
  encrypted_ = reader.ReadBoolAttribute(kEncrypted);
  SetDocumentCode(reader.ReadAttribute(kCode));
  original_file_name_ = reader.ReadAttribute(kOriginalName);
  reader.ReadElement(kDocument);
  if (reader.CurrentElementName() == kContent) {
    file_name_ = reader.ReadAttribute(kFileName);
    reader.ReadElement(kContent);
  }
  // With its end tag passed by, the run may end on the next document.
  signatures_->ReadXML(reader, {kDocument});
}

std::string CXMLGprDocumentCollection::GetItemTag() { return kDocument; }

std::unique_ptr<CXMLGprExtDocument> CXMLGprExtDocument::Create() {
  std::unique_ptr<CXMLGprExtDocument> document(new CXMLGprExtDocument());
  document->Init();
  return document;
}

std::unique_ptr<CXMLGprSignatureCollection> CXMLGprExtDocument::CreateSignatureCollection() {
  return std::make_unique<CXMLGprExtSignatureCollection>(0);
}
