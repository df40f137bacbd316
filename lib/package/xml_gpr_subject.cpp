#include "lib/package/xml_gpr_subject.h"

#include "lib/foundation/value_check_tool.h"
#include "lib/package/role_words.h"

namespace {
constexpr const char* kIdentifier = "идентификаторСубъекта";
constexpr const char* kType = "типСубъекта";
}  // namespace

CXMLGprSubject::CXMLGprSubject(std::string element_name) : element_name_(std::move(element_name)) {}

void CXMLGprSubject::SetSubjectIdentifier(const std::string& identifier) {
  CValueCheckTool::CheckNotEmpty(identifier, "SubjectIdentifier");
  subject_identifier_ = identifier;
}

void CXMLGprSubject::WriteXML(CXMLTextWriter& writer) {
  writer.StartElement(element_name_);
  writer.WriteAttribute(kIdentifier, subject_identifier_);
  writer.WriteAttribute(kType, SubjectTypeToText(subject_type_));
  writer.EndElement();
}

void CXMLGprSubject::ReadXML(CXMLTextReader& reader) {
  SetSubjectIdentifier(reader.ReadAttribute(kIdentifier));
  const std::string word = reader.ReadAttribute(kType);
  reader.ReadElement(element_name_);
  subject_type_ = SubjectTypeFromText(word);
}
