#include "platform/kernel/environment.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

const char* Lookup(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (name != "TMP" || (value != nullptr && *value != '\0')) return value;
  // The platform always has a temporary folder; an empty one would put the
  // working folders in whatever the current folder is.
  value = std::getenv("TMPDIR");
  return value != nullptr && *value != '\0' ? value : "/tmp";
}

// The value in cp1251, exactly. TMP is a path, and folders are made in it.
bool Converted(std::string_view name, const char* value, std::string& text, std::string& refusal) {
  if (name == "TMP") return SysPathToAnsi(value, text, refusal);
  if (Utf8ToAnsiExactly(value, text) == std::string::npos) return true;
  refusal = NoAnsiFormMessage(std::string_view(value));
  return false;
}

}  // namespace

uint32_t GetEnvironmentVariableA(std::string_view name, char* buffer, uint32_t size) {
  const char* value = Lookup(AnsiToUtf8(name));
  if (value == nullptr) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::string text, refusal;
  if (!Converted(name, value, text, refusal)) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const auto length = static_cast<uint32_t>(text.size());
  SetLastError(ERROR_SUCCESS);
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, text.c_str(), length + 1);
  return length;
}

std::string EnvironmentValueRefusal(std::string_view name) {
  const char* value = Lookup(AnsiToUtf8(name));
  std::string text, refusal;
  if (value != nullptr) Converted(name, value, text, refusal);
  return refusal;
}
