// Embeds a version resource in the executable that includes this header
// once, for GetFileVersionInfoA to find:
//   TARVEX_VERSION_RESOURCE(1, 0, 0, 0);
#pragma once

#include "platform/shell/file_version.h"

struct VersionResource {
  char16_t key[16];
  VS_FIXEDFILEINFO fixed;
};

#define TARVEX_VERSION_RESOURCE(major, minor, release, build)            \
  [[gnu::used]] static const VersionResource tarvex_version_resource = { \
      u"VS_VERSION_INFO",                                                \
      {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION, ((major) << 16) | (minor), \
       ((release) << 16) | (build), ((major) << 16) | (minor), ((release) << 16) | (build)}}
