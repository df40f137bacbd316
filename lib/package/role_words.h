// Words of the subject types (типСубъекта) and signer roles (роль) of the
// transport description and their internal codes. Codes 1 and 4 are both
// written "абонент"; the word reads back as 4.
#pragma once

#include <cstdint>
#include <string>

const char* SubjectTypeToText(uint8_t code);
uint8_t SubjectTypeFromText(const std::string& word);
const char* SignRoleToText(uint8_t code);
uint8_t SignRoleFromText(const std::string& word);
