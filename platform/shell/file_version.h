// The version resource of a file. Here it is a block that the executable
// embeds with TARVEX_VERSION_RESOURCE (version_resource.h): the key
// "VS_VERSION_INFO" in UTF-16 followed by the fixed file information, found
// by scanning the file. Paths are cp1251.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr uint32_t VS_FFI_STRUCVERSION = 0x00010000;

struct VS_FIXEDFILEINFO {
  uint32_t dwSignature;
  uint32_t dwStrucVersion;
  uint32_t dwFileVersionMS;
  uint32_t dwFileVersionLS;
  uint32_t dwProductVersionMS;
  uint32_t dwProductVersionLS;
};

// The size of the file's version block, or 0 and the last error
// (ERROR_NOT_FOUND when the file has none, the open error otherwise).
// `*handle` is set to 0.
uint32_t GetFileVersionInfoSizeA(std::string_view path, uint32_t* handle);
// Copies the version block into `data` (`size` bytes at least).
bool GetFileVersionInfoA(std::string_view path, uint32_t handle, uint32_t size, void* data);
// Only the root block "\" exists: `*value` points at the VS_FIXEDFILEINFO
// inside `block`.
bool VerQueryValueA(const void* block, std::string_view sub_block, void** value, uint32_t* length);
