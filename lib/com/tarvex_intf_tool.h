// The wrapping and key copying of the library's members: every member that
// hands out a document, a signature or a key, or takes a key, goes
// through these class methods. They live beside the COM classes they make,
// as the package layer underneath knows nothing of COM.
#pragma once

#include <memory>

#include "include/tarvex_interfaces.h"

class CTarvexDocument;
class CTarvexKey;
class CTarvexSignature;

class CTarvexIntfTool {
 public:
  CTarvexIntfTool() = delete;

  // A new key object copied from `key`, with one reference; raises (an empty
  // subject CN, for one) and then hands out nothing.
  static ITarvexKey* KeyToIntf(const CTarvexKey* key);
  // Fills `key` from a key object the library made: container name,
  // thumbprint, subject CN, role, certificate body and the certificate
  // context, which `key` does not own. A foreign key object fails.
  static void KeyFromIntf(ITarvexKey* intf, CTarvexKey* key);
  // A record filled from `intf` for one operation; null for a null `intf`,
  // so that the operation names the missing key itself.
  static std::unique_ptr<CTarvexKey> TemporaryKey(ITarvexKey* intf);
  // New views, with one reference; the item must not be null.
  static ITarvexFile* DocumentToIntf(CTarvexDocument* document);
  static ITarvexSignature* SignatureToIntf(CTarvexSignature* signature);

  // The type info of one of the library's interfaces, with a reference.
  static ITypeInfo* TypeInfo(const IID& iid);
};
