// The stand-in's OpenSSL routines: memory BIOs, DER encodings and
// certificates as OpenSSL sees them; the owners are in ossl_ptr.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/crypt/ossl_ptr.h"

namespace crypt_detail {

// OpenSSL takes a length as an int: content of any size reaches it in
// pieces of at most this many bytes.
constexpr size_t kOsslPiece = size_t{1} << 20;

// A read-only memory BIO over the bytes (which must outlive it); null when
// they are more than a memory BIO holds (INT_MAX bytes).
BioPtr MemoryBio(std::string_view bytes);
// Writes all the bytes into the BIO in pieces; false when it takes no more.
bool WriteInPieces(BIO* bio, std::string_view bytes);
// Everything a memory BIO holds.
std::string BioBytes(BIO* bio);
// The DER encoding of an OpenSSL object through its i2d function; empty
// when encoding fails.
template <typename T>
std::string DerOf(int (*i2d)(const T*, unsigned char**), const T* object) {
  unsigned char* der = nullptr;
  const int length = i2d(object, &der);
  std::string bytes = length > 0 ? std::string(reinterpret_cast<char*>(der), length) : "";
  OPENSSL_free(der);
  return bytes;
}

// The certificate as OpenSSL sees it; its GOST key needs the engine.
X509Ptr ToX509(std::string_view der);

}  // namespace crypt_detail
