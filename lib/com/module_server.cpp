// Load of the library module: its type library becomes the module's TYPELIB
// resource, then the server object loads it and makes the factories. When
// that fails the module stays loaded without a server: the exports then
// answer as for an unknown class.
#include <memory>

#include "lib/com/com_server.h"
#include "lib/com/qim_tarvex_type_lib.h"
#include "lib/com/server_classes.h"
#include "lib/foundation/errors.h"
#include "platform/com/module_file.h"

namespace {

const TypeLibResource type_lib_resource(&type_lib_resource, QimTarvexTypeLib());

std::unique_ptr<CComServer> MakeServer() {
  try {
    return std::make_unique<CComServer>(ModuleFileName(&type_lib_resource), ServerClasses());
  } catch (const Exception& error) {
    DebugLog("Сервер COM не создан: %s", {error.Message()});
  } catch (...) {
    DebugMsg("Сервер COM не создан");
  }
  return nullptr;
}

const std::unique_ptr<CComServer> server = MakeServer();

}  // namespace
