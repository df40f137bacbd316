// CTarvexSignature_class: one signature or countersignature of a package as
// ITarvexSignature. A view: the package owns the signature, and the view
// shows it only while the package holds it; the view never frees it.
#pragma once

#include "include/tarvex_interfaces.h"
#include "lib/com/auto_intf_object.h"

class CTarvexSignature;

class CTarvexSignature_class final : public CAutoIntfObject<ITarvexSignature> {
 public:
  // A new view of `signature` (not null), with one reference; raises.
  static ITarvexSignature* Create(CTarvexSignature* signature);

  HRESULT get_Filename(BSTR* Value) override;
  HRESULT put_Filename(BSTR Value) override;
  // A new key object, a copy of the signer's key.
  HRESULT get_SignKey(ITarvexKey** Value) override;
  HRESULT AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole, VARIANT_BOOL* bResult) override;
  HRESULT get_SignatureContent(BSTR* Value) override;

 private:
  CTarvexSignature_class(ITypeInfo* type_info, CTarvexSignature* signature)
      : CAutoIntfObject(type_info), signature_(signature) {}
  ~CTarvexSignature_class() override = default;

  CTarvexSignature* const signature_;
};
