// CTarvexCrypt_class: the automation object behind TarvexCrypt. It owns one
// key and certificate catalogue and the choice of store location for its
// Init. Keys leave it as new key objects, copies of the catalogue's
// records; keys that come in must be the library's own, except for
// SignFile, which reads only the key's thumbprint.
#pragma once

#include <memory>

#include "include/tarvex_interfaces.h"
#include "lib/com/auto_object.h"

class CTarvexCrypt;

class CTarvexCrypt_class final : public CAutoObject<ITarvexCrypt> {
 public:
  static CAutoObjectBase* Create(CAutoObjectFactory& factory);

  // Makes the empty catalogue for the current user's stores; its Init is
  // the client's first call.
  void Initialize() override;

  HRESULT Init(VARIANT_BOOL* bResult) override;
  HRESULT GetPrivateKeyCount(int32_t* iResult) override;
  HRESULT GetPrivateKey(int32_t iIndex, ITarvexKey** pResult) override;
  HRESULT GetOpponentKeyCount(int32_t* iResult) override;
  HRESULT GetOpponentKey(int32_t iIndex, ITarvexKey** pResult) override;
  HRESULT ImportP7BChain(BSTR wsP7BFileContent) override;
  HRESULT ImportOpponentCertificate(BSTR wsCertificateBody, ITarvexKey** pResult) override;
  HRESULT ImportPrivateCertificate(BSTR wsCertificateBody, BSTR wsContainerName,
                                   ITarvexKey** pResult) override;
  HRESULT CheckSignature(BSTR wsContent, BSTR wsSignature) override;
  HRESULT GetContainerCount(int32_t* iResult) override;
  HRESULT GetContainer(int32_t iIndex, BSTR* wsResult) override;
  HRESULT GetOpponentKeyBySha1(BSTR wsSha1, ITarvexKey** pResult) override;
  HRESULT GetPrivateKeyBySha1(BSTR wsSha1, ITarvexKey** pResult) override;
  HRESULT IsCryptographyOk(VARIANT_BOOL* bResult) override;
  HRESULT get_FlagUsageUserStorage(VARIANT_BOOL* Value) override;
  HRESULT put_FlagUsageUserStorage(VARIANT_BOOL Value) override;
  HRESULT LinkPrivateKey(ITarvexKey* pKey, VARIANT_BOOL bCaching) override;
  HRESULT SignFile(BSTR wsFilename, ITarvexKey* pKey, BSTR wsSignFileName) override;
  HRESULT SetPrivateKeyCaching(ITarvexKey* pKey, VARIANT_BOOL bCaching) override;

 private:
  explicit CTarvexCrypt_class(CAutoObjectFactory& factory);
  ~CTarvexCrypt_class() override;

  // Runs this object's own Init member; its failure raises with the
  // description of its error info.
  void Reinit();
  // A member that hands out a new key object, copied from the record
  // `find` returns.
  template <typename Find>
  HRESULT KeyResult(ITarvexKey** result, Find find);
  // A member that imports a certificate into a temporary record, hands out
  // its copy and runs Init; a failure of either hands out nothing.
  template <typename Import>
  HRESULT ImportResult(ITarvexKey** result, Import import);

  std::unique_ptr<CTarvexCrypt> crypt_;
  bool use_user_storage_ = true;
};
