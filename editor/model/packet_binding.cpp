#include "editor/model/packet_binding.h"

#include <exception>
#include <utility>

#include "editor/model/editor_error.h"
#include "editor/model/ole_check.h"
#include "include/tarvex_guids.h"

namespace {

// An object of `class_id` from the loaded module, for the interface Intf.
template <typename Intf>
ComRef<Intf> CreateObject(HMODULE module, const CLSID& class_id) {
  void* object = nullptr;
  std::string message;
  if (!CreateObjectFromDll(module, class_id, Intf::kIid, &object, message)) {
    throw EditorError(message);
  }
  return ComRef<Intf>(static_cast<Intf*>(object));
}

}  // namespace

TPacketBinding::~TPacketBinding() {
  Crypt.reset();
  if (Package) {
    VARIANT_BOOL opened = VARIANT_FALSE;
    if (Package->IsOpened(&opened) == S_OK && opened != VARIANT_FALSE) {
      VARIANT_BOOL closed = VARIANT_FALSE;
      Package->Close(&closed);
    }
    Package.reset();
  }
}

void TPacketBinding::LoadLibrary() {
  if (LibraryModule != nullptr) return;
  std::string message;
  std::string path;
  if (!LoadLibraryFrom(kTarvexLibraryFileName, LibraryModule, message, path, LibraryFolder)) {
    throw EditorError(message);
  }
  LibraryPath = path;
}

bool TPacketBinding::LoadLibrarySafe(std::string& message) {
  try {
    LoadLibrary();
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

void TPacketBinding::EnsurePackage() {
  if (Package) return;
  LoadLibrary();
  Package = CreateObject<ITarvex>(LibraryModule, CLSID_Tarvex);
}

void TPacketBinding::EnsureCrypt() {
  if (Crypt) return;
  LoadLibrary();
  Crypt = CreateObject<ITarvexCrypt>(LibraryModule, CLSID_TarvexCrypt);
  try {
    VARIANT_BOOL built = VARIANT_FALSE;
    OleCheck(Crypt->Init(&built));
  } catch (const EditorError& e) {
    throw EditorError("Ошибка инициализации криптографии: некорректно установлен СКЗИ: " +
                      e.Message());
  }
}

bool TPacketBinding::InitCrypt(std::string& message) {
  try {
    EnsureCrypt();
    return true;
  } catch (const std::exception& e) {
    message = e.what();
    return false;
  }
}

void TPacketBinding::TakeBinding(TPacketBinding& other) {
  LibraryFolder = other.LibraryFolder;
  LibraryModule = other.LibraryModule;
  LibraryPath = other.LibraryPath;
  Crypt = std::move(other.Crypt);
  Package = std::move(other.Package);
}
