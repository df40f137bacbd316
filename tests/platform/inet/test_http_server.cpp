#include "tests/platform/inet/test_http_server.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

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

}  // namespace

TestHttpServer::TestHttpServer(const TestServerOptions& options) : tls_(!options.tls_name.empty()) {
  ::setenv("no_proxy", "127.0.0.1", 1);

  std::vector<std::string> args = {"python3", HTTP_TEST_SERVER_SCRIPT, "--log", dir_.File("log")};
  if (options.silent) args.push_back("--silent");
  if (tls_) args.insert(args.end(), {"--tls", options.tls_name});
  if (options.expired) args.push_back("--expired");
  if (options.client_cert) args.push_back("--client-cert");
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
    throw std::runtime_error("the test server did not start");
  }
}

TestHttpServer::~TestHttpServer() { Stop(); }

void TestHttpServer::Stop() {
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

std::string TestHttpServer::Url(const std::string& path) const {
  return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + path;
}

std::vector<LoggedRequest> TestHttpServer::Requests() const {
  std::vector<LoggedRequest> requests;
  std::ifstream log(dir_.File("log"));
  std::string line;
  while (std::getline(log, line)) {
    const std::vector<std::string> fields = Split(line, '\t');
    if (fields.size() < 4) continue;
    LoggedRequest request{fields[0], fields[1], fields[2], std::atoi(fields[3].c_str()), {}};
    for (size_t i = 4; i < fields.size(); ++i) {
      const size_t equals = fields[i].find('=');
      request.headers[fields[i].substr(0, equals)] =
          equals == std::string::npos ? "" : fields[i].substr(equals + 1);
    }
    requests.push_back(std::move(request));
  }
  return requests;
}

int UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

std::string PatternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}
