// The key that made a signature of a package file, and the texts of a key,
// read through the library's objects; a failing call raises EditorError
// with the library's message. Texts are cp1251.
#pragma once

#include <cstdint>
#include <string>

#include "include/tarvex_interfaces.h"
#include "platform/com/com_ref.h"

// The signer key of signature `sign_index` of file `file_index`.
ComRef<ITarvexKey> FileSignatureKey(ITarvex* package, int32_t file_index, int32_t sign_index);
// One text property of the key, e.g. &ITarvexKey::get_Subject.
std::string KeyText(ITarvexKey* key, HRESULT (ITarvexKey::*getter)(BSTR*));
