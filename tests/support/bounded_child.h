// Work run in a child process whose address space may grow only a little,
// as under a low `ulimit -v`.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Runs `work` in a child process whose address space may grow by `most`
// bytes only: its answer (passed back through `answer_file`), or how the
// child ended.
std::string InBoundedChild(size_t most, const std::function<std::string()>& work,
                           const std::string& answer_file);
