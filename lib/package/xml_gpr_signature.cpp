#include "lib/package/xml_gpr_signature.h"

#include "lib/foundation/errors.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/role_words.h"

namespace {
constexpr const char* kSignature = "подпись";
constexpr const char* kFileName = "имяФайла";
constexpr const char* kRole = "роль";
}  // namespace

void CXMLGprSignature::CheckFileName(const std::string& name) {
  CValueCheckTool::CheckExactLength(name, "FileName", 36);
}

void CXMLGprSignature::SetFileName(const std::string& name) {
  CheckFileName(name);
  file_name_ = name;
}

void CXMLGprSignature::WriteAttributes(CXMLTextWriter& writer) {
  writer.WriteAttribute(kFileName, file_name_);
  writer.WriteAttribute(kRole, SignRoleToText(role_));
}

std::string CXMLGprSignature::ReadAttributes(CXMLTextReader& reader) {
  SetFileName(reader.ReadAttribute(kFileName));
  return reader.ReadAttribute(kRole);
}

void CXMLGprSignature::TakeRole(const std::string& word) { role_ = SignRoleFromText(word); }

void CXMLGprSignature::WriteXML(CXMLTextWriter& writer) {
  writer.StartElement(kSignature);
  WriteAttributes(writer);
  writer.EndElement();
}

void CXMLGprSignature::ReadXML(CXMLTextReader& reader) {
  const std::string role = ReadAttributes(reader);
  reader.ReadElement(kSignature);
  TakeRole(role);
}

std::string CXMLGprSignatureCollection::GetItemTag() { return kSignature; }

std::unique_ptr<CXMLGprExtSignature> CXMLGprExtSignature::Create(int depth) {
  if (depth > kMaxResignDepth) {
    RaiseErrorFmt("Глубина вложенности подписей [%0:d] больше [%1:d]", {depth, kMaxResignDepth});
  }
  std::unique_ptr<CXMLGprExtSignature> signature(new CXMLGprExtSignature(depth));
  signature->Init();
  return signature;
}

void CXMLGprExtSignature::Init() { resigns_ = CreateResignCollection(); }

std::unique_ptr<CXMLGprExtSignatureCollection> CXMLGprExtSignature::CreateResignCollection() {
  return std::make_unique<CXMLGprExtSignatureCollection>(depth_ + 1);
}

void CXMLGprExtSignature::WriteXML(CXMLTextWriter& writer) {
  writer.StartElement(kSignature);
  WriteAttributes(writer);
  resigns_->WriteXML(writer);
  writer.EndElement();
}

namespace {

// Raises the reader's "Не найден ожидаемый узел" for a "подпись" that is not
// current, with the reader's own description of what it finds there.
void CheckSignatureTag(CXMLTextReader& reader) {
  if (!reader.IsElement(kSignature)) reader.ReadElement(kSignature);
}

[[noreturn]] void FailMissingEnd(CXMLTextReader& reader) {
  // The reader describes the next tag it finds; past a stray end tag that
  // is the one after it.
  reader.ReadElement(kSignature);
  RaiseErrorFmt("Не найден ожидаемый узел [%s] (вместо найденного %s)", {kSignature, ""});
}

}  // namespace

void CXMLGprExtSignature::MoveOn(CXMLTextReader& reader) {
  if (depth_ == 0) {
    // Up to the next start or empty tag, passing end tags by.
    reader.NextTagOrEnd();
    reader.SkipToTag();
  } else {
    reader.NextTagOrEnd();
  }
}

void CXMLGprExtSignature::ReadXML(CXMLTextReader& reader) {
  const std::string role = ReadAttributes(reader);
  CheckSignatureTag(reader);
  if (!reader.IsEmptyElement()) {
    reader.NextTagOrEnd();
    resigns_->ReadXML(reader);
    if (!reader.IsEndElement(kSignature)) FailMissingEnd(reader);
  }
  MoveOn(reader);
  TakeRole(role);
}
