#include "platform/kernel/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

DebugSink SinkFromEnvironment() {
  const char* target = std::getenv("TARVEX_DEBUG");
  if (target == nullptr || *target == '\0') return {};
  if (std::string_view(target) == "stderr") {
    return [](std::string_view line) {
      std::fwrite(line.data(), 1, line.size(), stderr);
      std::fputc('\n', stderr);
    };
  }
  std::string path = target;
  return [path](std::string_view line) {
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
      std::fwrite(line.data(), 1, line.size(), f);
      std::fputc('\n', f);
      std::fclose(f);
    }
  };
}

struct Channel {
  std::mutex mutex;
  DebugSink sink = SinkFromEnvironment();
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
