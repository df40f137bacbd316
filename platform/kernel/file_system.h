// File attributes, deletion and folders, over POSIX. Paths are cp1251.
// Read-only means the owner's write bit is clear; root can still write
// such files, so the platform's refusal to delete them is applied here.
#pragma once

#include <cstdint>
#include <string_view>

constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// Attributes of the entry itself; a symbolic link is never followed.
uint32_t GetFileAttributesA(std::string_view path);
// Only FILE_ATTRIBUTE_READONLY has an effect.
bool SetFileAttributesA(std::string_view path, uint32_t attributes);
bool DeleteFileA(std::string_view path);
bool CreateDirectoryA(std::string_view path);
bool RemoveDirectoryA(std::string_view path);
