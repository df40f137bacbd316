// Runs `openssl s_server -engine gost` on 127.0.0.1 for one test: GOST TLS
// with a fresh self-signed GOST R 34.10-2001 certificate, files of its
// folder served over HTTP/1.0, and a client certificate demanded when it is
// given CAs to check one with. Stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

class GostTlsServer {
 public:
  // `client_cas`: DER certificates that a client certificate must chain to;
  // none: no client certificate is asked for.
  explicit GostTlsServer(const std::vector<std::string>& client_cas = {});
  ~GostTlsServer();
  GostTlsServer(const GostTlsServer&) = delete;
  GostTlsServer& operator=(const GostTlsServer&) = delete;

  // Served as "/<name>".
  void Put(const std::string& name, const std::string& content) const;
  int Port() const { return port_; }
  std::string Url(const std::string& path) const;

  // Handshakes refused for the client certificate: none was sent, or the one
  // sent did not verify. The client may hear of a refusal before the server
  // logs it: this waits up to five seconds for `at_least` of them.
  int RefusedClientCertificates(int at_least) const;

 private:
  std::string Log() const;
  void Stop();

  TempDir dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};
