#include "tests/support/keys_tool.h"

#include "platform/kernel/codepage.h"

CommandResult KeysTool(const std::string& arguments) {
  return RunCommand(Quoted(TARVEX_KEYS_TOOL) + " " + arguments);
}

int ImportKeyFiles(const std::string& container, const std::string& key_file,
                   const std::string& cert_file, bool machine) {
  return KeysTool(std::string("import ") + (machine ? "--machine " : "") +
                  Quoted(AnsiToUtf8(container)) + " " + Quoted(key_file) + " " + Quoted(cert_file))
      .status;
}
