// The editor's routines over the shell, message boxes, version resources,
// files and folders. Texts and paths are cp1251.
#pragma once

#include <cstdint>
#include <string>

#include "platform/kernel/message_box.h"

enum MessageKind : int { kMessageWarning = 0, kMessageError = 1, kMessageInformation = 2 };

// Folder picker owned by the active window, rooted at the computer folder,
// centred, opened at `folder`.
// True and the picked file-system path in `folder`; false and `folder` as it
// was otherwise.
bool BrowseForFolder(HWND owner, const std::string& title, std::string& folder,
                     bool new_folder_button);

// The box types of the two routines below: kind 0 warning, 1 error, any other
// information; for questions icon 3 (and any other) is the question mark.
uint32_t MessageBoxType(int kind);
uint32_t YesNoBoxType(bool default_yes, int icon);
// Modal boxes captioned with the application title.
void ShowMessageBox(const std::string& text, int kind);
bool AskYesNo(const std::string& text, bool default_yes, int icon);

struct FileVersionNumbers {
  int major = 0;
  int minor = 0;
  int release = 0;
  int build = 0;
};
// All zero when the file has no version resource.
FileVersionNumbers GetFileVersion(const std::string& path);
// "<title> 1.2.3.4" for the running executable.
std::string AppVersionText();
// "<path> 1.2.3.4" with the path, else "1.2.3.4".
std::string FileVersionText(const std::string& path, bool with_path);

// The system's text for the last error, without its closing line break.
std::string LastErrorMessage();

// True when the path names an existing file, not a folder.
bool FileExists(const std::string& path);
// Creates or overwrites the file with the text's bytes; a symbolic link of
// the name is refused, never written through. False and
// "Ошибка записи файла %s на диск: %s" in `message` on failure.
bool SaveStringToFile(const std::string& path, const std::string& text, std::string& message);
// The folder's path (SHGetFolderPathA); empty when the shell has none.
std::string GetSpecialFolder(int folder);
// Deletes the folder's files and, with `subfolders`, its subfolders with
// their content; whatever cannot be deleted stays, silently. An empty or
// relative folder is refused: nothing is deleted.
void ClearFolder(const std::string& folder, bool subfolders);
