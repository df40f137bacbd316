#include "tests/lib/crypto/pki_server.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "tests/support/file_bytes.h"

namespace {

// The served folder must exist before the server starts on it.
std::string ServedFolder(const TempDir& dir) {
  std::filesystem::create_directory(dir.File("served"));
  return dir.File("served");
}

}  // namespace

PkiServer::PkiServer()
    : server_(PKI_SERVER_SCRIPT, {"--root", ServedFolder(dir_), "--log", dir_.File("log")}) {
  ::setenv("no_proxy", "127.0.0.1", 1);
  const std::string command = std::string("'") + MAKE_CHAIN_PKI_SCRIPT + "' '" + dir_.File("pki") +
                              "' " + std::to_string(server_.Port());
  if (std::system(command.c_str()) != 0) throw std::runtime_error("make-chain-pki failed");
}

PkiServer::~PkiServer() = default;

std::string PkiServer::Url(const std::string& name) const {
  return "http://127.0.0.1:" + std::to_string(server_.Port()) + "/" + name;
}

std::string PkiServer::Pki(const std::string& name) const {
  return ReadBytes(dir_.File("pki/" + name));
}

void PkiServer::Serve(const std::map<std::string, std::string>& files) {
  const std::string served = dir_.File("served");
  std::filesystem::remove_all(served);
  std::filesystem::create_directory(served);
  for (const auto& [name, source] : files) {
    if (source == kEndless) {
      std::ofstream(served + "/" + name + ".endless");
    } else {
      std::filesystem::copy_file(dir_.File("pki/" + source), served + "/" + name);
    }
  }
  std::ofstream(dir_.File("log"), std::ios::trunc);
}

std::vector<std::string> PkiServer::Requests() const {
  std::vector<std::string> targets;
  std::ifstream log(dir_.File("log"));
  std::string line;
  while (std::getline(log, line)) targets.push_back(line);
  return targets;
}
