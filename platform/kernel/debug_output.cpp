#include "platform/kernel/debug_output.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/kernel/codepage.h"

namespace {

// The first of LC_ALL, LC_CTYPE and LANG that is set decides, as for the C
// library's own character type.
bool LocaleIsUtf8() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    std::string text = value;
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find("utf-8") != std::string::npos || text.find("utf8") != std::string::npos;
  }
  return false;
}

void WriteLine(FILE* file, std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), file);
  std::fputc('\n', file);
}

}  // namespace

DebugSink DebugSinkFor(const char* target) {
  if (target == nullptr || *target == '\0') return {};
  if (std::string_view(target) == "stderr") {
    if (!LocaleIsUtf8()) return [](std::string_view line) { WriteLine(stderr, line); };
    return [](std::string_view line) { WriteLine(stderr, AnsiToUtf8(line)); };
  }
  std::string path = target;
  return [path](std::string_view line) {
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
      WriteLine(f, AnsiToUtf8(line));
      std::fclose(f);
    }
  };
}

namespace {

struct Channel {
  std::mutex mutex;
  DebugSink sink = DebugSinkFor(std::getenv("TARVEX_DEBUG"));
};

Channel& TheChannel() {
  static Channel channel;
  return channel;
}

}  // namespace

void OutputDebugStringA(const char* text) {
  Channel& channel = TheChannel();
  std::lock_guard lock(channel.mutex);
  if (channel.sink && text != nullptr) channel.sink(text);
}

DebugSink SetDebugSink(DebugSink sink) {
  Channel& channel = TheChannel();
  std::lock_guard lock(channel.mutex);
  std::swap(channel.sink, sink);
  return sink;
}
