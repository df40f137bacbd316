// Runs a shell command for tests that check against an outside program.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

// What the command wrote to standard output; its exit status into `*status`.
inline std::string RunCommand(const std::string& command, int* status = nullptr) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    if (status != nullptr) *status = -1;
    return output;
  }
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int result = ::pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}
