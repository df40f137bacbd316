#include "lib/com/exports.h"

#include "lib/com/com_server.h"
#include "lib/foundation/errors.h"
#include "platform/kernel/debug_output.h"

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
  } catch (const Exception& error) {
    OutputDebugStringA(error.Message().c_str());
    result = E_FAIL;
  } catch (...) {
    OutputDebugStringA("DllRegisterServer: непредвиденная ошибка");
    result = E_FAIL;
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
    return E_FAIL;
  }
}
