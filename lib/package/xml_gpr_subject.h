// One party of the transport description: "отправитель", "спецоператор" or
// "получатель", with its identifier and subject type code.
#pragma once

#include <cstdint>
#include <string>

#include "lib/xml/xml_class.h"

class CXMLGprSubject : public CXMLClass {
 public:
  explicit CXMLGprSubject(std::string element_name);

  void WriteXML(CXMLTextWriter& writer) override;
  void ReadXML(CXMLTextReader& reader) override;

  const std::string& ElementName() const { return element_name_; }
  const std::string& SubjectIdentifier() const { return subject_identifier_; }
  // Refuses an empty identifier.
  void SetSubjectIdentifier(const std::string& identifier);
  // Internal code of the tables; 0 = not set, which cannot be written.
  uint8_t SubjectType() const { return subject_type_; }
  void SetSubjectType(uint8_t code) { subject_type_ = code; }

 private:
  const std::string element_name_;
  std::string subject_identifier_;
  uint8_t subject_type_ = 0;
};
