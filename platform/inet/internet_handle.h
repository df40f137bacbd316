// Ownership of a WinInet handle: closed with InternetCloseHandle when it goes.
#pragma once

#include <memory>

#include "platform/inet/wininet.h"

struct InternetHandleCloser {
  void operator()(InternetObject* handle) const { InternetCloseHandle(handle); }
};
using UniqueInternetHandle = std::unique_ptr<InternetObject, InternetHandleCloser>;
