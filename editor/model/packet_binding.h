// The library binding of a packet: each packet object loads the library
// module itself on its first need and never unloads it, and creates its
// package object and its key catalogue once. `TPacket` derives from it.
// Texts and paths are cp1251.
#pragma once

#include <string>

#include "editor/model/com_shell.h"
#include "include/tarvex_interfaces.h"
#include "platform/com/com_ref.h"

class TPacketBinding {
 public:
  TPacketBinding() = default;
  // Releases the catalogue first, then the package after closing it when it
  // is open; failures of these calls are ignored. The module stays loaded.
  ~TPacketBinding();
  TPacketBinding(const TPacketBinding&) = delete;
  TPacketBinding& operator=(const TPacketBinding&) = delete;

  // Loads the library module once; raises EditorError on failure, leaving
  // `LibraryModule` null and `LibraryPath` empty.
  void LoadLibrary();
  // LoadLibrary; false and the error's text in `message` on failure.
  bool LoadLibrarySafe(std::string& message);
  // Creates `Package` once; raises EditorError on failure, leaving it empty.
  void EnsurePackage();
  // Creates `Crypt` once and calls its Init. A failed Init raises
  // "Ошибка инициализации криптографии: некорректно установлен СКЗИ: %s"
  // but keeps the object: a later call does not run Init again.
  void EnsureCrypt();
  // EnsureCrypt; false and the error's text in `message` on failure.
  bool InitCrypt(std::string& message);
  // Takes over the module, the package object and the catalogue of
  // `other`, which is left without them, in place of this binding's own.
  void TakeBinding(TPacketBinding& other);

  // Where the library is loaded from, set by the caller from the editor
  // parameter QIMDLLPATH before the first use; empty = the executable's
  // folder.
  std::string LibraryFolder;
  // Null until the library is loaded; never freed.
  HMODULE LibraryModule = nullptr;
  // The file the library was loaded from.
  std::string LibraryPath;
  ComRef<ITarvex> Package;
  ComRef<ITarvexCrypt> Crypt;
};
