#include "editor/ui/signature_key.h"

#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"

ComRef<ITarvexKey> FileSignatureKey(ITarvex* package, int32_t file_index, int32_t sign_index) {
  ITarvexSignature* raw_signature = nullptr;
  OleCheck(package->GetFileSignature(file_index, sign_index, &raw_signature));
  const ComRef<ITarvexSignature> signature(raw_signature);
  ITarvexKey* raw_key = nullptr;
  OleCheck(signature->get_SignKey(&raw_key));
  return ComRef<ITarvexKey>(raw_key);
}

std::string KeyText(ITarvexKey* key, HRESULT (ITarvexKey::*getter)(BSTR*)) {
  OleString value;
  OleCheck((key->*getter)(value.out()));
  return value.Ansi();
}
