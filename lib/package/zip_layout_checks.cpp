#include "lib/package/zip_layout_checks.h"

#include <zip.h>

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "lib/foundation/errors.h"
#include "lib/package/zip_entry_layout.h"
#include "lib/package/zip_error_text.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/escaped_text.h"

namespace {

// A bare file name of printable bytes: anything else would land outside
// the package's folder or under another name than the one stored.
bool IsBareName(const std::string& name) {
  return !HasControlByte(name) && !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string::npos;
}

}  // namespace

std::string MethodName(int32_t method) {
  static constexpr struct {
    int32_t method;
    const char* name;
  } kNames[] = {{0, "store"},      {1, "shrink"},
                {2, "reduce"},     {3, "reduce"},
                {4, "reduce"},     {5, "reduce"},
                {6, "implode"},    {8, "deflate"},
                {9, "deflate64"},  {10, "PKWARE DCL implode"},
                {12, "bzip2"},     {14, "LZMA"},
                {18, "IBM TERSE"}, {19, "IBM LZ77"},
                {20, "Zstandard"}, {93, "Zstandard"},
                {94, "MP3"},       {95, "XZ"},
                {96, "JPEG"},      {97, "WavPack"},
                {98, "PPMd"},      {99, "AE-x"}};
  for (const auto& [known, name] : kNames) {
    if (known == method) return Format("%0:s, код %1:d", {std::string(name), method});
  }
  return Format("неизвестный, код %d", {method});
}

ZipDirectory ReadDirectory(const std::string& label, uint64_t archive_size,
                           const ZipReadAt& read_at, int count) {
  if (HoldsAnotherEndRecord(archive_size, read_at)) {
    RaiseErrorFmt(
        "Ошибка при работе с архивом [%s]: в архиве больше одной записи о конце оглавления, и "
        "разные программы прочли бы в нём разные файлы",
        {label});
  }
  ZipDirectory directory;
  if (!ReadZipDirectory(archive_size, read_at, directory) ||
      static_cast<int>(directory.entries.size()) != count) {
    RaiseErrorFmt("Ошибка при работе с архивом [%s]: оглавление архива не читается", {label});
  }
  return directory;
}

void CheckLayout(const std::string& label, const ZipDirectory& directory, uint64_t archive_size,
                 const ZipReadAt& read_at) {
  const ZipLayoutCheck check = CheckZipLayout(directory, archive_size, read_at);
  const auto name = [&](size_t entry) { return Escaped(directory.entries[entry].name); };
  switch (check.fault) {
    case ZipLayoutFault::kNone: break;
    case ZipLayoutFault::kInconsistent: RaiseError(ArchiveCodeText(label, ZIP_ER_INCONS));
    case ZipLayoutFault::kSharesBytes:
      RaiseErrorFmt("Файл [%0:s] в архиве занимает байты файла [%1:s]",
                    {name(check.entry), name(check.other)});
    case ZipLayoutFault::kOverlapsDirectory:
      RaiseErrorFmt("Файл [%s] в архиве занимает байты оглавления архива", {name(check.entry)});
    case ZipLayoutFault::kOtherName:
      RaiseErrorFmt("Файл [%0:s] в архиве назван в своём локальном заголовке иначе: [%1:s]",
                    {name(check.entry), Escaped(check.local_name)});
    case ZipLayoutFault::kOtherMethod:
      RaiseErrorFmt(
          "Файл [%0:s] в архиве сжат методом [%1:s], а его локальный заголовок называет метод "
          "[%2:s]",
          {name(check.entry), MethodName(directory.entries[check.entry].method),
           MethodName(check.local_method)});
  }
}

std::vector<ZipEntry> NamedEntries(const ZipDirectory& directory) {
  std::vector<ZipEntry> entries;
  entries.reserve(directory.entries.size());
  for (const ZipDirectoryEntry& entry : directory.entries) {
    if ((entry.flags & kUtf8Flag) == 0) {
      entries.push_back({entry.name, std::string()});
      continue;
    }
    std::string name;
    const size_t stop = Utf8ToAnsiExactly(entry.name, name);
    if (stop != std::string_view::npos) {
      RaiseErrorFmt(
          "Имя файла [%s] в архиве записано в UTF-8 и не переводится в кодовую страницу 1251",
          {Escaped(name) + Escaped(std::string_view(entry.name).substr(stop), true)});
    }
    entries.push_back({std::move(name), std::string()});
  }
  return entries;
}

void CheckFlaggedNames(uint64_t archive_size, const ZipReadAt& read_at) {
  ZipDirectory directory;
  if (ReadZipDirectory(archive_size, read_at, directory)) NamedEntries(directory);
}

void CheckNames(const std::vector<ZipEntry>& entries) {
  std::unordered_set<std::string> seen;
  for (const auto& [name, bytes] : entries) {
    if (!IsBareName(name)) RaiseErrorFmt("Недопустимое имя файла в архиве: [%s]", {Escaped(name)});
    if (!seen.insert(name).second) {
      RaiseErrorFmt("Файл [%s] встречается в архиве дважды", {name});
    }
  }
}
