// One certificate of the settings dialog's list: a private key of the key
// catalogue as the library reports it. Texts are cp1251.
#pragma once

#include <cstdint>
#include <string>

struct TCertInfo {
  std::string Issuer;
  std::string Subject;
  std::string SubjectCN;  // the list shows it
  std::string Sha1;       // 40 upper-case hex digits
  uint16_t SignRole = 0;
  uint16_t IssuerRole = 0;     // 3: issued by the notaries' authority
  uint8_t IsActingNotary = 0;  // 1: in the acting-notary list
};
