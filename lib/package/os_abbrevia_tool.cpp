#include "lib/package/os_abbrevia_tool.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>

#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/foundation/find_files.h"
#include "lib/foundation/guid_routines.h"
#include "lib/foundation/path_routines.h"
#include "platform/kernel/codepage.h"

namespace {

struct ZipDiscard {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct ZipSourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};
struct StdFileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

using ZipArchive = std::unique_ptr<zip_t, ZipDiscard>;
using ZipFile = std::unique_ptr<zip_file_t, ZipFileClose>;
using ZipSource = std::unique_ptr<zip_source_t, ZipSourceFree>;
using StdFile = std::unique_ptr<std::FILE, StdFileClose>;

// The host byte of "version made by" for entries whose name holds bytes of
// code page 1251 above ASCII, as the package format writes them.
constexpr zip_uint8_t kHostOfAnsiNames = 11;

[[noreturn]] void RaiseZipError(const std::string& archive_file, zip_error_t* error) {
  RaiseErrorFmt("Ошибка при работе с архивом [%s]: %s",
                {archive_file, std::string(zip_error_strerror(error))});
}

[[noreturn]] void RaiseArchiveError(const std::string& archive_file, zip_t* archive) {
  RaiseZipError(archive_file, zip_get_error(archive));
}

ZipArchive OpenArchive(const std::string& archive_file, int flags) {
  int code = 0;
  zip_t* archive = zip_open(SysPath(archive_file).c_str(), flags, &code);
  if (archive == nullptr) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    RaiseErrorFmt("Ошибка при работе с архивом [%s]: %s", {archive_file, text});
  }
  return ZipArchive(archive);
}

int EntryCount(const std::string& archive_file, zip_t* archive) {
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0 || count > INT32_MAX) RaiseArchiveError(archive_file, archive);
  return static_cast<int>(count);
}

std::string EntryName(const std::string& archive_file, zip_t* archive, int index) {
  const char* name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
  if (name == nullptr) RaiseArchiveError(archive_file, archive);
  return name;
}

bool IsBareName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string::npos;
}

// Streams entry `index` into `target_file`, replacing it.
void ExtractEntry(const std::string& archive_file, zip_t* archive, int index,
                  const std::string& target_file) {
  ZipFile entry(zip_fopen_index(archive, index, 0));
  if (!entry) RaiseArchiveError(archive_file, archive);
  StdFile out(std::fopen(SysPath(target_file).c_str(), "wb"));
  if (!out) RaiseErrorFmt("Не удалось создать файл: [%s]", {target_file});
  char buffer[64 * 1024];
  for (;;) {
    const zip_int64_t got = zip_fread(entry.get(), buffer, sizeof buffer);
    if (got < 0) RaiseZipError(archive_file, zip_file_get_error(entry.get()));
    if (got == 0) break;
    if (std::fwrite(buffer, 1, static_cast<size_t>(got), out.get()) != static_cast<size_t>(got)) {
      RaiseErrorFmt("Ошибка записи в файл: [%s]", {target_file});
    }
  }
  if (std::fclose(out.release()) != 0) RaiseErrorFmt("Ошибка записи в файл: [%s]", {target_file});
}

void ExtractAll(const std::string& folder, const std::string& archive_file) {
  ZipArchive archive = OpenArchive(archive_file, ZIP_RDONLY);
  const int count = EntryCount(archive_file, archive.get());
  for (int i = 0; i < count; ++i) {
    const std::string name = EntryName(archive_file, archive.get(), i);
    if (!IsBareName(name)) RaiseErrorFmt("Недопустимое имя файла в архиве: [%s]", {name});
    ExtractEntry(archive_file, archive.get(), i, CombinePath(folder, name));
  }
}

bool HasAnsiBytes(const std::string& name) {
  for (unsigned char c : name) {
    if (c >= 0x80) return true;
  }
  return false;
}

void AddFile(const std::string& archive_file, zip_t* archive, const std::string& file,
             const std::string& name) {
  ZipSource source(zip_source_file(archive, SysPath(file).c_str(), 0, -1));
  if (!source) RaiseArchiveError(archive_file, archive);
  const zip_int64_t index = zip_file_add(archive, name.c_str(), source.get(), ZIP_FL_OVERWRITE);
  if (index < 0) RaiseArchiveError(archive_file, archive);
  source.release();  // the archive owns it now
  if (zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 0) != 0 ||
      (HasAnsiBytes(name) &&
       zip_file_set_external_attributes(archive, index, 0, kHostOfAnsiNames, 0) != 0)) {
    RaiseArchiveError(archive_file, archive);
  }
}

uint32_t ReadLE(const unsigned char* bytes, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

bool ReadAt(std::FILE* file, long offset, void* buffer, size_t size) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(buffer, 1, size, file) == size;
}

bool WriteAt(std::FILE* file, long offset, const void* buffer, size_t size) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(buffer, 1, size, file) == size;
}

// libzip marks every name that happens to read as UTF-8 as UTF-8 (general
// purpose bit 11), but our names are cp1251 bytes: a reader that trusted
// the mark would see other names than the description's. The mark is taken
// off again in the central directory and in the local headers of the names
// we added (`names`), so entries an existing archive held keep theirs. A
// ZIP64 archive is left as it is.
bool ClearUtf8MarksIn(std::FILE* file, const std::set<std::string>& names) {
  constexpr uint16_t kUtf8Flag = 0x800;
  constexpr long kEndRecord = 22;
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  const long size = std::ftell(file);
  if (size < kEndRecord) return false;
  const long tail_size = std::min<long>(size, kEndRecord + 0xFFFF);
  std::string tail(static_cast<size_t>(tail_size), '\0');
  if (!ReadAt(file, size - tail_size, tail.data(), tail.size())) return false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(tail.data());
  long end = tail_size - kEndRecord;
  while (end >= 0 && ReadLE(bytes + end, 4) != 0x06054b50) --end;
  if (end < 0) return false;
  const uint32_t count = ReadLE(bytes + end + 10, 2);
  const uint32_t directory_size = ReadLE(bytes + end + 12, 4);
  const uint32_t directory_offset = ReadLE(bytes + end + 16, 4);
  if (count == 0xFFFF || directory_offset == 0xFFFFFFFF) return true;
  std::string directory(directory_size, '\0');
  if (!ReadAt(file, directory_offset, directory.data(), directory.size())) return false;
  auto* entry = reinterpret_cast<unsigned char*>(directory.data());
  const unsigned char* directory_end = entry + directory.size();
  for (uint32_t i = 0; i < count; ++i) {
    if (directory_end - entry < 46 || ReadLE(entry, 4) != 0x02014b50) return false;
    const uint32_t name_size = ReadLE(entry + 28, 2);
    const uint32_t record_size = 46 + name_size + ReadLE(entry + 30, 2) + ReadLE(entry + 32, 2);
    if (directory_end - entry < record_size) return false;
    const uint32_t flags = ReadLE(entry + 8, 2);
    const uint32_t local_offset = ReadLE(entry + 42, 4);
    const std::string name(reinterpret_cast<const char*>(entry + 46), name_size);
    if ((flags & kUtf8Flag) != 0 && names.count(name) != 0 && local_offset != 0xFFFFFFFF) {
      entry[9] &= ~(kUtf8Flag >> 8);
      unsigned char local_flags[2];
      if (!ReadAt(file, local_offset + 6, local_flags, 2)) return false;
      local_flags[1] &= ~(kUtf8Flag >> 8);
      if (!WriteAt(file, local_offset + 6, local_flags, 2)) return false;
    }
    entry += record_size;
  }
  return WriteAt(file, directory_offset, directory.data(), directory.size());
}

void ClearUtf8Marks(const std::string& archive_file, const std::set<std::string>& names) {
  if (names.empty()) return;
  StdFile file(std::fopen(SysPath(archive_file).c_str(), "r+b"));
  const bool cleared = file && ClearUtf8MarksIn(file.get(), names);
  if (!cleared || std::fclose(file.release()) != 0) {
    RaiseErrorFmt("Ошибка записи в файл: [%s]", {archive_file});
  }
}

}  // namespace

std::string COsAbbreviaTool::ExtractArchive(const std::string& target_folder,
                                            const std::string& archive_file, bool new_subfolder) {
  std::string folder = AddTrailingBackslash(target_folder);
  try {
    if (new_subfolder) {
      std::string subfolder;
      do {
        subfolder = AddTrailingBackslash(CombinePath(folder, NewGuidString()));
      } while (DirExists(subfolder));
      folder = subfolder;
    }
    if (!ForceDirectoryPath(folder)) RaiseErrorFmt("Не удалось создать папку: [%s]", {folder});
    ExtractAll(folder, archive_file);
    return folder;
  } catch (const Exception& error) {
    DebugLog("%s", {error.Message()});
    DeleteDirectory(folder);
    return std::string();
  }
}

std::string COsAbbreviaTool::UnzipString(const std::string& bytes) {
  const std::string temp = AddTrailingBackslash(GetEnvVar("TMP"));
  const std::string archive_file = temp + Format("%s.zip", {NewGuidHex()});
  struct Remove {
    const std::string& file;
    ~Remove() { ForceDeleteFile(file); }
  } remove_archive{archive_file};
  WriteStringToFile(archive_file, bytes);
  ZipArchive archive = OpenArchive(archive_file, ZIP_RDONLY);
  const int count = EntryCount(archive_file, archive.get());
  if (count != 1) RaiseErrorFmt("Неверное число файлов в архиве: [%d]", {count});
  const std::string entry_file = Format("%s.file", {archive_file});
  const Remove remove_entry{entry_file};
  ExtractEntry(archive_file, archive.get(), 0, entry_file);
  return LoadFileToString(entry_file);
}

bool COsAbbreviaTool::ZipFolder(const std::string& folder, const std::string& mask,
                                const std::string& archive_file) {
  if (!DirExists(folder)) return false;
  ZipArchive archive = OpenArchive(archive_file, ZIP_CREATE);
  std::set<std::string> ansi_names;
  for (const FindData& found : FindFiles(CombinePath(folder, mask), 0)) {
    AddFile(archive_file, archive.get(), CombinePath(folder, found.cFileName), found.cFileName);
    if (HasAnsiBytes(found.cFileName)) ansi_names.insert(found.cFileName);
  }
  if (zip_close(archive.get()) != 0) RaiseArchiveError(archive_file, archive.get());
  archive.release();  // closed and freed
  ClearUtf8Marks(archive_file, ansi_names);
  return true;
}
