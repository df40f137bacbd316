// The settings file: a write sets the key it names and reads back, and no
// other key of the file reads otherwise after it, whatever the file's bytes
// and line breaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "platform/shell/profile.h"

namespace {

constexpr size_t kMostNames = 6;
constexpr const char* kAbsent = "\x01нет";
constexpr const char* kWritten = "значение";

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Section names and key names as the file's lines give them, a few of each.
void CollectNames(std::string_view bytes, std::vector<std::string>& sections,
                  std::vector<std::string>& keys) {
  while (!bytes.empty()) {
    const size_t stop = std::min(bytes.find_first_of("\r\n"), bytes.size());
    const std::string_view line = Trim(bytes.substr(0, stop));
    bytes.remove_prefix(std::min(stop + 1, bytes.size()));
    if (!line.empty() && line.front() == '[') {
      const size_t close = line.find(']');
      const size_t end = close == std::string_view::npos ? line.size() : close;
      if (sections.size() < kMostNames) sections.emplace_back(Trim(line.substr(1, end - 1)));
    } else if (!line.empty() && line.front() != ';' && line.find('=') != std::string_view::npos) {
      if (keys.size() < kMostNames) keys.emplace_back(Trim(line.substr(0, line.find('='))));
    }
  }
}

using Values = std::vector<std::string>;

Values ReadAll(const std::vector<std::string>& sections, const std::vector<std::string>& keys,
               const std::string& path) {
  Values values;
  for (const std::string& section : sections) {
    for (const std::string& key : keys) {
      values.push_back(GetPrivateProfileStringA(section, key, kAbsent, path));
    }
  }
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> sections;
  std::vector<std::string> keys;
  CollectNames(bytes, sections, keys);
  // Writes of a key that is there, of one that is not, and into a section
  // that is not.
  std::vector<std::pair<std::string, std::string>> writes = {{"Новый раздел", "Ключ"}};
  if (!sections.empty()) {
    writes.emplace_back(sections.front(), "Новый ключ");
    if (!keys.empty()) writes.emplace_back(sections.front(), keys.front());
  }
  sections.push_back("Новый раздел");
  keys.insert(keys.end(), {"Новый ключ", "Ключ"});

  for (const auto& [section, key] : writes) {
    const std::string path = WriteFuzzFile("settings.ini", data, size);
    const Values before = ReadAll(sections, keys, path);
    if (!WritePrivateProfileStringA(section, key, kWritten, path)) std::abort();
    if (GetPrivateProfileStringA(section, key, kAbsent, path) != kWritten) std::abort();
    const Values after = ReadAll(sections, keys, path);
    for (size_t s = 0, i = 0; s < sections.size(); ++s) {
      for (size_t k = 0; k < keys.size(); ++k, ++i) {
        const bool written = SameProfileName(sections[s], section) && SameProfileName(keys[k], key);
        if (!written && after[i] != before[i]) std::abort();
      }
    }
  }
  return 0;
}
