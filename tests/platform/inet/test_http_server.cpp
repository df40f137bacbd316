#include "tests/platform/inet/test_http_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

std::vector<std::string> ServerArgs(const TestServerOptions& options, const std::string& log) {
  std::vector<std::string> args = {"--log", log};
  if (options.silent) args.push_back("--silent");
  if (!options.tls_name.empty()) args.insert(args.end(), {"--tls", options.tls_name});
  if (options.expired) args.push_back("--expired");
  if (options.client_cert) args.push_back("--client-cert");
  return args;
}

}  // namespace

TestHttpServer::TestHttpServer(const TestServerOptions& options)
    : tls_(!options.tls_name.empty()),
      server_(HTTP_TEST_SERVER_SCRIPT, ServerArgs(options, dir_.File("log"))) {
  ::setenv("no_proxy", "127.0.0.1", 1);
}

TestHttpServer::~TestHttpServer() = default;

std::string TestHttpServer::Url(const std::string& path) const {
  return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(server_.Port()) +
         path;
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
