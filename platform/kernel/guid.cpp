#include "platform/kernel/guid.h"

#include <sys/random.h>

#include <cerrno>
#include <cstring>

#include "platform/kernel/last_error.h"

HRESULT CoCreateGuid(GUID* guid) {
  uint8_t bytes[16];
  size_t done = 0;
  while (done < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + done, sizeof bytes - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      FailWithErrno();
      return static_cast<HRESULT>(0x80070000u | (GetLastError() & 0xFFFF));
    }
    done += static_cast<size_t>(n);
  }
  std::memcpy(guid, bytes, sizeof bytes);
  guid->Data3 = static_cast<uint16_t>((guid->Data3 & 0x0FFF) | 0x4000);   // version 4
  guid->Data4[0] = static_cast<uint8_t>((guid->Data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return 0;
}
