// Reading and writing whole files, and deleting files and folders. Folder
// walks never follow a symbolic link: a link is removed as an entry, and
// what it points to stays untouched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/foundation/str_array.h"

// Called for each item that could not be deleted.
using DeleteFailureProc = void (*)(bool is_folder, const std::string& path, void* user_value);

// Clears the read-only attribute and deletes the file; false when either fails.
bool ForceDeleteFile(const std::string& file_name);
// Deletes the folder's whole content (read-only items too) and then the
// folder; true when everything went. An empty name deletes nothing and
// gives false.
bool DeleteDirectory(const std::string& folder, DeleteFailureProc on_failure = nullptr,
                     void* user_value = nullptr);
// The same, but the folder itself stays.
bool ClearDirectory(const std::string& folder, DeleteFailureProc on_failure = nullptr,
                    void* user_value = nullptr);
// Deletes what it can of the folder and its content; read-only files stay,
// and nothing is reported. An empty name deletes nothing.
void DeleteTree(const std::string& folder);

// The whole file. Raises "Файл не найден: [%s]" for a missing file or a
// folder, "Файл слишком велик!" for 4 GiB or more, an OS error otherwise.
std::string LoadFileToString(const std::string& file_name);
// Creates or replaces the file with the bytes; an empty string leaves an
// empty file. Raises "Передано пустое имя файла" for an empty name.
void WriteStringToFile(const std::string& file_name, const std::string& data);
// Creates or replaces the file with the bytes, through a memory mapping.
// A size of 0 raises and leaves no file behind.
void WriteBufferToFileMapped(const std::string& file_name, const void* buffer, size_t size);

// Adds the names the platform's directory search finds for folder + mask.
// An empty folder name finds nothing rather than searching the current folder.
void ListFiles(const std::string& folder, const std::string& mask, CStrArray& list,
               uint32_t attributes);
// Deletes the files (not folders) of the folder matching the mask; what
// cannot be deleted stays, and nothing is reported.
void DeleteFilesByMask(const std::string& folder, const std::string& mask);
