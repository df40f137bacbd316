// An address split the way the client connects to it.
#pragma once

#include <cstdint>
#include <string>

struct ParsedUrl {
  std::string Host;
  std::string ObjectName;  // the path after the host, without its leading "/"
  int32_t Port = 0;        // 0: not given
  bool IsHttps = false;    // the scheme contains "https" (case-sensitive)
};

// Raises "Ошибка при разборе URL [%s]: [%s]" for an address without "://",
// without a host, or with a port number above 65535. A port that is not a
// number counts as not given; an address without a path asks for "/".
ParsedUrl ParseUrl(const std::string& url);
