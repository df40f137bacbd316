// Everything one GET needs, gathered from the handles that lead to it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/inet/client_certificate.h"

enum class ProxyMode { Environment, Direct, Named };

struct TransferSettings {
  std::string url;
  std::string user_agent;
  ProxyMode proxy_mode = ProxyMode::Environment;
  std::string proxy;  // "host:port" with ProxyMode::Named
  std::optional<std::string> proxy_user;
  std::optional<std::string> proxy_password;
  bool http_1_0 = false;
  bool reload = false;
  uint32_t security_flags = 0;  // SECURITY_FLAG_IGNORE_*
  // Offered when the server asks for one; null: none.
  std::shared_ptr<const ClientCertificate> client_certificate;
  uint32_t connect_timeout_ms = 60000;
  uint32_t receive_timeout_ms = 30000;
  uint32_t transfer_timeout_ms = 0;  // the whole transfer; 0: no limit
};
