// Directory search with the platform's masks ("*", "?", and "*.*" for every
// name, dotted or not; letters a-z match either case). Entries are reported
// as they are: a symbolic link is never followed, so it never looks like a
// folder to the routines that walk trees. An entry whose name has no exact
// cp1251 form, or holds "\", is passed over: no cp1251 path could name it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct FindData {
  uint32_t dwFileAttributes = 0;
  uint64_t nFileSize = 0;
  std::string cFileName;  // cp1251
};

struct FindState;
struct FindStateDeleter {
  void operator()(FindState* state) const;
};
using FindHandle = std::unique_ptr<FindState, FindStateDeleter>;

// `pattern` is a folder, a separator and a mask. An empty handle and the last
// error (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND) when nothing matches.
FindHandle FindFirstFileA(std::string_view pattern, FindData& data);
// False and ERROR_NO_MORE_FILES at the end.
bool FindNextFileA(FindHandle& find, FindData& data);

bool MatchesMask(std::string_view name, std::string_view mask);
