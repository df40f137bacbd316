// Settings of one HTTP(S) client. Nothing in the library changes them after
// the client is made, so every fetch runs with the defaults.
//
// The addresses fetched come from certificates that anyone can make, so a
// download is bounded in size and in time whatever the server does. The
// size leaves room for the largest revocation lists of real CAs (a few tens
// of MB); the time lets such a list arrive over a slow line (64 MiB in five
// minutes is about 1.8 Mbit/s).
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
  bool UseProxy = true;                     // false: a direct connection
  std::string UserAgent;                    // empty: "QIM-KESTRIN-HTTPSClient"
  bool CheckStatus = false;                 // true: a status other than 200 fails the request
  int32_t ConnectTimeout = 0;               // ms; the platform's own unless above 0
  int32_t ReceiveTimeout = 0;               // ms; the platform's own unless above 0
  int64_t MaxBodySize = int64_t{64} << 20;  // bytes; no limit unless above 0
  int32_t TransferTimeout = 300000;         // ms, the whole GET; no limit unless above 0
};
