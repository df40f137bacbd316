// SHGetFolderPathA where the shell is the XDG base and user directories.
// Paths are cp1251.
#pragma once

#include <cstdint>

#include "platform/kernel/handle.h"
#include "platform/kernel/message_box.h"
#include "platform/kernel/result_types.h"

constexpr int MAX_PATH = 260;

constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_DRIVES = 17;
constexpr int CSIDL_APPDATA = 26;
constexpr int CSIDL_PROFILE = 40;

// Writes the folder's path with its zero byte into `path` (MAX_PATH bytes)
// and returns 0. CSIDL_APPDATA is the user's config home
// (platform/kernel/user_folders.h); CSIDL_PERSONAL the documents folder
// that the desktop's user-dirs.dirs in the config home names, as
// "$HOME/..." or an absolute path; CSIDL_PROFILE the home folder. A folder
// without a file-system path, an unknown id, a documents folder the file
// does not name, a missing home, a path that has no exact cp1251 form
// (codepage.h: SysPathToAnsi) or one of MAX_PATH bytes or more gives a
// negative code and an empty `path`. Whether the folder exists is not
// checked.
HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, uint32_t flags, char* path);
