// The module's type library against the interfaces the clients compile
// with: every member's slot, parameter kinds and result must match the
// C++ declaration, or IDispatch calls land in the wrong member.
#include "lib/com/qim_tarvex_type_lib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "include/tarvex_enums.h"
#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"

namespace {

bool SameGuid(const GUID* a, const GUID* b) {
  return (a == nullptr) == (b == nullptr) && (a == nullptr || *a == *b);
}

// An enum-typed value is an I4 typed by its enumeration (`enum_guid`).
struct Kind {
  VARTYPE vt;
  const IID* iid = nullptr;
  const GUID* enum_guid = nullptr;
  friend bool operator==(const Kind& a, const Kind& b) {
    return a.vt == b.vt && SameGuid(a.iid, b.iid) && SameGuid(a.enum_guid, b.enum_guid);
  }
};

Kind KindOf(const ParamDesc& param) {
  const auto& types = QimTarvexTypeLib().types;
  const GUID* enum_guid = nullptr;
  if (param.enum_type >= 0 && static_cast<size_t>(param.enum_type) < types.size()) {
    enum_guid = &types[param.enum_type].guid;
  }
  return {param.vt, param.iid, enum_guid};
}

template <typename T>
Kind KindOf() {
  if constexpr (std::is_same_v<T, BSTR>) {
    return {VT_BSTR};
  } else if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    return {VT_BOOL};
  } else if constexpr (std::is_same_v<T, SIGN_ROLE_TYPES>) {
    return {VT_I4, nullptr, &GUID_SIGN_ROLE_TYPES};
  } else if constexpr (std::is_same_v<T, TRANSACTION_TYPES>) {
    return {VT_I4, nullptr, &GUID_TRANSACTION_TYPES};
  } else if constexpr (std::is_same_v<T, int32_t>) {
    return {VT_I4};
  } else {
    static_assert(std::is_pointer_v<T> && std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>);
    return {VT_DISPATCH, &std::remove_pointer_t<T>::kIid};
  }
}

struct Member {
  std::string name;
  uint16_t invkind;
  size_t slot;
  std::vector<Kind> params;
  Kind retval{VT_EMPTY};
};

// The vtable slot of a virtual member in the Itanium C++ ABI: the pointer
// holds one plus the byte offset into the vtable.
template <typename Pointer>
size_t SlotOf(Pointer member) {
  uintptr_t raw = 0;
  std::memcpy(&raw, &member, sizeof raw);
  return (raw - 1) / sizeof(void*);
}

// A pointer to a value kind is an out-parameter; an interface pointer is an in one.
template <typename T>
constexpr bool kIsOut = std::is_pointer_v<T> && !std::is_same_v<T, BSTR> &&
                        !std::is_base_of_v<IDispatch, std::remove_pointer_t<T>>;

struct Param {
  Kind kind;
  bool out;
};

template <typename T>
Param Classify() {
  if constexpr (kIsOut<T>) {
    return {KindOf<std::remove_pointer_t<T>>(), true};
  } else {
    return {KindOf<T>(), false};
  }
}

template <typename C, typename... A>
Member Describe(const char* name, uint16_t invkind, HRESULT (C::*member)(A...)) {
  Member m{name, invkind, SlotOf(member), {}};
  const std::vector<Param> params = {Classify<A>()...};
  for (size_t n = 0; n < params.size(); ++n) {
    // Only the last parameter may be the [out, retval] one; any other out
    // parameter shows as VT_EMPTY and fails the comparison.
    if (params[n].out && n + 1 == params.size()) {
      m.retval = params[n].kind;
    } else {
      m.params.push_back(params[n].out ? Kind{VT_EMPTY} : params[n].kind);
    }
  }
  return m;
}

constexpr uint16_t M = DISPATCH_METHOD;
constexpr uint16_t G = DISPATCH_PROPERTYGET;
constexpr uint16_t P = DISPATCH_PROPERTYPUT;

std::vector<Member> ITarvexMembers() {
  using I = ITarvex;
  return {Describe("New", M, &I::New),
          Describe("Open", M, &I::Open),
          Describe("Close", M, &I::Close),
          Describe("Save", M, &I::Save),
          Describe("Encrypt", M, &I::Encrypt),
          Describe("Decrypt", M, &I::Decrypt),
          Describe("AddFile", M, &I::AddFile),
          Describe("GetFileCount", M, &I::GetFileCount),
          Describe("GetFile", M, &I::GetFile),
          Describe("IsOpened", M, &I::IsOpened),
          Describe("SignFile", M, &I::SignFile),
          Describe("ReSignFile", M, &I::ReSignFile),
          Describe("GetFileSignatureCount", M, &I::GetFileSignatureCount),
          Describe("GetFileSignature", M, &I::GetFileSignature),
          Describe("GetFileResignCount", M, &I::GetFileResignCount),
          Describe("GetFileResign", M, &I::GetFileResign),
          Describe("IsEncrypted", G, &I::get_IsEncrypted),
          Describe("SenderType", G, &I::get_SenderType),
          Describe("SenderType", P, &I::put_SenderType),
          Describe("SenderIdentifier", G, &I::get_SenderIdentifier),
          Describe("SenderIdentifier", P, &I::put_SenderIdentifier),
          Describe("ReceiverType", G, &I::get_ReceiverType),
          Describe("ReceiverType", P, &I::put_ReceiverType),
          Describe("ReceiverIdentifier", G, &I::get_ReceiverIdentifier),
          Describe("ReceiverIdentifier", P, &I::put_ReceiverIdentifier),
          Describe("DocTransactType", G, &I::get_DocTransactType),
          Describe("DocTransactType", P, &I::put_DocTransactType),
          Describe("DeleteFile", M, &I::DeleteFile),
          Describe("DeleteFileSignatures", M, &I::DeleteFileSignatures),
          Describe("DeleteFileResignatures", M, &I::DeleteFileResignatures),
          Describe("EncryptByCertificate", M, &I::EncryptByCertificate),
          Describe("FlagUsageUserStorage", G, &I::get_FlagUsageUserStorage),
          Describe("FlagUsageUserStorage", P, &I::put_FlagUsageUserStorage),
          Describe("DeleteFileSignature", M, &I::DeleteFileSignature)};
}

std::vector<Member> ITarvexFileMembers() {
  using I = ITarvexFile;
  return {Describe("DocType", G, &I::get_DocType),
          Describe("DocTypeCode", G, &I::get_DocTypeCode),
          Describe("DocTypeCode", P, &I::put_DocTypeCode),
          Describe("ContentType", G, &I::get_ContentType),
          Describe("ContentType", P, &I::put_ContentType),
          Describe("IsCompressed", G, &I::get_IsCompressed),
          Describe("IsEncrypted", G, &I::get_IsEncrypted),
          Describe("DocumentCode", G, &I::get_DocumentCode),
          Describe("DocumentCode", P, &I::put_DocumentCode),
          Describe("OriginalFilename", G, &I::get_OriginalFilename),
          Describe("OriginalFilename", P, &I::put_OriginalFilename),
          Describe("Filename", G, &I::get_Filename),
          Describe("Filename", P, &I::put_Filename),
          Describe("CheckSign", M, &I::CheckSign),
          Describe("Sign", M, &I::Sign),
          Describe("Resign", M, &I::Resign),
          Describe("RawContent", G, &I::get_RawContent),
          Describe("CheckSignEx", M, &I::CheckSignEx),
          Describe("AddSign", M, &I::AddSign)};
}

std::vector<Member> ITarvexSignatureMembers() {
  using I = ITarvexSignature;
  return {Describe("Filename", G, &I::get_Filename), Describe("Filename", P, &I::put_Filename),
          Describe("SignKey", G, &I::get_SignKey), Describe("AddSign", M, &I::AddSign),
          Describe("SignatureContent", G, &I::get_SignatureContent)};
}

std::vector<Member> ITarvexCryptMembers() {
  using I = ITarvexCrypt;
  return {Describe("Init", M, &I::Init),
          Describe("GetPrivateKeyCount", M, &I::GetPrivateKeyCount),
          Describe("GetPrivateKey", M, &I::GetPrivateKey),
          Describe("GetOpponentKeyCount", M, &I::GetOpponentKeyCount),
          Describe("GetOpponentKey", M, &I::GetOpponentKey),
          Describe("ImportP7BChain", M, &I::ImportP7BChain),
          Describe("ImportOpponentCertificate", M, &I::ImportOpponentCertificate),
          Describe("ImportPrivateCertificate", M, &I::ImportPrivateCertificate),
          Describe("CheckSignature", M, &I::CheckSignature),
          Describe("GetContainerCount", M, &I::GetContainerCount),
          Describe("GetContainer", M, &I::GetContainer),
          Describe("GetOpponentKeyBySha1", M, &I::GetOpponentKeyBySha1),
          Describe("GetPrivateKeyBySha1", M, &I::GetPrivateKeyBySha1),
          Describe("IsCryptographyOk", M, &I::IsCryptographyOk),
          Describe("FlagUsageUserStorage", G, &I::get_FlagUsageUserStorage),
          Describe("FlagUsageUserStorage", P, &I::put_FlagUsageUserStorage),
          Describe("LinkPrivateKey", M, &I::LinkPrivateKey),
          Describe("SignFile", M, &I::SignFile),
          Describe("SetPrivateKeyCaching", M, &I::SetPrivateKeyCaching)};
}

std::vector<Member> ITarvexKeyMembers() {
  using I = ITarvexKey;
  return {Describe("ContainerName", G, &I::get_ContainerName),
          Describe("ContainerName", P, &I::put_ContainerName),
          Describe("Sha1", G, &I::get_Sha1),
          Describe("Sha1", P, &I::put_Sha1),
          Describe("SubjectCN", G, &I::get_SubjectCN),
          Describe("SubjectCN", P, &I::put_SubjectCN),
          Describe("SignRole", G, &I::get_SignRole),
          Describe("SignRole", P, &I::put_SignRole),
          Describe("CertificateBody", G, &I::get_CertificateBody),
          Describe("CertificateBody", P, &I::put_CertificateBody),
          Describe("Subject", G, &I::get_Subject),
          Describe("Subject", P, &I::put_Subject),
          Describe("Issuer", G, &I::get_Issuer),
          Describe("Issuer", P, &I::put_Issuer),
          Describe("Init", M, &I::Init)};
}

const TypeDesc* FindType(const GUID& guid) {
  for (const TypeDesc& type : QimTarvexTypeLib().types) {
    if (type.guid == guid) return &type;
  }
  return nullptr;
}

TEST(TypeLibTest, EveryMemberMatchesItsDeclaration) {
  struct Interface {
    const char* name;
    IID iid;
    std::vector<Member> members;
  };
  const Interface interfaces[] = {
      {"ITarvex", ITarvex::kIid, ITarvexMembers()},
      {"ITarvexFile", ITarvexFile::kIid, ITarvexFileMembers()},
      {"ITarvexSignature", ITarvexSignature::kIid, ITarvexSignatureMembers()},
      {"ITarvexCrypt", ITarvexCrypt::kIid, ITarvexCryptMembers()},
      {"ITarvexKey", ITarvexKey::kIid, ITarvexKeyMembers()},
  };
  for (const Interface& intf : interfaces) {
    const TypeDesc* type = FindType(intf.iid);
    ASSERT_NE(type, nullptr) << intf.name;
    EXPECT_STREQ(type->name, intf.name);
    EXPECT_EQ(type->flags & TYPEFLAG_FDUAL, TYPEFLAG_FDUAL) << intf.name;
    ASSERT_EQ(type->funcs.size(), intf.members.size()) << intf.name;
    for (size_t n = 0; n < intf.members.size(); ++n) {
      const Member& want = intf.members[n];
      const FuncDesc& got = type->funcs[n];
      const std::string where = std::string(intf.name) + "." + want.name;
      EXPECT_EQ(got.name, want.name) << where;
      EXPECT_EQ(got.invkind, want.invkind) << where;
      EXPECT_EQ(got.slot, want.slot) << where;
      EXPECT_EQ(got.slot, 7 + n) << where;  // own members follow IDispatch in order
      ASSERT_EQ(got.params.size(), want.params.size()) << where;
      for (size_t p = 0; p < want.params.size(); ++p) {
        EXPECT_TRUE(KindOf(got.params[p]) == want.params[p]) << where << " #" << p;
      }
      EXPECT_TRUE(KindOf(got.retval) == want.retval) << where;
      EXPECT_GE(got.memid, 0xC9) << where;
    }
  }
}

TEST(TypeLibTest, CoclassesAndTheLibraryAttributes) {
  const TypeLibDesc& lib = QimTarvexTypeLib();
  EXPECT_STREQ(lib.name, "QimTarvexLib");
  EXPECT_EQ(lib.libid, LIBID_QimTarvexLib);
  EXPECT_EQ(lib.major, 1);
  EXPECT_EQ(lib.minor, 0);
  EXPECT_EQ(lib.lcid, 0x409u);
  EXPECT_EQ(lib.syskind, SYS_WIN32);
  std::vector<std::string> order;
  for (const TypeDesc& type : lib.types) order.emplace_back(type.name);
  EXPECT_EQ(order, (std::vector<std::string>{"ITarvex", "Tarvex", "ITarvexFile", "ITarvexSignature",
                                             "SIGN_ROLE_TYPES", "TRANSACTION_TYPES", "ITarvexCrypt",
                                             "TarvexCrypt", "ITarvexKey"}));
  struct Coclass {
    CLSID id;
    IID default_interface;
  };
  for (const Coclass& c :
       {Coclass{CLSID_Tarvex, ITarvex::kIid}, Coclass{CLSID_TarvexCrypt, ITarvexCrypt::kIid}}) {
    const TypeDesc* type = FindType(c.id);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->kind, TKIND_COCLASS);
    ASSERT_EQ(type->impl_types.size(), 1u);
    EXPECT_EQ(type->impl_types[0].flags, IMPLTYPEFLAG_FDEFAULT);
    EXPECT_EQ(lib.types[type->impl_types[0].type_index].guid, c.default_interface);
  }
}

}  // namespace
