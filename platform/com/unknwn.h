// The COM root interface. Its result and identifier types live in the
// kernel, which uses them too.
#pragma once

#include <cstdint>

#include "platform/kernel/result_types.h"

// Interfaces carry their IID as `kIid`, so templates can look them up.
struct IUnknown {
  static constexpr IID kIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};
