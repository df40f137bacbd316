// Class objects and the external locks that keep a server's objects alive.
#pragma once

#include <cstdint>

#include "platform/com/com_export.h"
#include "platform/com/unknwn.h"

using BOOL = int32_t;

struct IClassFactory : IUnknown {
  static constexpr IID kIid = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

// A lock holds one reference on `object`; an unlock gives it back (the
// reference is given back whatever `last_unlock_releases` says, since no
// stub manager of its own keeps the object here).
COMAPI HRESULT CoLockObjectExternal(IUnknown* object, BOOL lock, BOOL last_unlock_releases);
