// Settings of one HTTP(S) client. Nothing in the library changes them after
// the client is made, so every fetch runs with the defaults.
#pragma once

#include <cstdint>
#include <string>

struct CHttpsClientProxyConfig {
  std::string ProxyHost;  // empty: the system's preconfigured settings
  std::string ProxyPort;
  std::string ProxyUser;  // empty: no proxy credentials are set
  std::string ProxyPassword;
};

struct CHttpsClientConfig {
  CHttpsClientProxyConfig Proxy;
  // SHA-1 thumbprint (hex) of a client certificate in the current user's
  // "MY" store, for servers that ask for one.
  std::string ClientCertSha1;
  bool UseProxy = true;        // false: a direct connection
  std::string UserAgent;       // empty: "QIM-KESTRIN-HTTPSClient"
  bool CheckStatus = false;    // true: a status other than 200 fails the request
  int32_t ConnectTimeout = 0;  // ms; the platform's own unless above 0
  int32_t ReceiveTimeout = 0;  // ms; the platform's own unless above 0
};
