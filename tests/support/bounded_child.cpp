#include "tests/support/bounded_child.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <utility>

#include "tests/support/file_bytes.h"

std::string InBoundedChild(size_t most, const std::function<std::string()>& work,
                           const std::string& answer_file) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t bound = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + most;
    const rlimit limit{bound, bound};
    int status = 1;
    try {
      if (::setrlimit(RLIMIT_AS, &limit) == 0) {
        WriteBytes(answer_file, work());
        status = 0;
      }
    } catch (...) {
    }
    ::_exit(status);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "the child ended with status " + std::to_string(status);
  }
  return ReadBytes(answer_file);
}

TimedAnswer InBoundedChildTimed(size_t most, unsigned most_seconds,
                                const std::function<std::string()>& work,
                                const std::string& answer_file) {
  const auto started = std::chrono::steady_clock::now();
  std::string answer = InBoundedChild(
      most,
      [&] {
        ::alarm(most_seconds);
        return work();
      },
      answer_file);
  return {std::move(answer), std::chrono::steady_clock::now() - started};
}
