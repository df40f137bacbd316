#include "platform/kernel/path_combine.h"

#include <vector>

#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string Normalize(std::string_view path) {
  const bool absolute = !path.empty() && IsSeparator(path.front());
  const bool folder = !path.empty() && IsSeparator(path.back());
  std::vector<std::string_view> segments;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string_view segment = path.substr(start, end - start);
    if (segment == "..") {
      if (!segments.empty() && segments.back() != "..") {
        segments.pop_back();
      } else if (!absolute) {
        segments.push_back(segment);  // above a relative start: keep it
      }
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  std::string result = absolute ? "/" : "";
  for (size_t i = 0; i < segments.size(); ++i) {
    if (i > 0) result += '/';
    result += segments[i];
  }
  if (result.empty()) return ".";
  if (folder && result.back() != '/') result += '/';
  return result;
}

}  // namespace

bool PathCombineA(std::string& result, std::string_view folder, std::string_view file) {
  if (folder.empty() && file.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string joined;
  if (file.empty()) {
    joined = folder;
  } else if (folder.empty() || IsSeparator(file.front())) {
    joined = file;
  } else {
    joined = folder;
    joined += '/';
    joined += file;
  }
  std::string normal = Normalize(joined);
  if (normal.size() + 1 > MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  result = std::move(normal);
  return true;
}
