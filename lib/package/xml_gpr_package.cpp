#include "lib/package/xml_gpr_package.h"

#include "lib/foundation/guid_routines.h"
#include "lib/foundation/value_check_tool.h"

namespace {
constexpr const char* kRoot = "ТрансИнф";
constexpr const char* kFormatVersion = "версияФормата";
constexpr const char* kThreadTypeCode = "кодТипаДокументооборота";
constexpr const char* kThreadType = "типДокументооборота";
constexpr const char* kTransactTypeCode = "кодТипаТранзакции";
constexpr const char* kTransactType = "типТранзакции";
constexpr const char* kFlowIdentifier = "идентификаторДокументооборота";
constexpr const char* kProgVersion = "ВерсПрог";
constexpr const char* kSpecialOperator = "спецоператор";
}  // namespace

std::unique_ptr<CXMLGprPackage> CXMLGprPackage::Create() {
  std::unique_ptr<CXMLGprPackage> package(new CXMLGprPackage());
  package->Init();
  return package;
}

void CXMLGprPackage::Init() {
  sender_ = CreateSubject("отправитель");
  special_operator_ = CreateSubject(kSpecialOperator);
  receiver_ = CreateSubject("получатель");
  documents_ = CreateDocumentCollection();
}

std::unique_ptr<CXMLGprSubject> CXMLGprPackage::CreateSubject(const std::string& element_name) {
  return std::make_unique<CXMLGprSubject>(element_name);
}

std::unique_ptr<CXMLGprDocumentCollection> CXMLGprPackage::CreateDocumentCollection() {
  return std::make_unique<CXMLGprDocumentCollection>();
}

void CXMLGprPackage::SetThreadType(const std::string& type) {
  CValueCheckTool::CheckMaxLength(type, "ThreadType", 50);
  thread_type_ = type;
}

void CXMLGprPackage::SetThreadTypeCode(const std::string& code) {
  CValueCheckTool::CheckExactLength(code, "ThreadTypeCode", 2);
  thread_type_code_ = code;
}

void CXMLGprPackage::SetTransactType(const std::string& type) {
  CValueCheckTool::CheckMaxLength(type, "TransactType", 50);
  transact_type_ = type;
}

void CXMLGprPackage::SetTransactTypeCode(const std::string& code) {
  CValueCheckTool::CheckExactLength(code, "TransactTypeCode", 2);
  transact_type_code_ = code;
}

void CXMLGprPackage::SetProgVersion(const std::string& version) {
  CValueCheckTool::CheckStrLength(version, 1, 40, "ProgVersion");
  prog_version_ = version;
}

std::string CXMLGprPackage::SaveToText() {
  Writer().Reset();
  SaveTo(&Writer());
  return Writer().GetXML();
}

void CXMLGprPackage::WriteXML(CXMLTextWriter& writer) {
  if (flow_identifier_.empty()) flow_identifier_ = NewGuidHex();
  writer.StartDocument();
  writer.StartElement(kRoot);
  writer.WriteAttribute(kFormatVersion, "ЗЮК:1.0");
  writer.WriteAttribute(kThreadTypeCode, thread_type_code_);
  writer.WriteAttribute(kThreadType, thread_type_);
  writer.WriteAttribute(kTransactTypeCode, transact_type_code_);
  writer.WriteAttribute(kTransactType, transact_type_);
  writer.WriteAttribute(kFlowIdentifier, flow_identifier_);
  writer.WriteAttribute(kProgVersion, prog_version_);
  sender_->SaveTo(&writer);
  if (!special_operator_->SubjectIdentifier().empty()) special_operator_->SaveTo(&writer);
  receiver_->SaveTo(&writer);
  documents_->WriteXML(writer);
  writer.EndElement();
  writer.EndDocument();
}

void CXMLGprPackage::ReadXML(CXMLTextReader& reader) {
  reader.FindElement(kRoot);
  thread_type_ = reader.ReadAttribute(kThreadType);
  thread_type_code_ = reader.ReadAttribute(kThreadTypeCode);
  transact_type_ = reader.ReadAttribute(kTransactType);
  transact_type_code_ = reader.ReadAttribute(kTransactTypeCode);
  flow_identifier_ = reader.ReadAttribute(kFlowIdentifier);
  prog_version_ = reader.ReadAttribute(kProgVersion);
  reader.ReadElement(kRoot);
  sender_->LoadFrom(&reader);
  if (reader.CurrentElementName() == kSpecialOperator) special_operator_->LoadFrom(&reader);
  receiver_->LoadFrom(&reader);
  documents_->ReadXML(reader);
}

std::unique_ptr<CXMLGprExtPackage> CXMLGprExtPackage::Create() {
  std::unique_ptr<CXMLGprExtPackage> package(new CXMLGprExtPackage());
  package->Init();
  return package;
}

std::unique_ptr<CXMLGprDocumentCollection> CXMLGprExtPackage::CreateDocumentCollection() {
  return std::make_unique<CXMLGprExtDocumentCollection>();
}
