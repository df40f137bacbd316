// The keys tool (tarvex-keys), run as a user runs it: tests put keys and
// certificates in place with it rather than through the code under test.
#pragma once

#include <string>

#include "tests/support/run_command.h"

// Runs the tool with `arguments` (a UTF-8 command line, quoted as the
// shell needs).
CommandResult KeysTool(const std::string& arguments);

// Imports the key and certificate files into a new container `container`
// (cp1251) of the current user's key set, or the machine's, and the
// certificate into "MY" there; the tool's exit code.
int ImportKeyFiles(const std::string& container, const std::string& key_file,
                   const std::string& cert_file, bool machine = false);
