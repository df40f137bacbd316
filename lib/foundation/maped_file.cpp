#include "lib/foundation/maped_file.h"

#include <cstring>
#include <limits>

#include "lib/foundation/errors.h"
#include "platform/kernel/file_mapping.h"
#include "platform/kernel/files.h"
#include "platform/kernel/last_error.h"

CMapedFile::~CMapedFile() { Release(); }

void CMapedFile::OpenForWrite(const std::string& file_name, size_t size) {
  Release();  // a file still open is let go as the destructor would
  FileName = file_name;
  try {
    // Checked before the file is touched: a refused size must leave no file.
    if (size == 0) RaiseError("Attempt to mapping the file of size=0");
    if (size > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
      RaiseError("Файл слишком велик!");
    }
    FileHandle = CreateFileA(file_name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS,
                             FILE_FLAG_SEQUENTIAL_SCAN);
    if (FileHandle == nullptr) RaiseLastOSError();
    uint32_t size_high = 0;
    if (GetFileSize(FileHandle, &size_high) == INVALID_FILE_SIZE && GetLastError() != 0) {
      RaiseLastOSError();
    }
    if (size_high != 0) RaiseError("Файл слишком велик!");
    const auto size32 = static_cast<int32_t>(size);
    Mapping = CreateFileMappingA(FileHandle, PAGE_READWRITE, 0, static_cast<uint32_t>(size32));
    if (Mapping == nullptr) RaiseLastOSError();
    if (SetFilePointer(FileHandle, size32, nullptr, FILE_BEGIN) != static_cast<uint32_t>(size32)) {
      RaiseLastOSError();
    }
    FilePos = size32;
    View = MapViewOfFile(Mapping, FILE_MAP_WRITE, 0, 0, 0);
    if (View == nullptr) RaiseLastOSError();
    Position = 0;
  } catch (const Exception& error) {
    Release();
    RaiseErrorFmt("Не удалось открыть файл [%s]: [%s]", {file_name, error.Message()});
  }
}

void CMapedFile::Write(const void* data, size_t count) {
  try {
    if (View == nullptr) RaiseError("Файл не открыт");
    // The view ends at the size fixed at opening, where the file pointer
    // already stands; nothing may go beyond it.
    if (count > static_cast<size_t>(FilePos) - Position) {
      RaiseErrorFmt("Запись за пределы размера файла: %d байт с позиции %d при размере %d",
                    {count, Position, FilePos});
    }
    std::memcpy(static_cast<char*>(View) + Position, data, count);
    Position += count;
  } catch (const Exception& error) {
    RaiseErrorFmt("Не удалось записать в файл [%s]: [%s]", {FileName, error.Message()});
  }
}

void CMapedFile::Close() {
  bool ok = true;
  uint32_t error = 0;
  const auto keep = [&](bool result) {
    if (!result && ok) {
      ok = false;
      error = GetLastError();
    }
  };
  if (View != nullptr) keep(UnmapViewOfFile(View));
  View = nullptr;
  MappedSize = FilePos;
  if (Mapping != nullptr) keep(CloseHandle(Mapping));
  Mapping = nullptr;
  // A longer file that was there before is cut to what was written.
  if (FileHandle != nullptr && MappedSize != -1) keep(SetEndOfFile(FileHandle));
  if (FileHandle != nullptr) keep(CloseHandle(FileHandle));
  FileHandle = nullptr;
  Position = 0;
  FilePos = -1;
  MappedSize = -1;
  if (!ok) {
    SetLastError(error);
    RaiseLastOSError();
  }
}

void CMapedFile::Release() {
  if (View != nullptr) UnmapViewOfFile(View);
  if (Mapping != nullptr) CloseHandle(Mapping);
  if (FileHandle != nullptr) CloseHandle(FileHandle);
  View = nullptr;
  Mapping = nullptr;
  FileHandle = nullptr;
  Position = 0;
  FilePos = -1;
  MappedSize = -1;
}
