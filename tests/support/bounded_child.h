// Work run in a child process whose address space may grow only a little,
// as under a low `ulimit -v`.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

// Runs `work` in a child process whose address space may grow by `most`
// bytes only: its answer (passed back through `answer_file`), or how the
// child ended.
std::string InBoundedChild(size_t most, const std::function<std::string()>& work,
                           const std::string& answer_file);

// The answer of `work` run as InBoundedChild runs it, and how long the child
// took. The child is ended after `most_seconds`, so that work gone wrong
// fails the test soon instead of running for minutes.
struct TimedAnswer {
  std::string answer;
  std::chrono::steady_clock::duration took;
};
TimedAnswer InBoundedChildTimed(size_t most, unsigned most_seconds,
                                const std::function<std::string()>& work,
                                const std::string& answer_file);
