// Who signed a detached PKCS #7 signature, as the package reads it from a
// signature file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/foundation/exception.h"
#include "lib/package/tarvex_crypto_tool.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    CTarvexCryptoTool::GetSignerInfo(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
  }
  return 0;
}
