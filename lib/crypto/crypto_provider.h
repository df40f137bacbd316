// CCryptoProvider: owner of one context of the GOST provider, a verify
// context or one key container, and the lister of key containers.
#pragma once

#include <cstdint>
#include <string>

#include "lib/foundation/zero_string.h"
#include "platform/crypt/crypt_prov.h"

class CStrArray;

class CCryptoProvider {
 public:
  CCryptoProvider() = default;
  // Closes the context; an error there only leaves a debug line.
  ~CCryptoProvider();
  CCryptoProvider(const CCryptoProvider&) = delete;
  CCryptoProvider& operator=(const CCryptoProvider&) = delete;

  // Takes effect only while no context is held.
  void SetMachineKeySet(bool value);
  bool MachineKeySet() const { return machine_key_set_; }
  bool Active() const { return active_; }
  uint32_t AcquireFlags() const { return acquire_flags_; }
  uint32_t ProviderType() const { return provider_type_; }
  const std::string& ProviderName() const { return provider_name_; }
  // The container of the held context; null for none.
  const char* Container() const { return container_.Value(); }

  // Acquires a context for the container (null: a verify context), in the
  // machine's key set when MachineKeySet. With `no_raise` a failure leaves
  // the provider inactive and raises nothing.
  void Open(uint32_t provider_type, const char* container, bool new_key_set, bool no_raise);
  void OpenVerifyContext(uint32_t provider_type, bool no_raise);
  // The acquisition itself; raises "CCryptoProvider.AcquireContext\n\r" and
  // the system text on failure.
  void AcquireContext(const char* container, const std::string& provider_name, uint32_t flags,
                      uint32_t provider_type);
  HCRYPTPROV GetHandle() const { return handle_; }

  // One step of the container listing: appends the next name to `list`;
  // false at the end. Any other failure raises the system error.
  bool EnumNextContainer(CStrArray& list, uint32_t flags);
  // Clears `list` and fills it with every container of the provider type,
  // in the provider's order. Leaves a verify context open.
  void EnumContainers(CStrArray& list, uint32_t provider_type);

  // Releases the context; never raises.
  void Close();

 private:
  HCRYPTPROV handle_ = nullptr;
  CZeroString container_;
  uint32_t acquire_flags_ = 0;
  bool machine_key_set_ = false;
  bool active_ = false;
  uint32_t provider_type_ = 0;
  std::string provider_name_;  // empty: the type's default provider
};
