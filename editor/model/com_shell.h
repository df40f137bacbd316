// Binding to an in-process COM server without the registry: the module is
// loaded from a known folder and its own class-object export hands out the
// class factory. Texts and paths are cp1251.
#pragma once

#include <string>

#include "platform/com/unknwn.h"

using HMODULE = void*;

// The library module the editor binds to.
inline constexpr char kTarvexLibraryFileName[] = "Qim.Tarvex.Lib.so";

// Loads `folder` + `file_name`, the running executable's folder when `folder`
// is empty; a separator is put between them unless the folder ends in one.
// True with the handle in `module` and the path in `path`; false with
// "Невозможно загрузить библиотеку: <path>" in `message` and the path tried
// in `path`. `message` is written on failure only.
bool LoadLibraryFrom(const std::string& file_name, HMODULE& module, std::string& message,
                     std::string& path, const std::string& folder);

// Creates one object of `class_id` through the module's DllGetClassObject
// and its class factory, and puts its `iid` interface into `object` (null on
// failure). False with the reason in `message`, which is written on failure
// only. The factory is released on every path; the module stays loaded.
bool CreateObjectFromDll(HMODULE module, const CLSID& class_id, const IID& iid, void** object,
                         std::string& message);
