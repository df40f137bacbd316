// The records of a packet: one document row, one applicant, and the common
// string and code fields of a packet. Texts are cp1251.
#pragma once

#include <cstdint>
#include <string>

// One document of a packet, filled when the document is added or read from
// an inventory.
struct TRegDoc {
  std::string DocTypeCode;
  std::string ContentType;
  std::string SourcePath;
  std::string OriginalFileName;
  std::string FileName;  // of the package file
  std::string SignatureFileName;
  std::string КодСВДРЕГ;
  std::string DocName;
  std::string DocumentCode;   // 32 lower-case hex digits
  int32_t PackageIndex = -1;  // -1: not known to be in the package
  std::string SignerRole;     // the role word
  std::string SignerSurname;
  std::string SignerName;
  std::string SignerPatronymic;
};

// One applicant.
struct TQuendaInfo {
  std::string ИННФЛ;
  std::string ОГРНИП;
  std::string Email;
  std::string Фамилия;
  std::string Имя;
  std::string Отчество;
};

// What the caller sets before saving; TransactionType, SenderType and
// ReceiverType are TRANSACTION_TYPES and SIGN_ROLE_TYPES values.
struct TPacketInfo {
  std::string ProgramVersion;
  std::string ReceiverId;  // the registering tax office
  std::string SenderId;
  std::string SignCertSha1;     // hex thumbprint of the signer's certificate
  std::string EncryptCertSha1;  // the receiver's, for encryption
  std::string ПрВысБум;
  std::string КодСФРД;
  std::string DocTypeCode;  // of the package; last field of its name
  uint16_t TransactionType = 0;
  uint16_t SenderType = 0;    // 0: the library's default
  uint16_t ReceiverType = 0;  // 0: the library's default
  std::string KindWord;       // of the package name; empty means "ИП"
  std::string КодМЮиЦБ;
};
