#include "platform/shell/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

// One line of the file with its own line break, so that a rewrite can give
// back every untouched line as it was.
struct Line {
  std::string_view text;
  std::string_view end;
};

// A line ends at LF, at CR LF or at a CR alone, for reading and writing
// alike: a CR at the end of the file's last line is a line break that a
// new line may follow, and a CR is never part of a value.
std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  while (!bytes.empty()) {
    const size_t stop = std::min(bytes.find_first_of("\r\n"), bytes.size());
    size_t next = std::min(stop + 1, bytes.size());
    if (next < bytes.size() && bytes[stop] == '\r' && bytes[next] == '\n') ++next;
    lines.push_back({bytes.substr(0, stop), bytes.substr(stop, next - stop)});
    bytes.remove_prefix(next);
  }
  return lines;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The name of a "[name]" heading; nothing for another line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  return Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
}

// The key of a "key=value" line; nothing for a comment or a line without "=".
std::optional<std::string_view> KeyName(std::string_view line) {
  line = Trim(line);
  const size_t equals = line.find('=');
  if (line.empty() || line.front() == ';' || equals == std::string_view::npos) {
    return std::nullopt;
  }
  return Trim(line.substr(0, equals));
}

std::string_view ValueOf(std::string_view line) {
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

unsigned char Fold(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  if (c >= 0xE0) return static_cast<unsigned char>(c - 0x20);  // а-я
  if (c == 0xB8) return 0xA8;                                  // ё
  return c;
}

// Where the section's lines are: [first, end) after its heading; nothing
// when the file has no such section.
struct SectionRange {
  size_t heading;
  size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::optional<std::string_view> name = SectionName(lines[i].text);
    if (!name || !SameProfileName(*name, section)) continue;
    size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].text)) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<Line>& lines, SectionRange range,
                              std::string_view key) {
  for (size_t i = range.heading + 1; i < range.end; ++i) {
    const std::optional<std::string_view> name = KeyName(lines[i].text);
    if (name && SameProfileName(*name, key)) return i;
  }
  return std::nullopt;
}

// False with errno when the file exists but cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes, bool& exists) {
  bytes.clear();
  exists = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  exists = true;
  char buffer[8192];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return false;
    }
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    data.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// A new file takes the usual permissions (0666 less the umask), a
// replaced one keeps its own.
bool ReplaceFile(const std::string& path, std::string_view data, bool existed) {
  struct stat info {};
  if (existed && ::stat(path.c_str(), &info) != 0) return FailWithErrno();
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return FailWithErrno();
  }
  if (fd < 0) return FailWithErrno();
  bool ok = (!existed || ::fchmod(fd, info.st_mode & 07777) == 0) && WriteAll(fd, data) &&
            ::fsync(fd) == 0;
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = saved;
    return FailWithErrno();
  }
  return true;
}

// A name or value that a file line holds and gives back as itself, so
// that writing it cannot change another key: no line break anywhere, no
// "]" in a section name, and no "=" in a key, nor a key that would read as
// a comment or a heading.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
  const auto breaks = [](std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
  };
  const std::string_view bare_key = Trim(key);
  return !breaks(section) && !breaks(key) && !breaks(value) &&
         section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
         (bare_key.empty() || (bare_key.front() != ';' && bare_key.front() != '['));
}

// The line break of the file's first line, "\n" for a file without one.
std::string_view LineBreakOf(const std::vector<Line>& lines) {
  for (const Line& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return "\n";
}

}  // namespace

bool SameProfileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::string GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                     std::string_view default_value, std::string_view file_name) {
  std::string bytes;
  bool exists = false;
  if (!ReadFileBytes(SysPath(file_name), bytes, exists) || !exists) {
    return std::string(default_value);
  }
  const std::vector<Line> lines = SplitLines(bytes);
  const std::optional<SectionRange> range = FindSection(lines, section);
  if (!range) return std::string(default_value);
  const std::optional<size_t> at = FindKey(lines, *range, key);
  if (!at) return std::string(default_value);
  return std::string(ValueOf(lines[*at].text));
}

bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::string_view value, std::string_view file_name) {
  if (!Storable(section, key, value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const std::string path = SysPath(file_name);
  std::string bytes;
  bool exists = false;
  if (!ReadFileBytes(path, bytes, exists)) return FailWithErrno();
  const std::vector<Line> lines = SplitLines(bytes);
  const std::string_view eol = LineBreakOf(lines);
  const std::string entry = std::string(key) + "=" + std::string(value);

  std::string out;
  auto copy = [&out, &lines](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
      out.append(lines[i].text);
      out.append(lines[i].end);
    }
  };
  const std::optional<SectionRange> range = FindSection(lines, section);
  if (!range) {
    out = bytes;
    if (!lines.empty() && lines.back().end.empty()) out.append(eol);
    out.append("[").append(section).append("]").append(eol);
    out.append(entry).append(eol);
  } else if (const std::optional<size_t> at = FindKey(lines, *range, key)) {
    copy(0, *at);
    out.append(entry).append(lines[*at].end.empty() ? eol : lines[*at].end);
    copy(*at + 1, lines.size());
  } else {
    // After the section's last line that is not blank, so that the blank
    // lines before the next heading stay where they are.
    size_t insert = range->end;
    while (insert > range->heading + 1 && Trim(lines[insert - 1].text).empty()) --insert;
    copy(0, insert);
    // The new line ends as the one before it: a CR of its own followed by
    // an LF of the next line would read as one line break.
    const std::string_view before = lines[insert - 1].end;
    if (before.empty()) out.append(eol);
    out.append(entry).append(before.empty() ? eol : before);
    copy(insert, lines.size());
  }
  return ReplaceFile(path, out, exists);
}
