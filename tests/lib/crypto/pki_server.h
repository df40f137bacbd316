// A CA's publication point for the chain tests: pki_server.py on 127.0.0.1
// serving a folder, and a test PKI made for its port by make-chain-pki.
// The server stops when the object goes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/support/python_server.h"
#include "tests/support/temp_dir.h"

class PkiServer {
 public:
  // Starts the server and makes the PKI; throws std::runtime_error when
  // either fails. Requests to 127.0.0.1 go around any proxy.
  PkiServer();
  ~PkiServer();
  PkiServer(const PkiServer&) = delete;
  PkiServer& operator=(const PkiServer&) = delete;

  // "http://127.0.0.1:<port>/<name>".
  std::string Url(const std::string& name) const;
  // The bytes of a PKI file (make-chain-pki names them).
  std::string Pki(const std::string& name) const;
  // Serves exactly these files from now on: served name -> PKI file name,
  // or kEndless for a body without end.
  void Serve(const std::map<std::string, std::string>& files);
  static constexpr const char* kEndless = "";
  // The targets requested since the last Serve, in order.
  std::vector<std::string> Requests() const;

 private:
  TempDir dir_;
  PythonServer server_;
};
