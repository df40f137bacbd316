// Writing a file through a memory mapping of a size fixed at opening.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/kernel/handle.h"

class CMapedFile {
 public:
  CMapedFile() = default;
  // Closes without fixing the size.
  ~CMapedFile();
  CMapedFile(const CMapedFile&) = delete;
  CMapedFile& operator=(const CMapedFile&) = delete;

  // Opens (or creates) the file and maps `size` bytes of it for writing; a
  // file still open is first let go without fixing its size. Raises "Не удалось открыть файл [%s]:
  // [%s]" with what went wrong.
  void OpenForWrite(const std::string& file_name, size_t size);
  // Copies the bytes at the current position. Raises "Не удалось записать
  // в файл [%s]: [%s]", also for bytes beyond the size given at opening.
  void Write(const void* data, size_t count);
  // Unmaps, and cuts the file at the size given at opening.
  void Close();

 private:
  void Release();

  void* View = nullptr;
  HANDLE Mapping = nullptr;
  size_t Position = 0;
  std::string FileName;
  int32_t MappedSize = -1;
  int32_t FilePos = -1;
  HANDLE FileHandle = nullptr;
};
