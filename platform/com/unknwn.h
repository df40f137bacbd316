// The COM root interface and the types it needs.
#pragma once

#include <cstdint>

using HRESULT = int32_t;

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;

struct IUnknown {
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;

 protected:
  ~IUnknown() = default;
};
