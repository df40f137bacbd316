// Encryption with CCryptoAPI20Utils: GOST 28147-89 EnvelopedData for one
// recipient named by issuer and serial number, and its decryption.
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "platform/crypt/crypt_msg.h"

namespace {

[[noreturn]] void RaiseStep(const char* operation, int step) {
  RaiseErrorFmt("Ошибка при %s (%d): %s", {operation, step, LastErrorText()});
}

}  // namespace

std::string CCryptoAPI20Utils::EncryptForRecipient(PCCERT_CONTEXT recipient,
                                                   const std::string& plain) {
  CryptEncryptMessagePara para;
  para.MsgEncodingType = kMsgEncoding;
  // The provider makes the cipher's parameters: the caller passes none.
  para.ContentEncryptionAlgorithm.ObjId = kOidGost28147_89;
  uint32_t size = 0;
  if (!CryptEncryptMessage(para, {recipient}, plain, nullptr, &size)) RaiseStep("шифровании", 1);
  std::string encrypted(size, '\0');
  if (!CryptEncryptMessage(para, {recipient}, plain, reinterpret_cast<uint8_t*>(encrypted.data()),
                           &size)) {
    RaiseStep("шифровании", 2);
  }
  encrypted.resize(size);
  return encrypted;
}

std::string CCryptoAPI20Utils::DecryptWithStore(HCERTSTORE store, const std::string& encrypted) {
  CryptDecryptMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  para.CertStores = {store};
  uint32_t size = 0;
  if (!CryptDecryptMessage(para, encrypted, nullptr, &size, nullptr)) {
    RaiseStep("расшифровании", 1);
  }
  std::string plain(size, '\0');
  if (!CryptDecryptMessage(para, encrypted, reinterpret_cast<uint8_t*>(plain.data()), &size,
                           nullptr)) {
    RaiseStep("расшифровании", 2);
  }
  plain.resize(size);
  return plain;
}
