#include "lib/com/exports.h"

#include "lib/com/com_server.h"
#include "lib/com/safe_call.h"
#include "lib/foundation/errors.h"
#include "platform/kernel/debug_output.h"

namespace {

// A registration that fails answers E_FAIL, whatever call failed under
// it, unless memory ran out.
HRESULT RegistrationResult(const CaughtError& caught) {
  return caught.result == E_OUTOFMEMORY ? E_OUTOFMEMORY : E_FAIL;
}

}  // namespace

HRESULT DllGetClassObject(const CLSID& class_id, const IID& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  CComServer* server = CComServer::Instance();
  return server != nullptr ? server->GetClassObject(class_id, iid, object)
                           : CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT DllCanUnloadNow() {
  const CComServer* server = CComServer::Instance();
  return server == nullptr || server->CanUnloadNow() ? S_OK : S_FALSE;
}

HRESULT DllRegisterServer() {
  OutputDebugStringA("DllRegisterServer.begin");
  HRESULT result = S_OK;
  try {
    CComServer* server = CComServer::Instance();
    if (server == nullptr) RaiseError("Библиотека не загрузила свои классы");
    server->Register();
  } catch (...) {
    const CaughtError caught = ClassifyCaught(E_FAIL);
    OutputDebugStringA(caught.has_message ? caught.message.c_str()
                                          : "DllRegisterServer: непредвиденная ошибка");
    result = RegistrationResult(caught);
  }
  OutputDebugStringA("DllRegisterServer.end");
  return result;
}

HRESULT DllUnregisterServer() {
  try {
    CComServer* server = CComServer::Instance();
    if (server == nullptr) return E_FAIL;
    server->Unregister();
    return S_OK;
  } catch (...) {
    return RegistrationResult(ClassifyCaught(E_FAIL));
  }
}
