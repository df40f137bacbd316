// Reading a certificate with CCryptoAPI20Utils: common names, CA and
// self-signed tests, thumbprint, serial number, body and the download
// addresses of its CRL distribution points and authority information.
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/text_routines.h"
#include "platform/crypt/cert_name.h"
#include "platform/crypt/crypt_encode.h"
#include "platform/kernel/compare_string.h"

namespace {

constexpr const char* kOidCommonName = "2.5.4.3";
constexpr const char* kOidBasicConstraints = "2.5.29.19";
constexpr const char* kOidCrlDistributionPoints = "2.5.29.31";
constexpr const char* kOidAuthorityInfoAccess = "1.3.6.1.5.5.7.1.1";
constexpr const char* kOidCaIssuers = "1.3.6.1.5.5.7.48.2";

// The first common name of an encoded name, "na" without one. The platform
// decodes in one call; a name that does not decode fails as the length
// query of the two-call protocol would.
std::string CommonName(const std::string& encoded_name, const char* decode_failure) {
  CertNameInfo name;
  if (!CryptDecodeObject(X509_ASN_ENCODING, encoded_name, &name)) RaiseError(decode_failure);
  const CertRdnAttr* attr = CertFindRDNAttr(kOidCommonName, name);
  if (attr == nullptr) return "na";
  const uint32_t size = CertRDNValueToStrA(attr->ValueType, attr->Value, nullptr, 0);
  std::string text(size, '\0');
  CertRDNValueToStrA(attr->ValueType, attr->Value, text.data(), size);
  text.resize(size > 0 ? size - 1 : 0);  // without the terminating zero
  return text;
}

}  // namespace

std::string CCryptoAPI20Utils::GetSubjectCN(PCCERT_CONTEXT certificate) {
  return CommonName(certificate->Info().Subject, "Не удалось раскодировать SUBJECT (длина)");
}

std::string CCryptoAPI20Utils::GetIssuerCN(PCCERT_CONTEXT certificate) {
  return CommonName(certificate->Info().Issuer, "Не удалось раскодировать issuer (длина)");
}

bool CCryptoAPI20Utils::IsSelfSigned(PCCERT_CONTEXT certificate) {
  return CompareStringA(LOCALE_USER_DEFAULT, 0, GetSubjectCN(certificate),
                        GetIssuerCN(certificate)) == CSTR_EQUAL;
}

bool CCryptoAPI20Utils::IsCACertificate(PCCERT_CONTEXT certificate) {
  for (const CertExtension& extension : certificate->Info().Extensions) {
    if (!extension.Critical || CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, extension.ObjId,
                                              kOidBasicConstraints) != CSTR_EQUAL) {
      continue;
    }
    CertBasicConstraints2Info constraints;
    // A critical constraint that cannot be read must not let the
    // certificate pass for what it is not.
    if (!CryptDecodeObject(X509_ASN_ENCODING, extension.Value, &constraints)) {
      RaiseError("Не удалось раскодировать содержимое расширения basicConstraints");
    }
    return constraints.CA;
  }
  return false;
}

std::string CCryptoAPI20Utils::GetThumbprint(PCCERT_CONTEXT certificate) {
  uint32_t size = 0;
  if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, nullptr, &size)) {
    RaiseErrorFmt("Получения отпечатка открытого ключа [длина]: %s", {LastErrorText()});
  }
  std::string hash(size, '\0');
  if (!CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, hash.data(), &size)) {
    RaiseErrorFmt("Получения отпечатка открытого ключа: %s", {LastErrorText()});
  }
  hash.resize(size);
  return BinToHexStr(hash);
}

std::string CCryptoAPI20Utils::GetSerialNumber(PCCERT_CONTEXT certificate) {
  return BinToHexStr(certificate->Info().SerialNumber);
}

std::string CCryptoAPI20Utils::GetCertificateBody(PCCERT_CONTEXT certificate) {
  return certificate->Encoded();
}

std::string CCryptoAPI20Utils::MemToStr(const void* data, size_t length) {
  return length == 0 ? std::string() : std::string(static_cast<const char*>(data), length);
}

bool CCryptoAPI20Utils::IsSupportedUrl(const std::string& text) {
  return StartsWith(text, "https://") || StartsWith(text, "http://") || StartsWith(text, "ftp://");
}

std::string CCryptoAPI20Utils::GetCRLDistributionPoints(PCCERT_CONTEXT certificate) {
  const CertExtension* extension =
      CertFindExtension(kOidCrlDistributionPoints, certificate->Info().Extensions);
  if (extension == nullptr) return std::string();
  CrlDistPointsInfo points;
  if (!CryptDecodeObject(X509_ASN_ENCODING, extension->Value, &points)) {
    RaiseError("Не удалось раскодировать содержимое расширения CRL (длина)");
  }
  std::string urls;
  for (const CrlDistPoint& point : points.DistPoints) {
    if (point.NameChoice != CRL_DIST_POINT_FULL_NAME) continue;
    for (const CertAltNameEntry& name : point.FullName) {
      if (name.AltNameChoice != CERT_ALT_NAME_URL || !IsSupportedUrl(name.Value)) continue;
      if (!urls.empty()) urls += ',';
      urls += name.Value;
    }
  }
  return urls;
}

std::string CCryptoAPI20Utils::GetCAIssuersUrl(PCCERT_CONTEXT certificate) {
  const CertExtension* extension =
      CertFindExtension(kOidAuthorityInfoAccess, certificate->Info().Extensions);
  if (extension == nullptr) return std::string();
  CertAuthorityInfoAccess access;
  if (!CryptDecodeObject(X509_ASN_ENCODING, extension->Value, &access)) {
    RaiseError("Не удалось раскодировать содержимое расширения CA (длина)");
  }
  std::string url;
  for (const CertAccessDescription& description : access.AccDescr) {
    const CertAltNameEntry& location = description.AccessLocation;
    if (description.AccessMethod == kOidCaIssuers && location.AltNameChoice == CERT_ALT_NAME_URL &&
        IsSupportedUrl(location.Value)) {
      url = location.Value;  // a later address replaces an earlier one
    }
  }
  if (url.empty()) RaiseError("Точка распространения сертификата CA не найдена");
  return url;
}
