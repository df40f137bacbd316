// File handles over POSIX descriptors. Names are cp1251 (see SysPath).
// Sharing is kept with advisory whole-file locks, so two handles of this
// process (or of another one using these calls) exclude each other as the
// platform's share modes say. A read-only file (owner write bit clear)
// refuses write access even to root, as the platform does.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/kernel/handle.h"

constexpr uint32_t GENERIC_READ = 0x80000000;
constexpr uint32_t GENERIC_WRITE = 0x40000000;

constexpr uint32_t FILE_SHARE_READ = 0x01;
constexpr uint32_t FILE_SHARE_WRITE = 0x02;

constexpr uint32_t CREATE_NEW = 1;
constexpr uint32_t CREATE_ALWAYS = 2;
constexpr uint32_t OPEN_EXISTING = 3;
constexpr uint32_t OPEN_ALWAYS = 4;
constexpr uint32_t TRUNCATE_EXISTING = 5;

// Hints only; accepted and ignored apart from the attributes of file_system.h.
constexpr uint32_t FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
// A symbolic link in the name's place is not followed. A link cannot be
// opened as a file here, so the open fails with ERROR_STOPPED_ON_SYMLINK
// and whatever the link names stays as it was.
constexpr uint32_t FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;

constexpr uint32_t FILE_BEGIN = 0;
constexpr uint32_t FILE_CURRENT = 1;
constexpr uint32_t FILE_END = 2;

constexpr uint32_t INVALID_FILE_SIZE = 0xFFFFFFFF;
constexpr uint32_t INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

// Null (and the last error) on failure. A folder cannot be opened.
HANDLE CreateFileA(std::string_view file_name, uint32_t desired_access, uint32_t share_mode,
                   uint32_t creation_disposition, uint32_t flags_and_attributes);
// Reads until `to_read` bytes or the end of the file; `*read` gets the count.
bool ReadFile(HANDLE file, void* buffer, uint32_t to_read, uint32_t* read);
bool WriteFile(HANDLE file, const void* buffer, uint32_t to_write, uint32_t* written);
// The low half of the size; the high half into `*size_high` when given.
uint32_t GetFileSize(HANDLE file, uint32_t* size_high);
// Moves the file pointer; returns its low half (the high half into
// `*distance_high` when given), INVALID_SET_FILE_POINTER and the last error
// on failure.
uint32_t SetFilePointer(HANDLE file, int32_t distance, int32_t* distance_high, uint32_t method);
// Cuts or extends the file at the file pointer.
bool SetEndOfFile(HANDLE file);
