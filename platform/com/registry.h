// The registry's HKEY_CLASSES_ROOT, kept in files so that every test can
// point it at its own folder.
//
// Environment variable (read at every call): TARVEX_COM_REGISTRY_ROOT; default
// <user data home>/tarvex/registry (platform/kernel/user_folders.h). Without
// either every call fails with ERROR_PATH_NOT_FOUND.
// Layout: <root>/HKEY_CLASSES_ROOT/<key>/<subkey>/... are folders; a value
// is the file "=<name>" in its key's folder ("=" alone for the default
// value) holding the string without its terminating zero. Every value is
// written through a temporary file and a rename.
//
// Key names are cp1251 with "\" between the levels; a level may not be
// empty, "." or "..", hold "/" or start with "=". Names match exactly:
// the callers spell every key one way. Only REG_SZ values.
// Results are the system error codes (ERROR_SUCCESS = 0).
#pragma once

#include <cstdint>
#include <string>

#include "platform/com/com_export.h"

struct RegKey;
using HKEY = RegKey*;

COM_SHARED extern const HKEY HKEY_CLASSES_ROOT;

constexpr uint32_t REG_SZ = 1;

COM_SHARED int32_t RegCreateKeyA(HKEY parent, const char* subkey, HKEY* result);
COM_SHARED int32_t RegOpenKeyA(HKEY parent, const char* subkey, HKEY* result);
COM_SHARED int32_t RegCloseKey(HKEY key);
// `data` is `size` bytes; a terminating zero at the end is not stored.
COM_SHARED int32_t RegSetValueExA(HKEY key, const char* name, uint32_t reserved, uint32_t type,
                                  const uint8_t* data, uint32_t size);
// The value with its terminating zero; ERROR_MORE_DATA (and the size needed)
// when `data` is too small, the size alone when `data` is null.
COM_SHARED int32_t RegQueryValueExA(HKEY key, const char* name, uint32_t* reserved, uint32_t* type,
                                    uint8_t* data, uint32_t* size);
// Deletes a key without subkeys; ERROR_ACCESS_DENIED while it has some.
COM_SHARED int32_t RegDeleteKeyA(HKEY parent, const char* subkey);
