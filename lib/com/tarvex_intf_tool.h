// The wrapping and key copying of the library's members: every member that
// hands out a document, a signature or a key, or takes a key, goes
// through these class methods. They live beside the COM classes they make,
// as the package layer underneath knows nothing of COM.
#pragma once

#include <memory>

#include "include/tarvex_interfaces.h"
#include "platform/com/com_ref.h"

class CTarvexDoc;
class CTarvexDocument;
class CTarvexKey;
class CTarvexSignature;

class CTarvexIntfTool {
 public:
  CTarvexIntfTool() = delete;

  // A new key object copied from `key`; raises (an empty subject CN, for
  // one) and then hands out nothing.
  static ComRef<ITarvexKey> KeyToIntf(const CTarvexKey* key);
  // Fills `key` from a key object the library made: container name,
  // thumbprint, subject CN, role, certificate body and the certificate
  // context, which `key` does not own. A foreign key object fails.
  static void KeyFromIntf(ITarvexKey* intf, CTarvexKey* key);
  // A record filled from `intf` for one operation; null for a null `intf`,
  // so that the operation names the missing key itself.
  static std::unique_ptr<CTarvexKey> TemporaryKey(ITarvexKey* intf);
  // New views of an item of `package`; the item must not be null. `file`
  // is the index of the document that holds the item, where the view looks
  // for it first. A view fails cleanly once the package no longer holds it.
  static ComRef<ITarvexFile> DocumentToIntf(CTarvexDocument* document, int file,
                                            std::weak_ptr<CTarvexDoc> package);
  static ComRef<ITarvexSignature> SignatureToIntf(CTarvexSignature* signature, int file,
                                                  std::weak_ptr<CTarvexDoc> package);

  // The type info of one of the library's interfaces.
  static ComRef<ITypeInfo> TypeInfo(const IID& iid);
};
