#include "lib/crypto/crypto_signature.h"

#include <memory>

#include "lib/crypto/crypt_tool.h"
#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/crypto_provider.h"
#include "lib/crypto/cryptoapi20_chain_builder_strict.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/crypto/kestrin_certificate.h"
#include "lib/crypto/signing_time.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/value_check_tool.h"
#include "platform/crypt/crypt_encode.h"
#include "platform/crypt/crypt_msg.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr uint32_t kSignerStore = 1;  // "MY"

constexpr const char* kNoSignerText =
    "Ошибка при проверке подписи: невозможно выделить сертификат из подписи";

[[noreturn]] void RaiseSignatureError(CheckResult code, const std::string& message) {
  // Made before the trace is written, the error takes the thread's last error.
  RaiseTraced(CCryptoAPI20Exception(code, message));
}

// The signing-time attribute for now, UTC.
CryptAttribute SigningTimeAttribute() {
  const FILETIME now = CurrentUtcFileTime();
  uint32_t size = 0;
  if (!CryptEncodeObject(kMsgEncoding, now, nullptr, &size)) {
    RaiseError("Error: h_fillSignAttributes");
  }
  std::string value(size, '\0');
  if (!CryptEncodeObject(kMsgEncoding, now, reinterpret_cast<uint8_t*>(value.data()), &size)) {
    RaiseError("Error: h_fillSignAttributes");
  }
  value.resize(size);
  return CryptAttribute{kOidPkcs9SigningTime, {std::move(value)}};
}

// The certificates a verification's callback listed, each with a reference
// of the list's, released when the verification is over.
class ListedCertificates {
 public:
  ListedCertificates() = default;
  ~ListedCertificates() {
    for (int i = 0; i < list_.Count(); ++i) {
      CertFreeCertificateContext(static_cast<PCCERT_CONTEXT>(list_.GetObject(i)));
    }
  }
  ListedCertificates(const ListedCertificates&) = delete;
  ListedCertificates& operator=(const ListedCertificates&) = delete;

  CStrArray* List() { return &list_; }
  PCCERT_CONTEXT First() const {
    return list_.Count() > 0 ? static_cast<PCCERT_CONTEXT>(list_.GetObject(0)) : nullptr;
  }

 private:
  CStrArray list_;
};

void CheckOpened(const CCryptoSignature& signature) {
  if (signature.Config == nullptr) RaiseError("Документ не открыт");
}

}  // namespace

CCryptoSignature::CCryptoSignature() {
  Signers.OwnsObjects = StrArrayOwnership::Destroy;
  Reset();
}

CCryptoSignature::~CCryptoSignature() { CloseOnDestroy(); }

void CCryptoSignature::Reset() {
  Config = nullptr;
  Signature.clear();
  SignedText.clear();
  Signers.Clear();
}

bool CCryptoSignature::Open(void* config) {
  return Safe([&] {
    CValueCheckTool::CheckAssigned(config, "CryptoSignatureConfig");
    auto* settings = static_cast<CCryptoSignatureConfig*>(config);
    // Checked before binding: a refused config leaves the object closed.
    if (settings->Provider == nullptr) {
      RaiseError("Не открыт криптопровайдер объекта CCryptoSignatureConfig");
    }
    Config = settings;
    return true;
  });
}

bool CCryptoSignature::Close() {
  return Safe([&] {
    if (IsOpened()) Reset();
    return true;
  });
}

bool CCryptoSignature::Sign(const std::string& sha1, const std::string& signed_text) {
  return Safe([&] {
    SignWithThumbprint(sha1, signed_text);
    return true;
  });
}

void CCryptoSignature::SignWithThumbprint(const std::string& sha1, const std::string& signed_text) {
  CValueCheckTool::CheckExactLength(sha1, "sha1", 40);
  CValueCheckTool::CheckNotEmpty(signed_text, "signedText");
  CheckOpened(*this);
  SignedText = signed_text;

  CertRef signer(CCryptoAPI20Utils::FindCertificateByThumbprint(
      Config->Provider->GetHandle(), Config->StoreLocation, kSignerStore, sha1));
  if (signer.get() == nullptr) {
    RaiseErrorFmt("Личный сертификат с отпечатком [%s] не найден", {sha1});
  }

  CryptSignMessagePara para;
  para.MsgEncodingType = kMsgEncoding;
  para.SigningCert = signer.get();
  para.HashAlgorithm.ObjId = kOidGostR3411_94;
  para.AuthAttr = {SigningTimeAttribute()};
  switch (Config->IncludeCerts) {
    case 0: RaiseError("Неизвестный набор сертификатов для включения");
    case kIncludeSigningCert: para.MsgCert.push_back(signer.get()); break;
    default:
      RaiseErrorFmt("Не реализованный алгоритм включения сертификатов: [%d]",
                    {Config->IncludeCerts});
  }

  // A size query would sign once only to learn the size: the signature is
  // made into a buffer that holds any package signature, and made again
  // only when it is larger.
  std::string signature(CCryptTool::kMaxSignatureSize, '\0');
  uint32_t size = CCryptTool::kMaxSignatureSize;
  bool signed_once =
      CryptSignMessage(para, true, SignedText, reinterpret_cast<uint8_t*>(signature.data()), &size);
  if (!signed_once && GetLastError() == ERROR_MORE_DATA) {
    signature.resize(size);
    signed_once = CryptSignMessage(para, true, SignedText,
                                   reinterpret_cast<uint8_t*>(signature.data()), &size);
  }
  if (!signed_once) RaiseLastOSError();
  signature.resize(size);
  Signature = std::move(signature);
}

bool CCryptoSignature::Verify(const std::string& signed_data, const std::string& signature_content,
                              CCryptoAPI20ChainBuilderBase* builder, double date) {
  Signers.Clear();
  try {
    CValueCheckTool::CheckNotEmpty(signed_data, "sSignedData");
    CValueCheckTool::CheckNotEmpty(signature_content, "sSignatureContent");
  } catch (const Exception& error) {
    throw CCryptoAPI20Exception(CheckResult::kChainError, error.Message());
  }
  CheckOpened(*this);
  SignedText = signed_data;
  Signature = signature_content;

  ListedCertificates listed;
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  para.Prepared = Config->Prepared;
  para.GetSignerCertificate = [&listed](uint32_t encoding, const CertInfo& signer_id,
                                        HCERTSTORE message_store) {
    return CCryptoAPI20Utils::GetSignerCertificate(listed.List(), encoding, signer_id,
                                                   message_store);
  };
  if (!CryptVerifyDetachedMessageSignature(para, 0, Signature, SignedText, nullptr)) {
    if (GetLastError() == 0 && listed.First() == nullptr) {
      RaiseSignatureError(CheckResult::kNoSignerCertificate, kNoSignerText);
    }
    RaiseSignatureError(CheckResult::kNotVerified,
                        Format("Ошибка при проверке подписи [%s]", {LastErrorText()}));
  }
  if ((Config->Options & kSignatureCheckChain) != 0) {
    CheckSignerChain(listed.First(), builder, date);
  }
  return true;
}

void CCryptoSignature::CheckSignerChain(PCCERT_CONTEXT signer,
                                        CCryptoAPI20ChainBuilderBase* builder, double date) {
  CValueCheckTool::CheckAssigned(builder, "builder");
  if (signer == nullptr) {
    RaiseSignatureError(CheckResult::kNoSignerCertificate, kNoSignerText);
  }
  // The certificate that verified the signature, found by the signer's
  // issuer and serial number: a message may carry its chain, and the first
  // certificate may then be a CA's.
  auto certificate = std::make_unique<CKestrinCertificate>();
  certificate->AttachOwned(signer);
  certificate->SetUserData(Config->Provider);
  const std::string thumbprint = certificate->GetThumbprint();
  Signers.AddObject(thumbprint, certificate.release());
  for (int i = 0; i < Signers.Count(); ++i) {
    builder->BuildChain(static_cast<CKestrinCertificate*>(Signers.GetObject(i))->Context(), date);
  }
}

bool CCryptoSignature::VerifyStrict(const std::string& signed_data,
                                    const std::string& signature_content, double date) {
  CheckOpened(*this);
  CCryptoAPI20ChainBuilderStrictConfig config;
  config.StoreLocation = Config->StoreLocation;
  config.VerifiedIssuers = Config->VerifiedIssuers;
  config.SetVerificationTime(date);  // a negative date is refused as it is
  using Strict = CCryptoAPI20ChainBuilderStrictConfig;
  uint8_t options = 0;
  if ((Config->Options & kSignatureDownloadCACerts) != 0)
    options |= Strict::kDownloadCACertificates;
  if ((Config->Options & kSignatureDownloadCRLs) != 0) options |= Strict::kDownloadCRLs;
  if ((Config->Options & kSignatureCheckRevocation) != 0) options |= Strict::kCheckRevocation;
  config.Options = options;

  CCryptoAPI20ChainBuilderStrict builder;
  try {
    // A builder that failed to open says so from its BuildChain.
    builder.Open(&config);
    return Verify(signed_data, signature_content, &builder, date);
  } catch (const Exception& error) {
    RaiseSignatureError(CheckResult::kNotVerified, error.Message());
  }
}
