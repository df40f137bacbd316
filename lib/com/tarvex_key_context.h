// ITarvexKeyContext: the private interface of the key objects the library
// makes. It stands in no type library; the library asks a key for it to
// tell its own keys from foreign ones and to reach the key's certificate.
#pragma once

#include "platform/com/oaidl.h"
#include "platform/crypt/cert_context.h"

struct ITarvexKeyContext : IDispatch {
  static constexpr IID kIid = {
      0xF7CCA023, 0xD30B, 0x4938, {0x99, 0x40, 0x32, 0xA5, 0xD1, 0xFF, 0xBF, 0x42}};

  // The certificate context of the key's record; never fails.
  virtual HRESULT GetCertContext(PCCERT_CONTEXT* context) = 0;
  // The key's record takes `context` (the same pointer); never fails.
  virtual HRESULT SetCertContext(PCCERT_CONTEXT context) = 0;

 protected:
  ~ITarvexKeyContext() = default;
};
