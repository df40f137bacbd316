#include "lib/package/tarvex_crypto_tool.h"

#include <memory>

#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/crypto/kestrin_certificate.h"
#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/package/tarvex_key.h"
#include "platform/crypt/crypt_defs.h"
#include "platform/crypt/crypt_msg.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/kernel/last_error.h"

namespace {

constexpr int kLocalMachine = 1;
constexpr int kCurrentUser = 2;
constexpr int kStoreMy = 1;
constexpr int kStoreAddressBook = 4;

int LocationOf(bool use_user_storage) { return use_user_storage ? kCurrentUser : kLocalMachine; }

// The message's certificate of its signer, matched by issuer and serial
// number; the first certificate when the message names no signer that way;
// null when the signer's certificate is not in the message.
PCCERT_CONTEXT SignerCertificateOf(const std::string& signature) {
  // Raises on bytes that are no PKCS #7 message.
  CertRef first(CCryptoAPI20Utils::GetSignerFromSignature(signature));
  if (first.get() == nullptr) return nullptr;
  bool named = false;
  PCCERT_CONTEXT matched = nullptr;
  CryptVerifyMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  para.GetSignerCertificate = [&](uint32_t encoding, const CertInfo& signer_id,
                                  HCERTSTORE message_store) -> PCCERT_CONTEXT {
    named = !signer_id.Issuer.empty() && !signer_id.SerialNumber.empty();
    if (named) {
      matched =
          CCryptoAPI20Utils::GetSignerCertificate(nullptr, encoding, signer_id, message_store);
    }
    // Only the look-up is wanted: no certificate, so nothing is verified.
    SetLastError(0);
    return nullptr;
  };
  CryptVerifyDetachedMessageSignature(para, 0, signature, std::string_view(), nullptr);
  return named ? matched : first.release();
}

}  // namespace

std::string CTarvexCryptoTool::GetCertificateBodyBySha1(bool use_user_storage,
                                                        const std::string& sha1, bool personal) {
  const int kind = personal ? kStoreMy : kStoreAddressBook;
  CertRef found(CCryptoAPI20Tool::FindCertificate(LocationOf(use_user_storage), kind, sha1));
  if (found.get() == nullptr) {
    RaiseErrorFmt("Сертификат по отпечатку [%s] не найден в хранилище [%s]",
                  {sha1, CCryptoAPI20Utils::GetStoreName(kind)});
  }
  return CCryptoAPI20Utils::GetCertificateBody(found.get());
}

std::string CTarvexCryptoTool::Decrypt(bool use_user_storage, const std::string& encrypted) {
  return CCryptoAPI20Tool::Decrypt(use_user_storage, encrypted);
}

std::string CTarvexCryptoTool::EncryptBySha1(bool use_user_storage, const std::string& plain,
                                             const std::string& sha1) {
  return CCryptoAPI20Tool::EncryptBySha1(use_user_storage, sha1, plain);
}

std::string CTarvexCryptoTool::EncryptByCertificate(const std::string& plain,
                                                    const std::string& certificate) {
  CKestrinCertificate recipient;
  recipient.LoadFromText(certificate);
  return CCryptoAPI20Tool::Encrypt(recipient.Context(), plain);
}

std::string CTarvexCryptoTool::Sign(bool use_user_storage, const std::string& content,
                                    const std::string& sha1) {
  return CCryptoAPI20Tool::Sign(use_user_storage, nullptr, content, sha1);
}

bool CTarvexCryptoTool::CheckSignature(bool use_user_storage, const std::string& content,
                                       const std::string& signature) {
  return CCryptoAPI20Tool::CheckSignature(use_user_storage, content, 0, signature);
}

void CTarvexCryptoTool::CheckSignatureEx(bool use_user_storage, const std::string& content,
                                         bool check_revocation, bool download, CStrArray* signers,
                                         const std::string& signature, CVerifiedIssuers* verified,
                                         const PreparedChecks* prepared) {
  CValueCheckTool::CheckAssigned(signers, "pSignerList");
  signers->Clear();
  CCryptoAPI20Tool::VerifySignature(use_user_storage, content, check_revocation, download, 0,
                                    signers, signature, verified, prepared);
  if (signers->Count() == 0) return;
  const auto* first = static_cast<const CKestrinCertificate*>(signers->GetObject(0));
  auto key = std::make_unique<CTarvexKey>();
  key->SetCertificateBody(CCryptoAPI20Utils::GetCertificateBody(first->Context()));
  key->SetSha1(first->GetThumbprint());
  const std::string thumbprint = key->Sha1();
  // A list that ignores a duplicate does not keep the object.
  if (signers->AddObject(thumbprint, key.get()) >= 0) key.release();
}

TarvexSignerInfo CTarvexCryptoTool::GetSignerInfo(const std::string& signature) {
  CertRef signer(SignerCertificateOf(signature));
  if (signer.get() == nullptr) RaiseError("Подпись не содержит сертификата подписанта");
  CKestrinCertificate certificate;
  certificate.Attach(signer.get(), false);
  TarvexSignerInfo info;
  info.Sha1 = certificate.GetThumbprint();
  info.SubjectCN = CCryptoAPI20Utils::GetSubjectCN(signer.get());
  info.CertificateBody = CCryptoAPI20Utils::GetCertificateBody(signer.get());
  info.Subject = certificate.Parts().GetSubjectName();
  info.Issuer = certificate.Parts().GetIssuerName();
  return info;
}

bool CTarvexCryptoTool::IsCryptographyOk() { return CCryptoAPI20Utils::IsGostProviderInstalled(); }
