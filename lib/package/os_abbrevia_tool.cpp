#include "lib/package/os_abbrevia_tool.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <set>

#include "lib/foundation/errors.h"
#include "lib/package/parallel_work.h"
#include "lib/package/zip_codec.h"
#include "lib/package/zip_directory.h"
#include "lib/package/zip_error_text.h"
#include "lib/package/zip_layout_checks.h"
#include "lib/package/zip_packed_source.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/escaped_text.h"

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
// Bytes of entries deflated at once while an archive is written: bounds
// the memory that the attempts hold beside the documents.
constexpr size_t kDeflateBudget = size_t{40} << 20;

// Our text of a libzip error, with the system's own text for a failed
// system call (a full disk, a file beyond the process's size limit);
// libzip's own English text goes only to the debug trace.
std::string ZipErrorText(zip_error_t* error) {
  DebugLog("libzip: %s", {std::string(zip_error_strerror(error))});
  std::string text = ZipCodeText(zip_error_code_zip(error));
  const int system = zip_error_code_system(error);
  if (zip_error_system_type(error) != ZIP_ET_SYS || system == 0) return text;
  const uint32_t code = ErrnoToSystemError(system);
  if (code == ERROR_INVALID_PARAMETER && system != EINVAL) return text;
  return text + ": " + TrimmedSysErrorText(code);
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

bool HasAnsiBytes(const std::string& name) {
  return std::any_of(name.begin(), name.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Reads an archive's entries into memory within the limits: read packed,
// one after the other, and unpacked on the machine's cores. The package
// format stores or deflates its entries and never encrypts them; an entry
// of another kind is refused before anything is read, as it would reach a
// decoder of its own beyond these bounds. The directory that the entries
// are read by has passed CheckZipLayout, so their stored bytes lie apart
// from one another within the archive. Invariant: the stored bytes read
// and held for all entries together never exceed the archive's length,
// however many entries the directory lists.
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

  // Checks the kind and declared sizes of `entries`, whose names are the
  // archive's, in order, before anything of them is read.
  void Declare(const std::vector<ZipEntry>& entries) {
    packed_.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      packed_[i] = Declared(static_cast<int>(i), entries[i].name);
    }
  }

  // The declared sizes of the entries declared so far, together.
  int64_t DeclaredTotal() const { return declared_; }

  // Fills the bytes of the declared `entries` by the archive's checked
  // `directory`.
  void ReadAll(const ZipDirectory& directory, std::vector<ZipEntry>& entries) {
    const size_t count = entries.size();
    for (size_t i = 0; i < count; ++i) {
      ReadPacked(static_cast<int>(i), directory.entries[i].stored_size, packed_[i]);
    }
    std::vector<size_t> costs(count);
    for (size_t i = 0; i < count; ++i) costs[i] = packed_[i].stat.size;
    try {
      RunInParallel(costs, SIZE_MAX,
                    [&](size_t i) { entries[i].bytes = Unpack(entries[i].name, packed_[i]); });
    } catch (const Exception& error) {
      RaiseError(error.Message());
    }
  }

 private:
  struct Packed {
    zip_stat_t stat{};
    std::string bytes;   // the entry as stored
    int64_t others = 0;  // the declared sizes of the entries before it
  };

  // The entry's kind and sizes checked as the archive declares them.
  Packed Declared(int index, const std::string& name) {
    Packed packed;
    zip_stat_init(&packed.stat);
    if (zip_stat_index(archive_, index, 0, &packed.stat) != 0) RaiseArchiveError(label_, archive_);
    const zip_stat_t& stat = packed.stat;
    constexpr uint64_t kKnown = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD |
                                ZIP_STAT_ENCRYPTION_METHOD | ZIP_STAT_CRC;
    if ((stat.valid & kKnown) != kKnown) RaiseFormatError(ZIP_ER_INCONS);
    if (stat.encryption_method != ZIP_EM_NONE) {
      RaiseErrorFmt("Файл [%s] в архиве зашифрован, а пакет не шифрует своих файлов",
                    {Escaped(name)});
    }
    if (stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE) {
      RaiseErrorFmt(
          "Файл [%0:s] в архиве сжат методом [%1:s], а пакет хранит файлы только несжатыми или "
          "сжатыми методом deflate",
          {Escaped(name), MethodName(stat.comp_method)});
    }
    packed.others = declared_;
    RaiseLimit(LimitError(name, stat.size, stat.comp_size, declared_));
    // Within the entry bound, so that the size fits any figure it meets.
    declared_ += static_cast<int64_t>(stat.size);
    return packed;
  }

  // The entry's `stored_size` bytes, as the checked directory has them.
  void ReadPacked(int index, uint64_t stored_size, Packed& packed) {
    // libzip reads the same record: the invariant rests on its agreeing.
    if (packed.stat.comp_size != stored_size) RaiseFormatError(ZIP_ER_INCONS);
    ZipFile entry(zip_fopen_index(archive_, index, ZIP_FL_COMPRESSED));
    if (!entry) RaiseEntryError(zip_get_error(archive_));
    packed.bytes.resize(stored_size);
    const zip_int64_t got = zip_fread(entry.get(), packed.bytes.data(), packed.bytes.size());
    if (got < 0) RaiseEntryError(zip_file_get_error(entry.get()));
    if (static_cast<uint64_t>(got) != stored_size) RaiseFormatError(ZIP_ER_EOF);
  }

  // On any thread: raises nothing through the library's routines, only
  // throws.
  std::string Unpack(const std::string& name, Packed& packed) const {
    const zip_stat_t& stat = packed.stat;
    std::string bytes;
    if (stat.comp_method == ZIP_CM_STORE) {
      bytes = std::move(packed.bytes);
    } else {
      const std::string stored = std::move(packed.bytes);
      // Nothing is inflated past the declared size, which the limits
      // counted: bytes that the headers understate are refused at once.
      const auto grown = [&](int64_t size) {
        if (static_cast<uint64_t>(size) > stat.size)
          throw Exception(FormatErrorText(ZIP_ER_INCONS));
        const std::string error =
            LimitError(name, static_cast<uint64_t>(size), stat.comp_size, packed.others);
        if (!error.empty()) throw Exception(error);
      };
      if (!InflateRaw(stored, stat.size, stat.size, bytes, grown)) {
        throw Exception(FormatErrorText(ZIP_ER_COMPRESSED_DATA));
      }
    }
    if (bytes.size() != stat.size) throw Exception(FormatErrorText(ZIP_ER_INCONS));
    if (ZipCrc32(bytes) != stat.crc) throw Exception(FormatErrorText(ZIP_ER_CRC));
    return bytes;
  }

  // What a bound says of an entry of `size` bytes stored in `stored`, after
  // `others` bytes of the entries before it; empty when it is within them.
  // The sizes are taken as the archive declares them, unsigned: a size of
  // 2^63 or more is no negative figure that passes every bound.
  std::string LimitError(const std::string& name, uint64_t size, uint64_t stored,
                         int64_t others) const {
    if (size > static_cast<uint64_t>(limits_.entry_size)) {
      return Format("Размер файла [%0:s] в архиве превышает предел [%1:d] байт",
                    {Escaped(name), limits_.entry_size});
    }
    // Within the entry bound now, so the size converts; a packed size of
    // 2^63 or more is as good as unbounded for the ratio.
    const auto declared = static_cast<int64_t>(size);
    if (others + declared > limits_.total_size) return limits_.TotalSizeError();
    const auto packed = static_cast<int64_t>(std::min<uint64_t>(stored, INT64_MAX));
    if (limits_.TooCompressed(declared, packed)) {
      return Format("Файл [%0:s] в архиве сжат сильнее предела [%1:d] к 1",
                    {Escaped(name), limits_.ratio});
    }
    return std::string();
  }

  static void RaiseLimit(const std::string& error) {
    if (!error.empty()) RaiseError(error);
  }

  std::string FormatErrorText(int code) const { return ArchiveCodeText(label_, code); }

  [[noreturn]] void RaiseFormatError(int code) const { RaiseError(FormatErrorText(code)); }

  // Our arguments are sound: libzip finds one invalid only where the
  // archive's headers led it, to a local header that is not there.
  [[noreturn]] void RaiseEntryError(zip_error_t* error) const {
    if (zip_error_code_zip(error) != ZIP_ER_INVAL) RaiseZipError(label_, error);
    DebugLog("libzip: %s", {std::string(zip_error_strerror(error))});
    RaiseFormatError(ZIP_ER_INCONS);
  }

  const std::string& label_;
  zip_t* archive_;
  const ZipLimits& limits_;
  std::vector<Packed> packed_;
  int64_t declared_ = 0;
};

ZipReadAt FileReadAt(std::FILE* file) {
  return [file](uint64_t offset, void* buffer, size_t size) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fread(buffer, 1, size, file) == size;
  };
}

// libzip marks every name that happens to read as UTF-8 as UTF-8 (general
// purpose bit 11), but our names are cp1251 bytes: a reader that trusted
// the mark would see other names than the description's. The mark is taken
// off again in the central directory and in the local headers of `names`.
bool ClearUtf8MarksIn(std::FILE* file, const std::set<std::string>& names) {
  const ZipReadAt read_at = FileReadAt(file);
  const auto write_at = [file](uint64_t offset, const void* buffer, size_t size) {
    return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 &&
           std::fwrite(buffer, 1, size, file) == size;
  };
  ZipDirectory directory;
  if (::fseeko(file, 0, SEEK_END) != 0 || !ReadZipDirectory(::ftello(file), read_at, directory)) {
    return false;
  }
  for (const ZipDirectoryEntry& entry : directory.entries) {
    if ((entry.flags & kUtf8Flag) == 0 || names.count(entry.name) == 0) continue;
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

// Refuses entries that reading within `limits` would refuse by their size,
// before anything of them is deflated. libzip marks an entry of exactly
// 0xFFFFFFFF bytes as ZIP64 yet writes no ZIP64 field for it, so no entry
// comes that near, whatever the limits.
void CheckEntrySizes(const std::vector<ZipEntryView>& entries, const ZipLimits& limits) {
  ZipLimits bounds = limits;
  bounds.entry_size = std::min<int64_t>(limits.entry_size, int64_t{UINT32_MAX} - 1);
  int64_t total = 0;
  for (const ZipEntryView& entry : entries) {
    const auto size = static_cast<int64_t>(entry.bytes.size());
    total += size;
    const std::string error = bounds.FileSizeError(entry.name, size, total);
    if (!error.empty()) RaiseError(error);
  }
}

// Adds the entry to the archive: its bytes deflated beforehand when
// `packed` has them, else stored as they are.
void AddEntry(const std::string& archive_file, zip_t* archive, const ZipEntryView& entry,
              ZipPackedBytes* packed) {
  ZipSource source(packed != nullptr
                       ? ZipPackedSource(archive, packed)
                       : zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0));
  if (!source) RaiseArchiveError(archive_file, archive);
  // Without ZIP_FL_OVERWRITE a second entry of one name fails here.
  const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source.get(), 0);
  if (index < 0) RaiseArchiveError(archive_file, archive);
  source.release();  // the archive owns it now
  const zip_int32_t method = packed != nullptr ? ZIP_CM_DEFLATE : ZIP_CM_STORE;
  if (zip_set_file_compression(archive, index, method, 0) != 0 ||
      (HasAnsiBytes(entry.name) &&
       zip_file_set_external_attributes(archive, index, 0, kHostOfAnsiNames, 0) != 0)) {
    RaiseArchiveError(archive_file, archive);
  }
}

// A zip archive of one file held in memory, opened, with its entry
// declared within the limits and its layout checked: nothing is inflated
// until it is read.
class OneFileArchive {
 public:
  OneFileArchive(const std::string& bytes, const ZipLimits& limits)
      : bytes_(bytes), archive_(Open(bytes)), reader_(label_, archive_.get(), limits) {
    const int count = reader_.Count();
    if (count != 1) RaiseErrorFmt("Неверное число файлов в архиве: [%d]", {count});
    directory_ = ReadDirectory(label_, bytes.size(), ReadAt(), count);
    entries_.push_back({directory_.entries[0].name, std::string()});
    reader_.Declare(entries_);
    CheckLayout(label_, directory_, bytes.size(), ReadAt());
  }

  int64_t DeclaredSize() const { return reader_.DeclaredTotal(); }

  std::string Read() {
    reader_.ReadAll(directory_, entries_);
    return std::move(entries_[0].bytes);
  }

 private:
  ZipArchive Open(const std::string& bytes) const {
    zip_error_t error;
    zip_error_init(&error);
    ZipSource source(zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error));
    if (!source) RaiseZipError(label_, &error);
    ZipArchive archive(zip_open_from_source(source.get(), ZIP_RDONLY, &error));
    if (!archive) {
      const int code = zip_error_code_zip(&error);
      const std::string text = ZipErrorText(&error);
      zip_error_fini(&error);
      if (code == ZIP_ER_INCONS) CheckFlaggedNames(bytes.size(), ReadAt());
      RaiseErrorFmt("Ошибка при работе с архивом [%s]: %s", {label_, text});
    }
    source.release();  // the archive owns it now
    return archive;
  }

  ZipReadAt ReadAt() const {
    return [this](uint64_t offset, void* buffer, size_t size) {
      if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
      std::memcpy(buffer, bytes_.data() + offset, size);
      return true;
    };
  }

  const std::string label_ = "сжатое содержимое";
  const std::string& bytes_;
  ZipArchive archive_;
  EntryReader reader_;
  ZipDirectory directory_;
  std::vector<ZipEntry> entries_;
};

}  // namespace

std::vector<ZipEntry> COsAbbreviaTool::ReadArchive(const std::string& archive_file,
                                                   const ZipLimits& limits) {
  StdFile file(std::fopen(SysPath(archive_file).c_str(), "rb"));
  if (!file) RaiseErrorFmt("Файл не найден: [%s]", {archive_file});
  const off_t archive_size = ::fseeko(file.get(), 0, SEEK_END) == 0 ? ::ftello(file.get()) : -1;
  if (archive_size < 0) RaiseErrorFmt("Файл не найден: [%s]", {archive_file});
  const ZipReadAt read_at = FileReadAt(file.get());
  int code = 0;
  ZipArchive archive(zip_open(SysPath(archive_file).c_str(), ZIP_RDONLY, &code));
  if (!archive) {
    if (code == ZIP_ER_INCONS) CheckFlaggedNames(static_cast<uint64_t>(archive_size), read_at);
    RaiseZipCode(archive_file, code);
  }
  EntryReader reader(archive_file, archive.get(), limits);
  const int count = reader.Count();
  const ZipDirectory directory =
      ReadDirectory(archive_file, static_cast<uint64_t>(archive_size), read_at, count);
  std::vector<ZipEntry> entries = NamedEntries(directory);
  CheckNames(entries);
  reader.Declare(entries);
  CheckLayout(archive_file, directory, static_cast<uint64_t>(archive_size), read_at);
  reader.ReadAll(directory, entries);
  return entries;
}

std::string COsAbbreviaTool::UnzipString(const std::string& bytes, const ZipLimits& limits) {
  return OneFileArchive(bytes, limits).Read();
}

int64_t COsAbbreviaTool::UnzippedSize(const std::string& bytes, const ZipLimits& limits) {
  return OneFileArchive(bytes, limits).DeclaredSize();
}

void COsAbbreviaTool::WriteArchive(const std::string& archive_file,
                                   const std::vector<ZipEntryView>& entries,
                                   const ZipLimits& limits) {
  CheckEntrySizes(entries, limits);
  // Every entry not packed yet is deflated on the machine's cores first,
  // within a bound of bytes under way.
  const size_t count = entries.size();
  std::vector<ZipPacking> made(count);
  std::vector<size_t> costs(count);
  for (size_t i = 0; i < count; ++i) {
    costs[i] = entries[i].packing != nullptr ? 0 : entries[i].bytes.size();
  }
  RunInParallel(costs, kDeflateBudget, [&](size_t i) {
    if (entries[i].packing == nullptr)
      made[i].smaller = DeflateSmaller(entries[i].bytes, made[i].deflated);
  });
  const time_t now = std::time(nullptr);
  std::vector<ZipPackedBytes> packed(count);
  for (size_t i = 0; i < count; ++i) {
    const ZipPacking& packing = entries[i].packing != nullptr ? *entries[i].packing : made[i];
    // Packed tighter than reading takes, an entry is stored as it is.
    const auto size = static_cast<int64_t>(entries[i].bytes.size());
    if (packing.smaller &&
        !limits.TooCompressed(size, static_cast<int64_t>(packing.deflated.packed_size))) {
      packed[i] = {&packing.deflated, now, 0, 0};
    }
  }

  int code = 0;
  ZipArchive archive(zip_open(SysPath(archive_file).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
  if (!archive) RaiseZipCode(archive_file, code);
  std::set<std::string> ansi_names;
  for (size_t i = 0; i < count; ++i) {
    AddEntry(archive_file, archive.get(), entries[i],
             packed[i].deflated != nullptr ? &packed[i] : nullptr);
    if (HasAnsiBytes(entries[i].name)) ansi_names.insert(entries[i].name);
  }
  if (zip_close(archive.get()) != 0) RaiseArchiveError(archive_file, archive.get());
  archive.release();  // closed and freed
  ClearUtf8Marks(archive_file, ansi_names);
}
