// The persistence of one store: a folder of a system store, or nothing for
// a store in memory. Shared by the store's handle and its contexts, so a
// property set on a context reaches the folder after the handle is closed.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crl_context.h"

namespace crypt_detail {

struct StoreBackend {
  std::string folder;  // UTF-8; empty for a store in memory
  bool read_only = false;
  std::mutex mutex;  // one writer of the folder at a time

  bool Persistent() const { return !folder.empty(); }

  // Writes the certificate and its property file (removed when `info` is
  // empty). True at once for a store in memory.
  bool WriteCertificate(const std::string& encoded, const std::optional<CryptKeyProvInfo>& info);
  bool WriteKeyProvInfo(const std::string& encoded, const std::optional<CryptKeyProvInfo>& info);
  bool WriteCrl(const CrlContext& crl);
};

// The certificates (with their properties) and CRLs of a store folder, in
// file-name order. Files that do not parse are left alone.
struct FolderContents {
  std::vector<std::pair<std::string, std::optional<CryptKeyProvInfo>>> certificates;
  std::vector<std::string> crls;
};
FolderContents ReadStoreFolder(const std::string& folder);

// The property file's text and back; ParseKeyProvInfo gives nothing for a
// text that is not one.
std::string FormatKeyProvInfo(const CryptKeyProvInfo& info);
std::optional<CryptKeyProvInfo> ParseKeyProvInfo(const std::string& text);

// UTF-16 and UTF-8; unpaired surrogates and malformed bytes become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace crypt_detail
