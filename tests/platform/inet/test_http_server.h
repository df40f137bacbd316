// Runs http_test_server.py on 127.0.0.1 for one test and stops it when the
// object goes. Requests to it never go through a proxy: the constructor sets
// no_proxy for 127.0.0.1.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/python_server.h"
#include "tests/support/temp_dir.h"

struct TestServerOptions {
  bool silent = false;       // accepts connections and never answers
  std::string tls_name;      // HTTPS with a self-signed certificate for this name
  bool expired = false;      // ... that ran out in 2020
  bool client_cert = false;  // ... and a client certificate demanded
};

struct LoggedRequest {
  std::string method;
  std::string target;
  std::string version;
  int port = 0;
  std::map<std::string, std::string> headers;  // names in lower case
};

class TestHttpServer {
 public:
  explicit TestHttpServer(const TestServerOptions& options = {});
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int Port() const { return server_.Port(); }
  // "http://127.0.0.1:<port>" (https with TLS) followed by `path`.
  std::string Url(const std::string& path) const;
  // What the server has logged so far, in order.
  std::vector<LoggedRequest> Requests() const;

 private:
  TempDir dir_;
  bool tls_ = false;
  PythonServer server_;
};

// A port on 127.0.0.1 that nothing listens on.
int UnusedPort();

// The body /bytes/<size> answers with.
std::string PatternBytes(size_t size);
