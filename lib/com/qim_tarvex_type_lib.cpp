#include "lib/com/qim_tarvex_type_lib.h"

#include "include/tarvex_enums.h"
#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"

namespace {

// The types' indexes in the library, in their order there: coclasses name
// their default interface, enum-typed parameters their enumeration by it.
enum TypeIndex : uint32_t {
  kITarvex,
  kTarvex,
  kITarvexFile,
  kITarvexSignature,
  kSignRoleTypes,
  kTransactionTypes,
  kITarvexCrypt,
  kTarvexCrypt,
  kITarvexKey,
};

constexpr uint16_t kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

ParamDesc I4(const char* name = nullptr) { return {VT_I4, nullptr, name}; }
ParamDesc Bool(const char* name = nullptr) { return {VT_BOOL, nullptr, name}; }
ParamDesc Str(const char* name = nullptr) { return {VT_BSTR, nullptr, name}; }
ParamDesc Intf(const IID& iid, const char* name = nullptr) { return {VT_DISPATCH, &iid, name}; }
ParamDesc Key(const char* name = nullptr) { return Intf(ITarvexKey::kIid, name); }
// Enumerations travel as I4 and are typed by their enumeration.
ParamDesc Role(const char* name = nullptr) { return {VT_I4, nullptr, name, false, kSignRoleTypes}; }
ParamDesc Transaction(const char* name = nullptr) {
  return {VT_I4, nullptr, name, false, kTransactionTypes};
}
const ParamDesc kNone = {VT_EMPTY};

FuncDesc Method(const char* name, MEMBERID id, uint16_t slot, std::vector<ParamDesc> params,
                ParamDesc retval = kNone) {
  return {name, id, DISPATCH_METHOD, slot, std::move(params), retval};
}
FuncDesc Get(const char* name, MEMBERID id, uint16_t slot, ParamDesc value) {
  return {name, id, DISPATCH_PROPERTYGET, slot, {}, value};
}
// The put's parameter is unnamed.
FuncDesc Put(const char* name, MEMBERID id, uint16_t slot, ParamDesc value) {
  return {name, id, DISPATCH_PROPERTYPUT, slot, {value}, kNone};
}

TypeDesc Dual(const char* name, const IID& iid, std::vector<FuncDesc> funcs) {
  return {TKIND_DISPATCH, name, iid, kDualFlags, std::move(funcs), {}};
}

TypeDesc ITarvexType() {
  const ParamDesc file = Intf(ITarvexFile::kIid, "pResult");
  const ParamDesc signature = Intf(ITarvexSignature::kIid, "pResult");
  return Dual(
      "ITarvex", ITarvex::kIid,
      {
          Method("New", 0xC9, 7, {Transaction("enTransactionType")}, Bool("bResult")),
          Method("Open", 0xCA, 8, {Str("wsFilename")}, Bool("bResult")),
          Method("Close", 0xCB, 9, {}, Bool("bResult")),
          Method("Save", 0xCC, 10, {Str("wsFilename")}, Bool("bResult")),
          Method("Encrypt", 0xCD, 11, {Key("pKey")}, Bool("bResult")),
          Method("Decrypt", 0xCE, 12, {}, Bool("bResult")),
          Method("AddFile", 0xCF, 13,
                 {Str("wsDocType"), Str("wsDocTypeCode"), Str("wsContentType"), Str("wsFilename"),
                  Str("wsContent")},
                 file),
          Method("GetFileCount", 0xD0, 14, {}, I4("iResult")),
          Method("GetFile", 0xD1, 15, {I4("iIndex")}, file),
          Method("IsOpened", 0xD2, 16, {}, Bool("bResult")),
          Method("SignFile", 0xD3, 17, {Str("wsFilename"), Key("pKey")}, Bool("bResult")),
          Method("ReSignFile", 0xD4, 18, {Str("wsFilename"), Key("pKey")}, Bool("bResult")),
          Method("GetFileSignatureCount", 0xD5, 19, {I4("iIndex")}, I4("iResult")),
          Method("GetFileSignature", 0xD6, 20, {I4("iFileIndex"), I4("iSignIndex")}, signature),
          Method("GetFileResignCount", 0xD7, 21, {I4("iFileIndex"), I4("iSignIndex")},
                 I4("iResult")),
          Method("GetFileResign", 0xD8, 22,
                 {I4("iFileIndex"), I4("iSignIndex"), I4("iResignIndex")}, signature),
          Get("IsEncrypted", 0xD9, 23, Bool("Value")),
          Get("SenderType", 0xDA, 24, Role("Value")),
          Put("SenderType", 0xDA, 25, Role()),
          Get("SenderIdentifier", 0xDB, 26, Str("Value")),
          Put("SenderIdentifier", 0xDB, 27, Str()),
          Get("ReceiverType", 0xDC, 28, Role("Value")),
          Put("ReceiverType", 0xDC, 29, Role()),
          Get("ReceiverIdentifier", 0xDD, 30, Str("Value")),
          Put("ReceiverIdentifier", 0xDD, 31, Str()),
          Get("DocTransactType", 0xDE, 32, Transaction("Value")),
          Put("DocTransactType", 0xDE, 33, Transaction()),
          Method("DeleteFile", 0xDF, 34, {I4("iFileIndex")}, Bool("bResult")),
          Method("DeleteFileSignatures", 0xE0, 35, {I4("iFileIndex")}, Bool("bResult")),
          Method("DeleteFileResignatures", 0xE1, 36, {I4("iFileIndex"), I4("iSignIndex")},
                 Bool("bResult")),
          Method("EncryptByCertificate", 0xE2, 37, {Str("wsCertBody")}, Bool("bResult")),
          Get("FlagUsageUserStorage", 0xE3, 38, Bool("Value")),
          Put("FlagUsageUserStorage", 0xE3, 39, Bool()),
          Method("DeleteFileSignature", 0xE4, 40, {I4("iFileIndex"), I4("iSignIndex")},
                 Bool("bResult")),
      });
}

TypeDesc ITarvexFileType() {
  return Dual(
      "ITarvexFile", ITarvexFile::kIid,
      {
          Get("DocType", 0xC9, 7, Str("Value")),
          Get("DocTypeCode", 0xCA, 8, Str("Value")),
          Put("DocTypeCode", 0xCA, 9, Str()),
          Get("ContentType", 0xCB, 10, Str("Value")),
          Put("ContentType", 0xCB, 11, Str()),
          Get("IsCompressed", 0xCC, 12, Bool("Value")),
          Get("IsEncrypted", 0xCD, 13, Bool("Value")),
          Get("DocumentCode", 0xCE, 14, Str("Value")),
          Put("DocumentCode", 0xCE, 15, Str()),
          Get("OriginalFilename", 0xCF, 16, Str("Value")),
          Put("OriginalFilename", 0xCF, 17, Str()),
          Get("Filename", 0xD0, 18, Str("Value")),
          Put("Filename", 0xD0, 19, Str()),
          Method("CheckSign", 0xD1, 20, {}, Bool("bResult")),
          Method("Sign", 0xD2, 21, {Key("pKey")}, Bool("bResult")),
          Method("Resign", 0xD3, 22, {Key("pKey")}, Bool("bResult")),
          Get("RawContent", 0xD4, 23, Str("Value")),
          Method("CheckSignEx", 0xD5, 24, {Bool("bDownloadContent"), Bool("bCheckCRL")},
                 Bool("bResult")),
          Method("AddSign", 0xD6, 25, {Str("wsSignatureContent"), Role("enRole")}, Bool("bResult")),
      });
}

TypeDesc ITarvexSignatureType() {
  return Dual(
      "ITarvexSignature", ITarvexSignature::kIid,
      {
          Get("Filename", 0xC9, 7, Str("Value")),
          Put("Filename", 0xC9, 8, Str()),
          Get("SignKey", 0xCA, 9, Key("Value")),
          Method("AddSign", 0xCB, 10, {Str("wsSignatureContent"), Role("enRole")}, Bool("bResult")),
          Get("SignatureContent", 0xCC, 11, Str("Value")),
      });
}

TypeDesc ITarvexCryptType() {
  ParamDesc sign_file_name = Str("wsSignFileName");
  sign_file_name.optional = true;
  return Dual(
      "ITarvexCrypt", ITarvexCrypt::kIid,
      {
          Method("Init", 0xC9, 7, {}, Bool("bResult")),
          Method("GetPrivateKeyCount", 0xCA, 8, {}, I4("iResult")),
          Method("GetPrivateKey", 0xCB, 9, {I4("iIndex")}, Key("pResult")),
          Method("GetOpponentKeyCount", 0xCD, 10, {}, I4("iResult")),
          Method("GetOpponentKey", 0xCE, 11, {I4("iIndex")}, Key("pResult")),
          Method("ImportP7BChain", 0xD0, 12, {Str("wsP7BFileContent")}),
          Method("ImportOpponentCertificate", 0xD1, 13, {Str("wsCertificateBody")}, Key("pResult")),
          Method("ImportPrivateCertificate", 0xD2, 14,
                 {Str("wsCertificateBody"), Str("wsContainerName")}, Key("pResult")),
          Method("CheckSignature", 0xCC, 15, {Str("wsContent"), Str("wsSignature")}),
          Method("GetContainerCount", 0xCF, 16, {}, I4("iResult")),
          Method("GetContainer", 0xD3, 17, {I4("iIndex")}, Str("wsResult")),
          Method("GetOpponentKeyBySha1", 0xD4, 18, {Str("wsSha1")}, Key("pResult")),
          Method("GetPrivateKeyBySha1", 0xD5, 19, {Str("wsSha1")}, Key("pResult")),
          Method("IsCryptographyOk", 0xD6, 20, {}, Bool("bResult")),
          Get("FlagUsageUserStorage", 0xD7, 21, Bool("Value")),
          Put("FlagUsageUserStorage", 0xD7, 22, Bool()),
          Method("LinkPrivateKey", 0xD8, 23, {Key("pKey"), Bool("bCaching")}),
          Method("SignFile", 0xD9, 24, {Str("wsFilename"), Key("pKey"), sign_file_name}),
          Method("SetPrivateKeyCaching", 0xDA, 25, {Key("pKey"), Bool("bCaching")}),
      });
}

TypeDesc ITarvexKeyType() {
  return Dual("ITarvexKey", ITarvexKey::kIid,
              {
                  Get("ContainerName", 0xC9, 7, Str("Value")),
                  Put("ContainerName", 0xC9, 8, Str()),
                  Get("Sha1", 0xCA, 9, Str("Value")),
                  Put("Sha1", 0xCA, 10, Str()),
                  Get("SubjectCN", 0xCB, 11, Str("Value")),
                  Put("SubjectCN", 0xCB, 12, Str()),
                  Get("SignRole", 0xCC, 13, Role("Value")),
                  Put("SignRole", 0xCC, 14, Role()),
                  Get("CertificateBody", 0xCD, 15, Str("Value")),
                  Put("CertificateBody", 0xCD, 16, Str()),
                  Get("Subject", 0xCE, 17, Str("Value")),
                  Put("Subject", 0xCE, 18, Str()),
                  Get("Issuer", 0xCF, 19, Str("Value")),
                  Put("Issuer", 0xCF, 20, Str()),
                  Method("Init", 0xD0, 21, {}),
              });
}

TypeDesc CoClass(const char* name, const CLSID& id, uint32_t default_interface) {
  return {TKIND_COCLASS,       name, id,
          TYPEFLAG_FCANCREATE, {},   {{default_interface, IMPLTYPEFLAG_FDEFAULT}}};
}

TypeDesc Enum(const char* name, const GUID& id, std::vector<ConstDesc> members) {
  return {TKIND_ENUM, name, id, 0, {}, {}, std::move(members)};
}

// The members' names are the enumerators' own.
#define TARVEX_MEMBER(enumerator) \
  ConstDesc { #enumerator, enumerator }

TypeDesc SignRoleTypes() {
  return Enum("SIGN_ROLE_TYPES", GUID_SIGN_ROLE_TYPES,
              {TARVEX_MEMBER(SIGN_ROLE_TYPE_UNKNOWN), TARVEX_MEMBER(SIGN_ROLE_TYPE_ABONENT),
               TARVEX_MEMBER(SIGN_ROLE_TYPE_APPLICANT), TARVEX_MEMBER(SIGN_ROLE_TYPE_NOTARY),
               TARVEX_MEMBER(SIGN_ROLE_TYPE_ZUK), TARVEX_MEMBER(SIGN_ROLE_TYPE_SOS),
               TARVEX_MEMBER(SIGN_ROLE_TYPE_DUC), TARVEX_MEMBER(SIGN_ROLE_TYPE_CBRF),
               TARVEX_MEMBER(SIGN_ROLE_TYPE_IONOTARY), TARVEX_MEMBER(SIGN_ROLE_TYPE_MINUST)});
}

TypeDesc TransactionTypes() {
  return Enum(
      "TRANSACTION_TYPES", GUID_TRANSACTION_TYPES,
      {TARVEX_MEMBER(TRANSACTION_TYPE_UNKNOWN), TARVEX_MEMBER(TRANSACTION_TYPE_UL_REG_UL),
       TARVEX_MEMBER(TRANSACTION_TYPE_UL_NOTICE_RECEIPT),
       TARVEX_MEMBER(TRANSACTION_TYPE_UL_RECEIPT),
       TARVEX_MEMBER(TRANSACTION_TYPE_UL_REJECT_DECISION), TARVEX_MEMBER(TRANSACTION_TYPE_UL_INFO),
       TARVEX_MEMBER(TRANSACTION_TYPE_IP_REG_IP), TARVEX_MEMBER(TRANSACTION_TYPE_IP_NOTICE_RECEIPT),
       TARVEX_MEMBER(TRANSACTION_TYPE_IP_RECEIPT),
       TARVEX_MEMBER(TRANSACTION_TYPE_IP_REJECT_DECISION),
       TARVEX_MEMBER(TRANSACTION_TYPE_IP_INFO)});
}

#undef TARVEX_MEMBER

}  // namespace

const TypeLibDesc& QimTarvexTypeLib() {
  // Type infos in the order of TypeIndex.
  static const TypeLibDesc lib = {
      "QimTarvexLib",
      LIBID_QimTarvexLib,
      1,
      0,
      0x409,
      SYS_WIN32,
      "QimTarvexLib Library [Kestrin]",
      {ITarvexType(), CoClass("Tarvex", CLSID_Tarvex, kITarvex), ITarvexFileType(),
       ITarvexSignatureType(), SignRoleTypes(), TransactionTypes(), ITarvexCryptType(),
       CoClass("TarvexCrypt", CLSID_TarvexCrypt, kITarvexCrypt), ITarvexKeyType()}};
  return lib;
}
