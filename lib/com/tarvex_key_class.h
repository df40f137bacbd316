// CTarvexKey_class: a signer or recipient key as ITarvexKey. It owns a
// record of its own, always a copy of the library's key it was made from;
// changing it changes nothing else. Its private ITarvexKeyContext carries
// the certificate context, of which the record holds a reference of its
// own, so a copy stays usable after its source is gone.
#pragma once

#include <memory>

#include "include/tarvex_interfaces.h"
#include "lib/com/auto_intf_object.h"
#include "lib/com/tarvex_key_context.h"
#include "platform/com/com_ref.h"

class CTarvexKey;

class CTarvexKey_class final : public CAutoIntfObject<ITarvexKey, ITarvexKeyContext> {
 public:
  // A new key object over a new, empty record; raises.
  static ComRef<ITarvexKey> Create();

  HRESULT get_ContainerName(BSTR* Value) override;
  HRESULT put_ContainerName(BSTR Value) override;
  HRESULT get_Sha1(BSTR* Value) override;
  HRESULT put_Sha1(BSTR Value) override;
  HRESULT get_SubjectCN(BSTR* Value) override;
  HRESULT put_SubjectCN(BSTR Value) override;
  HRESULT get_SignRole(SIGN_ROLE_TYPES* Value) override;
  HRESULT put_SignRole(SIGN_ROLE_TYPES Value) override;
  HRESULT get_CertificateBody(BSTR* Value) override;
  HRESULT put_CertificateBody(BSTR Value) override;
  HRESULT get_Subject(BSTR* Value) override;
  HRESULT put_Subject(BSTR Value) override;
  HRESULT get_Issuer(BSTR* Value) override;
  HRESULT put_Issuer(BSTR Value) override;
  HRESULT Init() override;

  HRESULT GetCertContext(PCCERT_CONTEXT* context) override;
  HRESULT SetCertContext(PCCERT_CONTEXT context) override;

 private:
  explicit CTarvexKey_class(ITypeInfo* type_info);
  ~CTarvexKey_class() override;

  template <typename Get>
  HRESULT GetText(BSTR* value, Get get);
  template <typename Put>
  HRESULT PutText(BSTR value, Put put);

  const std::unique_ptr<CTarvexKey> key_;
};
