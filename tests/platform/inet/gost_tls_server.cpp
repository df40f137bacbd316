#include "tests/platform/inet/gost_tls_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/support/file_bytes.h"

extern char** environ;

namespace {

// Runs a command to its end with its output in `log`; true on exit code 0.
bool Run(const std::vector<std::string>& args, const std::string& log, pid_t* keep = nullptr,
         const std::string& folder = {}) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  if (keep != nullptr) {
    *keep = pid;
    return true;
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int Count(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

GostTlsServer::GostTlsServer(const std::vector<std::string>& client_cas) {
  const std::string setup_log = dir_.File("setup.log");
  const std::string served = dir_.File("www");
  const std::string key = dir_.File("key.pem");
  const std::string cert = dir_.File("cert.pem");
  std::filesystem::create_directory(served);
  if (!Run({"openssl", "req", "-x509", "-engine", "gost", "-newkey", "gost2001", "-pkeyopt",
            "paramset:A", "-nodes", "-keyout", key, "-out", cert, "-subj", "/CN=127.0.0.1", "-days",
            "30", "-md_gost94"},
           setup_log)) {
    throw std::runtime_error("no server certificate: " + ReadBytes(setup_log));
  }
  // The GOST hash of the test certificates has no rating in OpenSSL: level 0.
  std::vector<std::string> args = {
      "openssl", "s_server", "-engine", "gost", "-accept", "127.0.0.1:0",
      "-cert",   cert,       "-key",    key,    "-cipher", "GOST2001-GOST89-GOST89:@SECLEVEL=0",
      "-WWW"};
  if (!client_cas.empty()) {
    std::string bundle;
    for (size_t i = 0; i < client_cas.size(); ++i) {
      const std::string pem = dir_.File("ca" + std::to_string(i) + ".pem");
      if (!Run({"openssl", "x509", "-inform", "DER", "-in", client_cas[i], "-out", pem},
               setup_log)) {
        throw std::runtime_error("bad CA certificate: " + client_cas[i]);
      }
      bundle += ReadBytes(pem);
    }
    std::ofstream(dir_.File("client-cas.pem"), std::ios::binary) << bundle;
    args.insert(args.end(),
                {"-CAfile", dir_.File("client-cas.pem"), "-Verify", "4", "-verify_return_error"});
  }
  if (!Run(args, dir_.File("server.log"), &pid_, served)) {
    throw std::runtime_error("openssl s_server did not start");
  }
  // It prints "ACCEPT 127.0.0.1:<port>" once it listens.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (port_ == 0 && std::chrono::steady_clock::now() < deadline) {
    const std::string log = Log();
    const size_t at = log.find("ACCEPT 127.0.0.1:");
    if (at != std::string::npos && log.find('\n', at) != std::string::npos) {
      port_ = std::atoi(log.c_str() + at + 17);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  if (port_ == 0) {
    Stop();
    throw std::runtime_error("openssl s_server did not listen: " + Log());
  }
}

GostTlsServer::~GostTlsServer() { Stop(); }

void GostTlsServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void GostTlsServer::Put(const std::string& name, const std::string& content) const {
  std::ofstream(dir_.File("www/" + name), std::ios::binary) << content;
}

std::string GostTlsServer::Url(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(port_) + path;
}

std::string GostTlsServer::Log() const { return ReadBytes(dir_.File("server.log")); }

int GostTlsServer::RefusedClientCertificates(int at_least) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    const std::string log = Log();
    const int refused = Count(log, "peer did not return a certificate") +
                        Count(log, "tls_process_client_certificate:certificate verify failed");
    if (refused >= at_least || std::chrono::steady_clock::now() >= deadline) return refused;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}
