// Owners of the OpenSSL objects the stand-in uses.
#pragma once

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <string_view>

namespace crypt_detail {

template <typename T, void (*Free)(T*)>
struct OsslDeleter {
  void operator()(T* p) const { Free(p); }
};

inline void FreeBio(BIO* bio) { BIO_free_all(bio); }

using BioPtr = std::unique_ptr<BIO, OsslDeleter<BIO, FreeBio>>;
using X509Ptr = std::unique_ptr<X509, OsslDeleter<X509, X509_free>>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, OsslDeleter<EVP_PKEY, EVP_PKEY_free>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, OsslDeleter<CMS_ContentInfo, CMS_ContentInfo_free>>;
using X509AttributePtr =
    std::unique_ptr<X509_ATTRIBUTE, OsslDeleter<X509_ATTRIBUTE, X509_ATTRIBUTE_free>>;

// A read-only memory BIO over the bytes (which must outlive it).
BioPtr MemoryBio(std::string_view bytes);
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
