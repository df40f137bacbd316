// Encryption with CCryptoAPI20Utils: GOST 28147-89 EnvelopedData for one
// recipient named by issuer and serial number, and its decryption.
#include "lib/crypto/cryptoapi20_utils.h"
#include "lib/foundation/errors.h"
#include "platform/crypt/crypt_msg.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace {

// More than the recipient info, key transport and algorithm parameters of
// an envelope take for any certificate this system meets.
constexpr uint32_t kEnvelopeRoom = 16 * 1024;

// The first call's room for an output of about `length` bytes: none for
// bytes no message holds, which that call refuses before anything is
// allocated for them.
uint32_t FirstRoom(size_t length, uint32_t extra) {
  return length <= kCryptMaxMessageSize ? static_cast<uint32_t>(length) + extra : 0;
}

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
  // The first call gets a buffer with room for any recipient's envelope, so
  // the content is encrypted once; only an unusually large envelope takes
  // the second call with the size the first one reported.
  uint32_t size = FirstRoom(plain.size(), kEnvelopeRoom);
  std::string encrypted(size, '\0');
  if (!CryptEncryptMessage(para, {recipient}, plain, reinterpret_cast<uint8_t*>(encrypted.data()),
                           &size)) {
    if (GetLastError() != ERROR_MORE_DATA) RaiseStep("шифровании", 1);
    encrypted.resize(size);
    if (!CryptEncryptMessage(para, {recipient}, plain, reinterpret_cast<uint8_t*>(encrypted.data()),
                             &size)) {
      RaiseStep("шифровании", 2);
    }
  }
  encrypted.resize(size);
  return encrypted;
}

std::string CCryptoAPI20Utils::DecryptWithStore(HCERTSTORE store, const std::string& encrypted) {
  CryptDecryptMessagePara para;
  para.MsgAndCertEncodingType = kMsgEncoding;
  para.CertStores = {store};
  // The plain content is never longer than its envelope: one call decrypts.
  uint32_t size = FirstRoom(encrypted.size(), 0);
  std::string plain(size, '\0');
  if (!CryptDecryptMessage(para, encrypted, reinterpret_cast<uint8_t*>(plain.data()), &size,
                           nullptr)) {
    if (GetLastError() != ERROR_MORE_DATA) RaiseStep("расшифровании", 1);
    plain.resize(size);
    if (!CryptDecryptMessage(para, encrypted, reinterpret_cast<uint8_t*>(plain.data()), &size,
                             nullptr)) {
      RaiseStep("расшифровании", 2);
    }
  }
  plain.resize(size);
  return plain;
}
