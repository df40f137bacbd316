// CCryptoAtom and CCryptoStore: owner of one open certificate store, bound
// to a provider whose key-set setting chooses the machine's or the current
// user's stores.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_defs.h"

class CCryptoProvider;

class CCryptoAtom {
 public:
  CCryptoAtom() = default;
  virtual ~CCryptoAtom() = default;
  CCryptoAtom(const CCryptoAtom&) = delete;
  CCryptoAtom& operator=(const CCryptoAtom&) = delete;

  HCERTSTORE Handle() const { return handle_; }
  uint32_t EncodingType() const { return encoding_type_; }

 protected:
  HCERTSTORE handle_ = nullptr;
  uint32_t encoding_type_ = kMsgEncoding;
};

class CCryptoStore : public CCryptoAtom {
 public:
  CCryptoStore() = default;
  // Closes the store; a failure there is dropped.
  ~CCryptoStore() override;

  // Binds the provider (borrowed; it must stay open while the store is used).
  void SetProvider(CCryptoProvider* provider) { provider_ = provider; }
  CCryptoProvider* Provider() const { return provider_; }

  // Opens the store through the provider's handle, in the local machine's
  // stores when the provider's MachineKeySet, else the current user's;
  // raises the system error when the store does not open.
  void Open(uint32_t store_provider, std::u16string_view parameter);
  // Closes an open store with the flags; raises the system error when that
  // fails.
  void Close(uint32_t flags);

 private:
  CCryptoProvider* provider_ = nullptr;
};
