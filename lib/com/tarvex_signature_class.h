// CTarvexSignature_class: one signature or countersignature of a package as
// ITarvexSignature. A view: the package owns the signature, and the view
// shows it only while the package holds it; afterwards its members fail.
// The view knows the signature by its serial, so a signature added later at
// the same address is not taken for it. The view never frees the signature
// and does not keep the package alive. It looks first among the
// signatures of the document where it found the signature last, so that a
// view costs the same in a package of any size.
#pragma once

#include <cstdint>
#include <memory>

#include "include/tarvex_interfaces.h"
#include "lib/com/auto_intf_object.h"
#include "platform/com/com_ref.h"

class CTarvexDoc;
class CTarvexSignature;

class CTarvexSignature_class final : public CAutoIntfObject<ITarvexSignature> {
 public:
  // A new view of `signature` (not null) of file `file` of `package`;
  // raises.
  static ComRef<ITarvexSignature> Create(CTarvexSignature* signature, int file,
                                         std::weak_ptr<CTarvexDoc> package);

  HRESULT get_Filename(BSTR* Value) override;
  HRESULT put_Filename(BSTR Value) override;
  // A new key object, a copy of the signer's key.
  HRESULT get_SignKey(ITarvexKey** Value) override;
  HRESULT AddSign(BSTR wsSignatureContent, SIGN_ROLE_TYPES enRole, VARIANT_BOOL* bResult) override;
  HRESULT get_SignatureContent(BSTR* Value) override;

 private:
  CTarvexSignature_class(ITypeInfo* type_info, const CTarvexSignature& signature, int file,
                         std::weak_ptr<CTarvexDoc> package);
  ~CTarvexSignature_class() override = default;

  // The signature while the package holds it; raises afterwards.
  CTarvexSignature& Signature() const;

  const uint64_t serial_;
  // The document where the signature was found last.
  mutable int file_;
  const std::weak_ptr<CTarvexDoc> package_;
};
