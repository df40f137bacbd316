// The four entry points of the library module, over the loaded library's
// server object.
#pragma once

#include "platform/com/unknwn.h"

#define TARVEX_EXPORT extern "C" __attribute__((visibility("default")))

TARVEX_EXPORT HRESULT DllGetClassObject(const CLSID& class_id, const IID& iid, void** object);
TARVEX_EXPORT HRESULT DllCanUnloadNow();
TARVEX_EXPORT HRESULT DllRegisterServer();
TARVEX_EXPORT HRESULT DllUnregisterServer();
