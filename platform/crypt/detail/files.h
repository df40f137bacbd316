// The files behind stores and containers. Paths are UTF-8. Each routine
// sets the last error from errno when it fails.
#pragma once

#include <sys/types.h>
#include <string>
#include <string_view>
#include <vector>

namespace crypt_detail {

// Writes a temporary file beside `path`, flushes it and renames it over
// `path`, so a reader sees the old bytes or the new ones, never a part.
bool WriteFileAtomic(const std::string& path, std::string_view data, mode_t mode);
bool ReadWholeFile(const std::string& path, std::string* data);
// A missing file counts as removed.
bool RemoveFile(const std::string& path);

// Whether the folder can be written: access(W_OK), and for root also the
// owner's write bit, which root would otherwise override (a read-only
// folder stays read-only for every user, as on the platform).
bool IsWritableFolder(const std::string& path);
// Creates the folder and its missing parents, each only where its parent
// is writable by the rule above.
bool EnsureFolder(const std::string& path);
bool FolderExists(const std::string& path);
// The names in the folder (no "." or ".."), sorted bytewise; a missing
// folder gives none.
std::vector<std::string> ListFolder(const std::string& path);

}  // namespace crypt_detail
