// File mappings over mmap. A mapping keeps its file open on its own, and a
// view stays valid after both handles are closed, until it is unmapped.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/kernel/handle.h"

constexpr uint32_t PAGE_READONLY = 0x02;
constexpr uint32_t PAGE_READWRITE = 0x04;

constexpr uint32_t FILE_MAP_WRITE = 0x02;
constexpr uint32_t FILE_MAP_READ = 0x04;

// A mapping of `size` bytes (high and low halves) of the file; a shorter
// file is extended to that size, which is reserved on disk so that a full
// disk fails here and not in a later write to the view. Null and the last
// error on failure; a size of 0 is ERROR_INVALID_PARAMETER.
HANDLE CreateFileMappingA(HANDLE file, uint32_t protect, uint32_t size_high, uint32_t size_low);
// A view from the offset; `bytes` 0 maps to the end of the mapping.
void* MapViewOfFile(HANDLE mapping, uint32_t access, uint32_t offset_high, uint32_t offset_low,
                    size_t bytes);
bool UnmapViewOfFile(const void* view);
