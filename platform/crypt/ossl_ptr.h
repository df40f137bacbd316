// Owners of OpenSSL objects, for the crypt stand-in and the layers that
// call OpenSSL beside it (the WinInet stand-in's TLS client): each frees
// its object with OpenSSL's own routine when it goes.
#pragma once

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

template <typename T, void (*Free)(T*)>
struct OsslFree {
  void operator()(T* object) const { Free(object); }
};

inline void FreeBio(BIO* bio) { BIO_free_all(bio); }
// Stacks that own their elements, as CMS_get1_certs and CMS_get1_crls give them.
inline void FreeX509Stack(STACK_OF(X509) * stack) { sk_X509_pop_free(stack, X509_free); }
inline void FreeX509CrlStack(STACK_OF(X509_CRL) * stack) {
  sk_X509_CRL_pop_free(stack, X509_CRL_free);
}

using BioPtr = std::unique_ptr<BIO, OsslFree<BIO, FreeBio>>;
using X509Ptr = std::unique_ptr<X509, OsslFree<X509, X509_free>>;
using X509CrlPtr = std::unique_ptr<X509_CRL, OsslFree<X509_CRL, X509_CRL_free>>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, OsslFree<EVP_PKEY, EVP_PKEY_free>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, OsslFree<CMS_ContentInfo, CMS_ContentInfo_free>>;
using Asn1ObjectPtr = std::unique_ptr<ASN1_OBJECT, OsslFree<ASN1_OBJECT, ASN1_OBJECT_free>>;
using X509StackPtr = std::unique_ptr<STACK_OF(X509), OsslFree<STACK_OF(X509), FreeX509Stack>>;
using X509CrlStackPtr =
    std::unique_ptr<STACK_OF(X509_CRL), OsslFree<STACK_OF(X509_CRL), FreeX509CrlStack>>;
using X509AttributePtr =
    std::unique_ptr<X509_ATTRIBUTE, OsslFree<X509_ATTRIBUTE, X509_ATTRIBUTE_free>>;
