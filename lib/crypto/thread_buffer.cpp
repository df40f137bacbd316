#include "lib/crypto/thread_buffer.h"

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <vector>

namespace {

struct ThreadBufferEntry {
  pid_t ThreadId;
  std::unique_ptr<uint8_t[]> Buffer;
};

// Grows only; freed with the library.
struct ThreadBufferTable {
  std::mutex lock;
  std::vector<ThreadBufferEntry> entries;
};

ThreadBufferTable& Table() {
  static ThreadBufferTable table;
  return table;
}

// A thread of this process that cannot be signalled has ended.
bool ThreadEnded(pid_t thread_id) {
  return ::tgkill(::getpid(), thread_id, 0) != 0 && errno == ESRCH;
}

}  // namespace

uint8_t* GetThreadBuffer() {
  ThreadBufferTable& table = Table();
  std::lock_guard guard(table.lock);
  const pid_t self = ::gettid();
  for (ThreadBufferEntry& entry : table.entries) {
    if (entry.ThreadId == self) return entry.Buffer.get();
  }
  for (ThreadBufferEntry& entry : table.entries) {
    if (ThreadEnded(entry.ThreadId)) {
      entry.ThreadId = self;
      return entry.Buffer.get();
    }
  }
  table.entries.push_back({self, std::unique_ptr<uint8_t[]>(new uint8_t[ThreadBufferSize])});
  return table.entries.back().Buffer.get();
}
