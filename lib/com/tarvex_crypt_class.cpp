#include "lib/com/tarvex_crypt_class.h"

#include "lib/com/bstr_text.h"
#include "lib/com/com_call.h"
#include "lib/com/tarvex_intf_tool.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_crypt.h"
#include "lib/package/tarvex_key.h"
#include "platform/com/error_info.h"

namespace {

// The thumbprint a client's key object reports, whoever made the object.
std::string ThumbprintOf(ITarvexKey* key) {
  CValueCheckTool::CheckAssigned(key, "pKey");
  BSTR sha1 = nullptr;
  SetErrorInfo(0, nullptr);
  const HRESULT result = key->get_Sha1(&sha1);
  std::string text = BstrToAnsi(sha1);
  SysFreeString(sha1);
  RaiseComFailure(result);
  return text;
}

}  // namespace

CAutoObjectBase* CTarvexCrypt_class::Create(CAutoObjectFactory& factory) {
  return new CTarvexCrypt_class(factory);
}

CTarvexCrypt_class::CTarvexCrypt_class(CAutoObjectFactory& factory) : CAutoObject(factory) {}

CTarvexCrypt_class::~CTarvexCrypt_class() = default;

void CTarvexCrypt_class::Initialize() { crypt_ = std::make_unique<CTarvexCrypt>(); }

void CTarvexCrypt_class::Reinit() {
  // The member sets its error info whenever it fails.
  VARIANT_BOOL built = VARIANT_FALSE;
  RaiseComFailure(Init(&built));
}

template <typename Find>
HRESULT CTarvexCrypt_class::KeyResult(ITarvexKey** result, Find find) {
  if (!PrepareOut(result)) return E_POINTER;
  return Safe([&] { *result = CTarvexIntfTool::KeyToIntf(find()).release(); });
}

template <typename Import>
HRESULT CTarvexCrypt_class::ImportResult(ITarvexKey** result, Import import) {
  if (!PrepareOut(result)) return E_POINTER;
  return Safe([&] {
    // A key object not yet handed out: released when the member fails.
    ComRef<ITarvexKey> made;
    {
      CTarvexKey imported;
      import(&imported);
      // The copy takes a reference of its own on the imported certificate,
      // so it outlives the temporary record.
      made = CTarvexIntfTool::KeyToIntf(&imported);
    }
    Reinit();
    *result = made.release();
  });
}

HRESULT CTarvexCrypt_class::Init(VARIANT_BOOL* bResult) {
  if (!PrepareOut(bResult)) return E_POINTER;
  return Safe([&] { *bResult = ToVariantBool(crypt_->Init(use_user_storage_)); });
}

HRESULT CTarvexCrypt_class::GetPrivateKeyCount(int32_t* iResult) {
  if (!PrepareOut(iResult)) return E_POINTER;
  return Safe([&] { *iResult = crypt_->GetPrivateKeyCount(); });
}

HRESULT CTarvexCrypt_class::GetPrivateKey(int32_t iIndex, ITarvexKey** pResult) {
  return KeyResult(pResult, [&] { return crypt_->GetPrivateKey(iIndex); });
}

HRESULT CTarvexCrypt_class::GetOpponentKeyCount(int32_t* iResult) {
  if (!PrepareOut(iResult)) return E_POINTER;
  return Safe([&] { *iResult = crypt_->GetOpponentKeyCount(); });
}

HRESULT CTarvexCrypt_class::GetOpponentKey(int32_t iIndex, ITarvexKey** pResult) {
  return KeyResult(pResult, [&] { return crypt_->GetOpponentKey(iIndex); });
}

HRESULT CTarvexCrypt_class::ImportP7BChain(BSTR wsP7BFileContent) {
  return Safe([&] {
    crypt_->ImportP7BChain(BstrToAnsi(wsP7BFileContent));
    Reinit();
  });
}

HRESULT CTarvexCrypt_class::ImportOpponentCertificate(BSTR wsCertificateBody,
                                                      ITarvexKey** pResult) {
  return ImportResult(pResult, [&](CTarvexKey* key) {
    crypt_->ImportOpponentCertificate(BstrToAnsi(wsCertificateBody), key);
  });
}

HRESULT CTarvexCrypt_class::ImportPrivateCertificate(BSTR wsCertificateBody, BSTR wsContainerName,
                                                     ITarvexKey** pResult) {
  return ImportResult(pResult, [&](CTarvexKey* key) {
    crypt_->ImportPrivateCertificate(BstrToAnsi(wsCertificateBody), BstrToAnsi(wsContainerName),
                                     key);
  });
}

HRESULT CTarvexCrypt_class::CheckSignature(BSTR wsContent, BSTR wsSignature) {
  return Safe([&] { crypt_->CheckSignature(BstrToAnsi(wsContent), BstrToAnsi(wsSignature)); });
}

HRESULT CTarvexCrypt_class::GetContainerCount(int32_t* iResult) {
  if (!PrepareOut(iResult)) return E_POINTER;
  return Safe([&] { *iResult = crypt_->GetContainerCount(); });
}

HRESULT CTarvexCrypt_class::GetContainer(int32_t iIndex, BSTR* wsResult) {
  if (!PrepareOut(wsResult)) return E_POINTER;
  return Safe([&] { *wsResult = AnsiToBstr(crypt_->GetContainer(iIndex)); });
}

HRESULT CTarvexCrypt_class::GetOpponentKeyBySha1(BSTR wsSha1, ITarvexKey** pResult) {
  return KeyResult(pResult, [&] { return crypt_->GetOpponentKeyBySha1(BstrToAnsi(wsSha1)); });
}

HRESULT CTarvexCrypt_class::GetPrivateKeyBySha1(BSTR wsSha1, ITarvexKey** pResult) {
  return KeyResult(pResult, [&] { return crypt_->GetPrivateKeyBySha1(BstrToAnsi(wsSha1)); });
}

HRESULT CTarvexCrypt_class::IsCryptographyOk(VARIANT_BOOL* bResult) {
  if (!PrepareOut(bResult)) return E_POINTER;
  return Safe([&] { *bResult = ToVariantBool(CTarvexCrypt::IsCryptographyOk()); });
}

HRESULT CTarvexCrypt_class::get_FlagUsageUserStorage(VARIANT_BOOL* Value) {
  if (!PrepareOut(Value)) return E_POINTER;
  *Value = ToVariantBool(use_user_storage_);
  return S_OK;
}

HRESULT CTarvexCrypt_class::put_FlagUsageUserStorage(VARIANT_BOOL Value) {
  const bool use_user_storage = Value != VARIANT_FALSE;
  if (use_user_storage == use_user_storage_) return S_OK;
  return Safe([&] {
    // The new location stays chosen even when its catalogue cannot be built.
    use_user_storage_ = use_user_storage;
    Reinit();
  });
}

HRESULT CTarvexCrypt_class::LinkPrivateKey(ITarvexKey* pKey, VARIANT_BOOL bCaching) {
  return Safe([&] {
    const std::unique_ptr<CTarvexKey> key = CTarvexIntfTool::TemporaryKey(pKey);
    crypt_->LinkPrivateKey(key.get(), bCaching != VARIANT_FALSE);
  });
}

HRESULT CTarvexCrypt_class::SignFile(BSTR wsFilename, ITarvexKey* pKey, BSTR wsSignFileName) {
  return Safe([&] {
    crypt_->SignFile(BstrToAnsiName(wsFilename), ThumbprintOf(pKey),
                     BstrToAnsiName(wsSignFileName));
  });
}

HRESULT CTarvexCrypt_class::SetPrivateKeyCaching(ITarvexKey* pKey, VARIANT_BOOL bCaching) {
  return Safe([&] {
    const std::unique_ptr<CTarvexKey> key = CTarvexIntfTool::TemporaryKey(pKey);
    crypt_->SetPrivateKeyCaching(key.get(), bCaching != VARIANT_FALSE);
  });
}
