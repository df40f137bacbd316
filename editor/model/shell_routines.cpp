#include "editor/model/shell_routines.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "editor/model/application.h"
#include "editor/model/string_routines.h"
#include "platform/kernel/file_system.h"
#include "platform/kernel/files.h"
#include "platform/kernel/find_file.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sys_messages.h"
#include "platform/shell/browse_folder.h"
#include "platform/shell/file_version.h"
#include "platform/shell/special_folder.h"

namespace {

uint32_t IconOf(int kind) {
  switch (kind) {
    case kMessageWarning: return MB_ICONWARNING;
    case kMessageError: return MB_ICONERROR;
    default: return MB_ICONINFORMATION;
  }
}

std::string VersionNumbersText(const FileVersionNumbers& v) {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", v.major, v.minor, v.release, v.build);
  return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
  // A link of the name would let the file written land anywhere.
  UniqueHandle file(
      CreateFileA(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT));
  if (!file) return false;
  uint32_t written = 0;
  if (!WriteFile(file.get(), text.data(), static_cast<uint32_t>(text.size()), &written)) {
    return false;
  }
  HANDLE raw = file.release();
  return CloseHandle(raw);
}

}  // namespace

std::string LastErrorMessage() {
  uint32_t code = GetLastError();
  char buffer[1024];
  uint32_t length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, code, buffer, sizeof buffer);
  if (length == 0) return "системная ошибка " + std::to_string(code);
  return TrimText(std::string_view(buffer, length));
}

// The box belongs to the active window, whichever window asked.
bool BrowseForFolder(HWND /*owner*/, const std::string& title, std::string& folder,
                     bool new_folder_button) {
  BrowseInfo info;
  info.owner = GetForegroundWindow();
  info.root = CSIDL_DRIVES;
  info.title = title;
  info.flags = BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEURLS;
  if (!new_folder_button) info.flags |= BIF_NONEWFOLDERBUTTON;
  info.selection = folder;
  std::optional<std::string> picked = SHBrowseForFolderA(info);
  if (!picked || picked->empty()) return false;
  folder = *picked;
  return true;
}

uint32_t MessageBoxType(int kind) { return MB_OK | IconOf(kind); }

uint32_t YesNoBoxType(bool default_yes, int icon) {
  uint32_t type = MB_YESNO | (icon >= 0 && icon <= 2 ? IconOf(icon) : MB_ICONQUESTION);
  return default_yes ? type : type | MB_DEFBUTTON2;
}

void ShowMessageBox(const std::string& text, int kind) {
  MessageBoxA(GetForegroundWindow(), text.c_str(), ApplicationTitle().c_str(),
              MessageBoxType(kind));
}

bool AskYesNo(const std::string& text, bool default_yes, int icon) {
  return MessageBoxA(GetForegroundWindow(), text.c_str(), ApplicationTitle().c_str(),
                     YesNoBoxType(default_yes, icon)) == IDYES;
}

FileVersionNumbers GetFileVersion(const std::string& path) {
  FileVersionNumbers numbers;
  uint32_t handle = 0;
  uint32_t size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return numbers;
  std::vector<unsigned char> block(size);
  void* value = nullptr;
  uint32_t length = 0;
  if (!GetFileVersionInfoA(path, handle, size, block.data()) ||
      !VerQueryValueA(block.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return numbers;
  }
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  numbers.major = static_cast<int>(fixed->dwFileVersionMS >> 16);
  numbers.minor = static_cast<int>(fixed->dwFileVersionMS & 0xFFFF);
  numbers.release = static_cast<int>(fixed->dwFileVersionLS >> 16);
  numbers.build = static_cast<int>(fixed->dwFileVersionLS & 0xFFFF);
  return numbers;
}

std::string AppVersionText() {
  return ApplicationTitle() + " " + VersionNumbersText(GetFileVersion(ApplicationExeName()));
}

std::string FileVersionText(const std::string& path, bool with_path) {
  std::string numbers = VersionNumbersText(GetFileVersion(path));
  return with_path ? path + " " + numbers : numbers;
}

bool FileExists(const std::string& path) {
  const uint32_t attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SaveStringToFile(const std::string& path, const std::string& text, std::string& message) {
  if (WriteWholeFile(path, text)) return true;
  message = "Ошибка записи файла " + path + " на диск: " + LastErrorMessage();
  return false;
}

std::string GetSpecialFolder(int folder) {
  char path[MAX_PATH];
  if (SHGetFolderPathA(nullptr, folder, nullptr, 0, path) < 0) return {};
  return path;
}

void ClearFolder(const std::string& folder, bool subfolders) {
  // An empty or relative folder would be taken from the current directory,
  // whatever it happens to be: nothing there is ours to delete.
  if (folder.empty() || (folder[0] != '\\' && folder[0] != '/')) return;
  const std::string prefix = IncludeBackslash(folder);
  FindData data;
  FindHandle find = FindFirstFileA(prefix + "*.*", data);
  if (!find) return;
  do {
    if (data.cFileName == "." || data.cFileName == "..") continue;
    const std::string path = prefix + data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileA(path);
    } else if (subfolders) {
      ClearFolder(path, true);
      RemoveDirectoryA(path);
    }
  } while (FindNextFileA(find, data));
}
