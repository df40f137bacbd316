// Shell commands for the tests that check against an outside program (the
// openssl command, Python, the keys tool).
#pragma once

#include <string>

struct CommandResult {
  int status = -1;     // the exit code; -1 when the command did not exit
  std::string output;  // stdout
};

// Runs a shell command line; its stderr goes to the test's log.
CommandResult RunCommand(const std::string& command);

// One word of a command line: `text` in single quotes, which it must not
// hold itself.
std::string Quoted(const std::string& text);
