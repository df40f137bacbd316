#include "platform/crypt/detail/ossl.h"

#include <openssl/err.h>

namespace crypt_detail {

BioPtr MemoryBio(std::string_view bytes) {
  return BioPtr(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
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
