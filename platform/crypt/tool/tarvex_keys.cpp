// tarvex-keys: the least tooling a user needs before anybody can sign.
//
//   tarvex-keys import [--machine] <container> <key.pem> <certificate>
//       puts the GOST R 34.10-2001 private key (PEM, not encrypted) and its
//       certificate (PEM or DER) into a new key container of the current
//       user (the machine with --machine), and adds the certificate, bound
//       to the container, to that key set's personal store "MY"
//   tarvex-keys list [--machine]
//       lists the key containers, one name a line, each followed by the
//       thumbprint and the subject of its certificate in the store "MY",
//       indented, which is how the editor's settings know it
//
// Texts are UTF-8 on the command line and the console, cp1251 inside.
#include <openssl/err.h>
#include <openssl/pem.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/crypt/cert_name.h"
#include "platform/crypt/cert_store.h"
#include "platform/crypt/crypt_prov.h"
#include "platform/crypt/detail/files.h"
#include "platform/crypt/detail/ossl.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sys_messages.h"

namespace {

void Print(FILE* out, const std::string& cp1251) {
  std::fputs(AnsiToUtf8(cp1251).c_str(), out);
  std::fputc('\n', out);
}

// "<what> [<value>]: <system text>" for the last error, on stderr.
int Failed(const std::string& what, const std::string& value) {
  const uint32_t code = GetLastError();
  char text[512];
  const uint32_t length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, code, text, sizeof text);
  std::string reason = length > 0 ? std::string(text, length) : std::string();
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  char number[16];
  std::snprintf(number, sizeof number, "0x%08X", code);
  Print(stderr, what + " [" + value + "]: " + number + " " + reason);
  return 1;
}

int Usage() {
  Print(stderr,
        "Использование:\n"
        "  tarvex-keys import [--machine] <контейнер> <ключ.pem> <сертификат>\n"
        "  tarvex-keys list [--machine]");
  return 2;
}

// The certificate's DER from PEM or DER bytes; empty when it is neither.
std::string CertificateDer(const std::string& bytes) {
  if (bytes.find("-----BEGIN") == std::string::npos) return bytes;
  BioPtr bio = crypt_detail::MemoryBio(bytes);
  if (!bio) return {};
  X509Ptr x509(PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr));
  ERR_clear_error();
  if (!x509) return {};
  return crypt_detail::DerOf(i2d_X509, x509.get());
}

// Puts the key and the certificate in; on failure leaves nothing behind.
int Import(const std::string& container, const std::string& key_file,
           const std::string& certificate_file, bool machine) {
  std::string pem, bytes;
  if (!crypt_detail::ReadWholeFile(key_file, &pem)) {
    return Failed("Не удалось прочитать файл ключа", Utf8ToAnsi(key_file));
  }
  if (!crypt_detail::ReadWholeFile(certificate_file, &bytes)) {
    return Failed("Не удалось прочитать файл сертификата", Utf8ToAnsi(certificate_file));
  }
  PCCERT_CONTEXT certificate = CertCreateCertificateContext(kMsgEncoding, CertificateDer(bytes));
  if (certificate == nullptr) {
    return Failed("Файл не содержит сертификата", Utf8ToAnsi(certificate_file));
  }
  const uint32_t key_set = machine ? CRYPT_MACHINE_KEYSET : 0;
  HCRYPTPROV prov = nullptr;
  if (!CryptAcquireContextA(&prov, container.c_str(), nullptr, kGostProviderType,
                            CRYPT_NEWKEYSET | key_set)) {
    CertFreeCertificateContext(certificate);
    return Failed("Не удалось создать контейнер", container);
  }
  HCRYPTKEY key = nullptr;
  int result = 0;
  if (!CryptImportPemKey(prov, pem, &key)) {
    result = Failed("Не удалось поместить ключ в контейнер", Utf8ToAnsi(key_file));
  } else if (!CryptSetKeyParam(key, KP_CERTIFICATE, certificate->Encoded(), 0)) {
    result = Failed("Сертификат не подходит к ключу", Utf8ToAnsi(certificate_file));
  } else {
    CryptKeyProvInfo info;
    info.ContainerName = AnsiToWide(container);
    info.ProvName = AnsiToWide(kGostProviderName);
    info.ProvType = kGostProviderType;
    info.Flags = key_set;
    info.KeySpec = AT_KEYEXCHANGE;
    const uint32_t location =
        machine ? CERT_SYSTEM_STORE_LOCAL_MACHINE : CERT_SYSTEM_STORE_CURRENT_USER;
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, prov, location, u"MY");
    if (store == nullptr ||
        !CertSetCertificateContextProperty(certificate, CERT_KEY_PROV_INFO_PROP_ID, 0, &info) ||
        !CertAddCertificateContextToStore(store, certificate, CERT_STORE_ADD_REPLACE_EXISTING,
                                          nullptr)) {
      result = Failed("Не удалось добавить сертификат в хранилище", "MY");
    }
    if (store != nullptr) CertCloseStore(store, 0);
  }
  if (key != nullptr) CryptDestroyKey(key);
  CryptReleaseContext(prov, 0);
  CertFreeCertificateContext(certificate);
  if (result != 0) {
    HCRYPTPROV ignored = nullptr;
    CryptAcquireContextA(&ignored, container.c_str(), nullptr, kGostProviderType,
                         CRYPT_DELETEKEYSET | key_set);
    return result;
  }
  Print(stdout, "Ключ и сертификат помещены в контейнер [" + container +
                    "], сертификат добавлен в хранилище MY");
  return 0;
}

// "C=RU, CN=...": the name with the short labels of its usual attributes.
std::string NameText(const std::string& encoded) {
  const uint32_t size = CertNameToStrA(kMsgEncoding, encoded, CERT_OID_NAME_STR, nullptr, 0);
  if (size == 0) return {};
  std::string text(size, '\0');
  CertNameToStrA(kMsgEncoding, encoded, CERT_OID_NAME_STR, text.data(), size);
  text.resize(size - 1);
  const std::pair<const char*, const char*> labels[] = {{"2.5.4.3=", "CN="},
                                                        {"2.5.4.6=", "C="},
                                                        {"2.5.4.10=", "O="},
                                                        {"2.5.4.11=", "OU="},
                                                        {"2.5.4.7=", "L="},
                                                        {"2.5.4.8=", "S="},
                                                        {"2.5.4.4=", "SN="},
                                                        {"2.5.4.42=", "G="},
                                                        {"2.5.4.12=", "T="},
                                                        {"2.5.4.9=", "STREET="},
                                                        {"1.2.840.113549.1.9.1=", "E="}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (i == 0 || text.compare(i - 2, 2, ", ") == 0 || text.compare(i - 3, 3, " + ") == 0) {
      for (const auto& [oid, label] : labels) {
        if (text.compare(i, std::string_view(oid).size(), oid) == 0) {
          out += label;
          i += std::string_view(oid).size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

std::string Hex(const uint8_t* bytes, size_t size) {
  std::string hex;
  char digits[3];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", bytes[i]);
    hex += digits;
  }
  return hex;
}

// The certificates of the key set's store "MY" that are bound to
// `container`: "    <thumbprint>  <subject>" lines.
void PrintCertificates(HCERTSTORE store, const std::string& container) {
  if (store == nullptr) return;
  const std::u16string name = AnsiToWide(container);
  for (PCCERT_CONTEXT cert = CertEnumCertificatesInStore(store, nullptr); cert != nullptr;
       cert = CertEnumCertificatesInStore(store, cert)) {
    CryptKeyProvInfo info;
    if (!CertGetCertificateContextProperty(cert, CERT_KEY_PROV_INFO_PROP_ID, &info) ||
        info.ContainerName != name) {
      continue;
    }
    uint8_t sha1[20];
    uint32_t size = sizeof sha1;
    if (!CertGetCertificateContextProperty(cert, CERT_SHA1_HASH_PROP_ID, sha1, &size)) continue;
    Print(stdout, "    " + Hex(sha1, size) + "  " + NameText(cert->Info().Subject));
  }
}

int List(bool machine) {
  HCRYPTPROV prov = nullptr;
  if (!CryptAcquireContextA(&prov, nullptr, nullptr, kGostProviderType,
                            CRYPT_VERIFYCONTEXT | (machine ? CRYPT_MACHINE_KEYSET : 0))) {
    return Failed("Не удалось открыть криптопровайдер", kGostProviderName);
  }
  const uint32_t location =
      machine ? CERT_SYSTEM_STORE_LOCAL_MACHINE : CERT_SYSTEM_STORE_CURRENT_USER;
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, nullptr,
                                   location | CERT_STORE_READONLY_FLAG, u"MY");
  std::vector<uint8_t> name(4096);
  uint32_t flags = CRYPT_FIRST;
  for (;;) {
    uint32_t size = static_cast<uint32_t>(name.size());
    if (!CryptGetProvParam(prov, PP_ENUMCONTAINERS, name.data(), &size, flags)) break;
    const std::string container = reinterpret_cast<const char*>(name.data());
    Print(stdout, container);
    PrintCertificates(store, container);
    flags = 0;
  }
  const uint32_t error = GetLastError();
  if (store != nullptr) CertCloseStore(store, 0);
  CryptReleaseContext(prov, 0);
  SetLastError(error);
  return error == ERROR_NO_MORE_ITEMS ? 0 : Failed("Ошибка при перечислении контейнеров", "");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool machine = false;
  std::erase_if(args, [&machine](const std::string& arg) {
    return arg == "--machine" ? (machine = true) : false;
  });
  if (args.size() == 1 && args[0] == "list") return List(machine);
  if (args.size() == 4 && args[0] == "import") {
    const std::string container = Utf8ToAnsi(args[1]);
    if (container.empty() || AnsiToUtf8(container) != args[1]) {
      SetLastError(NTE_BAD_KEYSET);
      return Failed("Имя контейнера не записывается в кодировке 1251", container);
    }
    return Import(container, args[2], args[3], machine);
  }
  return Usage();
}
