#include "lib/package/os_abbrevia_tool.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <unordered_set>

#include "lib/foundation/errors.h"
#include "lib/package/zip_directory.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"

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
constexpr uint16_t kUtf8Flag = 0x800;

// libzip's text, with the system's own text for a failed system call
// (a full disk, a file beyond the process's size limit).
std::string ZipErrorText(zip_error_t* error) {
  std::string text = zip_error_strerror(error);
  const int system = zip_error_code_system(error);
  if (zip_error_system_type(error) != ZIP_ET_SYS || system == 0) return text;
  const uint32_t code = ErrnoToSystemError(system);
  if (code == ERROR_INVALID_PARAMETER && system != EINVAL) return text;
  return text.substr(0, text.find(": ")) + ": " + TrimmedSysErrorText(code);
}

[[noreturn]] void RaiseZipError(const std::string& archive, zip_error_t* error) {
  RaiseErrorFmt("Ошибка при работе с архивом [%s]: %s", {archive, ZipErrorText(error)});
}

[[noreturn]] void RaiseArchiveError(const std::string& archive, zip_t* zip) {
  RaiseZipError(archive, zip_get_error(zip));
}

[[noreturn]] void RaiseZipCode(const std::string& archive, int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  const std::string text = ZipErrorText(&error);
  zip_error_fini(&error);
  RaiseErrorFmt("Ошибка при работе с архивом [%s]: %s", {archive, text});
}

// The name with its control bytes shown as \xNN, so that a message can
// name it.
std::string Visible(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string visible;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) {
      visible += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    } else {
      visible += static_cast<char>(c);
    }
  }
  return visible;
}

// A bare file name of printable bytes: anything else would land outside
// the package's folder or under another name than the one stored.
bool IsBareName(const std::string& name) {
  const bool control = std::any_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
  });
  return !control && !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string::npos;
}

bool HasAnsiBytes(const std::string& name) {
  return std::any_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Reads an archive's entries into memory within the limits; the total
// counts every entry read.
class EntryReader {
 public:
  EntryReader(const std::string& label, zip_t* archive, const ZipLimits& limits)
      : label_(label), archive_(archive), limits_(limits) {}

  int Count() const {
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0) RaiseArchiveError(label_, archive_);
    if (count > limits_.entries) {
      RaiseErrorFmt("Число файлов в архиве [%0:d] превышает предел [%1:d]",
                    {count, limits_.entries});
    }
    return static_cast<int>(count);
  }

  // Streams entry `index` into memory, checking the bounds on the sizes the
  // archive declares and again on the bytes as they come.
  std::string Read(int index, const std::string& name) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, index, 0, &stat) != 0) RaiseArchiveError(label_, archive_);
    const int64_t packed = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    if (stat.valid & ZIP_STAT_SIZE) Check(name, static_cast<int64_t>(stat.size), packed);
    ZipFile entry(zip_fopen_index(archive_, index, 0));
    if (!entry) RaiseArchiveError(label_, archive_);
    std::string bytes;
    if (stat.valid & ZIP_STAT_SIZE) bytes.reserve(stat.size);
    char buffer[64 * 1024];
    for (;;) {
      const zip_int64_t got = zip_fread(entry.get(), buffer, sizeof buffer);
      if (got < 0) RaiseZipError(label_, zip_file_get_error(entry.get()));
      if (got == 0) break;
      Check(name, static_cast<int64_t>(bytes.size()) + got, packed);
      bytes.append(buffer, static_cast<size_t>(got));
    }
    total_ += static_cast<int64_t>(bytes.size());
    return bytes;
  }

 private:
  void Check(const std::string& name, int64_t size, int64_t packed) const {
    if (size > limits_.entry_size) {
      RaiseErrorFmt("Размер файла [%0:s] в архиве превышает предел [%1:d] байт",
                    {Visible(name), limits_.entry_size});
    }
    if (total_ + size > limits_.total_size) {
      RaiseErrorFmt("Общий размер файлов в архиве превышает предел [%d] байт",
                    {limits_.total_size});
    }
    if (size > limits_.ratio_floor && size / limits_.ratio > packed) {
      RaiseErrorFmt("Файл [%0:s] в архиве сжат сильнее предела [%1:d] к 1",
                    {Visible(name), limits_.ratio});
    }
  }

  const std::string& label_;
  zip_t* archive_;
  const ZipLimits& limits_;
  int64_t total_ = 0;
};

// The raw names of the archive's entries, in libzip's order.
std::vector<std::string> RawNames(const std::string& archive_file, std::FILE* file) {
  ZipDirectory directory;
  const auto read_at = [file](uint64_t offset, void* buffer, size_t size) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(buffer, 1, size, file) == size;
  };
  if (::fseeko(file, 0, SEEK_END) != 0 || !ReadZipDirectory(::ftello(file), read_at, directory)) {
    RaiseErrorFmt("Ошибка при работе с архивом [%s]: оглавление архива не читается",
                  {archive_file});
  }
  std::vector<std::string> names;
  names.reserve(directory.entries.size());
  for (ZipDirectoryEntry& entry : directory.entries) names.push_back(std::move(entry.name));
  return names;
}

void CheckNames(const std::vector<std::string>& names) {
  std::unordered_set<std::string> seen;
  for (const std::string& name : names) {
    if (!IsBareName(name)) RaiseErrorFmt("Недопустимое имя файла в архиве: [%s]", {Visible(name)});
    if (!seen.insert(name).second) {
      RaiseErrorFmt("Файл [%s] встречается в архиве дважды", {name});
    }
  }
}

// libzip marks every name that happens to read as UTF-8 as UTF-8 (general
// purpose bit 11), but our names are cp1251 bytes: a reader that trusted
// the mark would see other names than the description's. The mark is taken
// off again in the central directory and in the local headers of `names`.
// Entries kept in ZIP64 form are left as they are.
bool ClearUtf8MarksIn(std::FILE* file, const std::set<std::string>& names) {
  const auto read_at = [file](uint64_t offset, void* buffer, size_t size) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(buffer, 1, size, file) == size;
  };
  const auto write_at = [file](uint64_t offset, const void* buffer, size_t size) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fwrite(buffer, 1, size, file) == size;
  };
  ZipDirectory directory;
  if (::fseeko(file, 0, SEEK_END) != 0 || !ReadZipDirectory(::ftello(file), read_at, directory)) {
    return false;
  }
  for (const ZipDirectoryEntry& entry : directory.entries) {
    if ((entry.flags & kUtf8Flag) == 0 || names.count(entry.name) == 0 ||
        entry.local_offset == 0xFFFFFFFF) {
      continue;
    }
    directory.bytes[entry.record_offset + 9] &= ~(kUtf8Flag >> 8);
    unsigned char local_flags[2];
    if (!read_at(entry.local_offset + 6, local_flags, 2)) return false;
    local_flags[1] &= ~(kUtf8Flag >> 8);
    if (!write_at(entry.local_offset + 6, local_flags, 2)) return false;
  }
  return write_at(directory.offset, directory.bytes.data(), directory.bytes.size());
}

void ClearUtf8Marks(const std::string& archive_file, const std::set<std::string>& names) {
  if (names.empty()) return;
  StdFile file(std::fopen(SysPath(archive_file).c_str(), "r+b"));
  const bool cleared = file && ClearUtf8MarksIn(file.get(), names);
  if (!cleared || std::fclose(file.release()) != 0) {
    RaiseErrorFmt("Ошибка записи в файл: [%s]", {archive_file});
  }
}

void AddEntry(const std::string& archive_file, zip_t* archive, const ZipEntryView& entry) {
  ZipSource source(zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0));
  if (!source) RaiseArchiveError(archive_file, archive);
  // Without ZIP_FL_OVERWRITE a second entry of one name fails here.
  const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source.get(), 0);
  if (index < 0) RaiseArchiveError(archive_file, archive);
  source.release();  // the archive owns it now
  if (zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 0) != 0 ||
      (HasAnsiBytes(entry.name) &&
       zip_file_set_external_attributes(archive, index, 0, kHostOfAnsiNames, 0) != 0)) {
    RaiseArchiveError(archive_file, archive);
  }
}

}  // namespace

std::vector<ZipEntry> COsAbbreviaTool::ReadArchive(const std::string& archive_file,
                                                   const ZipLimits& limits) {
  StdFile file(std::fopen(SysPath(archive_file).c_str(), "rb"));
  if (!file) RaiseErrorFmt("Файл не найден: [%s]", {archive_file});
  int code = 0;
  ZipArchive archive(zip_open(SysPath(archive_file).c_str(), ZIP_RDONLY, &code));
  if (!archive) RaiseZipCode(archive_file, code);
  EntryReader reader(archive_file, archive.get(), limits);
  const int count = reader.Count();
  const std::vector<std::string> names = RawNames(archive_file, file.get());
  if (static_cast<int>(names.size()) != count) {
    RaiseErrorFmt("Ошибка при работе с архивом [%s]: оглавление архива не читается",
                  {archive_file});
  }
  CheckNames(names);
  std::vector<ZipEntry> entries;
  entries.reserve(names.size());
  for (int i = 0; i < count; ++i) entries.push_back({names[i], reader.Read(i, names[i])});
  return entries;
}

std::string COsAbbreviaTool::UnzipString(const std::string& bytes, const ZipLimits& limits) {
  const std::string label = "сжатое содержимое";
  zip_error_t error;
  zip_error_init(&error);
  ZipSource source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
  if (!source) RaiseZipError(label, &error);
  ZipArchive archive(zip_open_from_source(source.get(), ZIP_RDONLY, &error));
  if (!archive) {
    const std::string text = ZipErrorText(&error);
    zip_error_fini(&error);
    RaiseErrorFmt("Ошибка при работе с архивом [%s]: %s", {label, text});
  }
  source.release();  // the archive owns it now
  EntryReader reader(label, archive.get(), limits);
  const int count = reader.Count();
  if (count != 1) RaiseErrorFmt("Неверное число файлов в архиве: [%d]", {count});
  const char* name = zip_get_name(archive.get(), 0, ZIP_FL_ENC_RAW);
  return reader.Read(0, name != nullptr ? name : "");
}

void COsAbbreviaTool::WriteArchive(const std::string& archive_file,
                                   const std::vector<ZipEntryView>& entries) {
  int code = 0;
  ZipArchive archive(zip_open(SysPath(archive_file).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!archive) RaiseZipCode(archive_file, code);
  std::set<std::string> ansi_names;
  for (const ZipEntryView& entry : entries) {
    AddEntry(archive_file, archive.get(), entry);
    if (HasAnsiBytes(entry.name)) ansi_names.insert(entry.name);
  }
  if (zip_close(archive.get()) != 0) RaiseArchiveError(archive_file, archive.get());
  archive.release();  // closed and freed
  ClearUtf8Marks(archive_file, ansi_names);
}
