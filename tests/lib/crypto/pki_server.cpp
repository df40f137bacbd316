#include "tests/lib/crypto/pki_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

// The first line the server prints: its port. Waits at most ten seconds.
int ReadPort(int fd) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) return 0;
    char chunk[64];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n <= 0) return 0;
    line.append(chunk, static_cast<size_t>(n));
  }
  return std::atoi(line.c_str());
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

PkiServer::PkiServer() {
  ::setenv("no_proxy", "127.0.0.1", 1);
  std::filesystem::create_directory(dir_.File("served"));
  std::vector<std::string> args = {"python3",           PKI_SERVER_SCRIPT, "--root",
                                   dir_.File("served"), "--log",           dir_.File("log")};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    throw std::runtime_error("pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const int spawned = ::posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  stdin_fd_ = in[1];
  if (spawned != 0) pid_ = -1;
  port_ = spawned == 0 ? ReadPort(out[0]) : 0;
  ::close(out[0]);
  if (port_ == 0) {
    Stop();
    throw std::runtime_error("the PKI server did not start");
  }
  const std::string command = std::string("'") + MAKE_CHAIN_PKI_SCRIPT + "' '" + dir_.File("pki") +
                              "' " + std::to_string(port_);
  if (std::system(command.c_str()) != 0) {
    Stop();
    throw std::runtime_error("make-chain-pki failed");
  }
}

PkiServer::~PkiServer() { Stop(); }

void PkiServer::Stop() {
  if (stdin_fd_ >= 0) ::close(stdin_fd_);  // the server stops at the end of its input
  stdin_fd_ = -1;
  if (pid_ <= 0) return;
  for (int i = 0; i < 100; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string PkiServer::Url(const std::string& name) const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/" + name;
}

std::string PkiServer::Pki(const std::string& name) const {
  return ReadFile(dir_.File("pki/" + name));
}

void PkiServer::Serve(const std::map<std::string, std::string>& files) {
  const std::string served = dir_.File("served");
  std::filesystem::remove_all(served);
  std::filesystem::create_directory(served);
  for (const auto& [name, source] : files) {
    std::filesystem::copy_file(dir_.File("pki/" + source), served + "/" + name);
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
