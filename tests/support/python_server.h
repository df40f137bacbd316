// A test server run as a Python child process: the script prints its port
// on its first line and stops at the end of its standard input. The object
// stops it (and, should it hang, kills it) when it goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class PythonServer {
 public:
  // Runs `python3 script args...`; throws std::runtime_error when it does
  // not report its port within ten seconds.
  PythonServer(const std::string& script, const std::vector<std::string>& args);
  ~PythonServer();
  PythonServer(const PythonServer&) = delete;
  PythonServer& operator=(const PythonServer&) = delete;

  int Port() const { return port_; }

 private:
  void Stop();

  pid_t pid_ = -1;
  int stdin_fd_ = -1;
  int port_ = 0;
};
