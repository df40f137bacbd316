#include "platform/crypt/detail/ossl.h"

#include <openssl/err.h>

#include <algorithm>
#include <climits>

namespace crypt_detail {

static_assert(kOsslPiece <= INT_MAX);

BioPtr MemoryBio(std::string_view bytes) {
  if (bytes.size() > INT_MAX) return nullptr;
  return BioPtr(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

bool WriteInPieces(BIO* bio, std::string_view bytes) {
  while (!bytes.empty()) {
    const int written =
        BIO_write(bio, bytes.data(), static_cast<int>(std::min(bytes.size(), kOsslPiece)));
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

std::string BioBytes(BIO* bio) {
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  return length > 0 ? std::string(data, static_cast<size_t>(length)) : std::string();
}

X509Ptr ToX509(std::string_view der) {
  const auto* p = reinterpret_cast<const unsigned char*>(der.data());
  X509Ptr x509(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!x509) ERR_clear_error();
  return x509;
}

}  // namespace crypt_detail
