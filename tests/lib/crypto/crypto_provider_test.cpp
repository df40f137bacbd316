#include "lib/crypto/crypto_provider.h"

#include <gtest/gtest.h>

#include <string>

#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/crypto_store.h"
#include "lib/foundation/str_array.h"
#include "platform/crypt/cert_store.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/debug_capture.h"
#include "tests/support/test_pki.h"

namespace {

class CryptoProviderTest : public testing::Test {
 protected:
  static void MakeContainer(const std::string& name, uint32_t flags = 0) {
    HCRYPTPROV prov = nullptr;
    ASSERT_TRUE(CryptAcquireContextA(&prov, name.c_str(), nullptr, kGostProviderType,
                                     CRYPT_NEWKEYSET | flags));
    CryptReleaseContext(prov, 0);
  }

  static std::string Names(const CStrArray& list) { return list.Join("|"); }

  CryptRoots roots_;
};

TEST_F(CryptoProviderTest, MachineKeySetChangesOnlyWhileInactive) {
  CCryptoProvider provider;
  provider.OpenVerifyContext(kGostProviderType, false);
  ASSERT_TRUE(provider.Active());
  EXPECT_NE(nullptr, provider.GetHandle());
  EXPECT_EQ(CRYPT_VERIFYCONTEXT, provider.AcquireFlags());
  provider.SetMachineKeySet(true);
  EXPECT_FALSE(provider.MachineKeySet());

  provider.Close();
  provider.Close();  // harmless
  EXPECT_FALSE(provider.Active());
  EXPECT_EQ(nullptr, provider.GetHandle());
  EXPECT_EQ(0u, provider.ProviderType());
  provider.SetMachineKeySet(true);
  provider.OpenVerifyContext(kGostProviderType, false);
  EXPECT_EQ(CRYPT_VERIFYCONTEXT | CRYPT_MACHINE_KEYSET, provider.AcquireFlags());
  EXPECT_EQ(kGostProviderType, provider.ProviderType());
}

TEST_F(CryptoProviderTest, WithoutTheProviderNothingIsAcquired) {
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  CCryptoProvider provider;
  provider.OpenVerifyContext(kGostProviderType, true);
  EXPECT_FALSE(provider.Active());
  EXPECT_EQ(nullptr, provider.GetHandle());

  DebugCapture debug;
  try {
    provider.OpenVerifyContext(kGostProviderType, false);
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ("CCryptoProvider.AcquireContext\n\rТип поставщика не определен.\r\n",
              error.Message());
  }
  EXPECT_FALSE(provider.Active());
  ASSERT_FALSE(debug.Lines().empty());
  EXPECT_EQ(0u, debug.Lines().back().find("[EXCEPTION CCryptoProvider.AcquireContext"));
}

TEST_F(CryptoProviderTest, OpensANamedContainerAndForgetsItOnClose) {
  MakeContainer("\\\\.\\HDIMAGE\\Иванов");
  CCryptoProvider provider;
  provider.Open(kGostProviderType, "\\\\.\\HDIMAGE\\Иванов", false, false);
  ASSERT_TRUE(provider.Active());
  EXPECT_STREQ("\\\\.\\HDIMAGE\\Иванов", provider.Container());
  EXPECT_EQ(0u, provider.AcquireFlags());
  provider.Close();
  EXPECT_EQ(nullptr, provider.Container());

  try {
    provider.Open(kGostProviderType, "нет такого", false, false);
    FAIL() << "no error";
  } catch (const Exception& error) {
    EXPECT_EQ("CCryptoProvider.AcquireContext\n\rНабор ключей не существует.\r\n", error.Message());
  }
  provider.Open(kGostProviderType, "новый", true, false);
  EXPECT_EQ(CRYPT_NEWKEYSET, provider.AcquireFlags());
  EXPECT_TRUE(provider.Active());
}

TEST_F(CryptoProviderTest, EnumeratesTheContainersOfItsKeySet) {
  CStrArray list;
  list.Add("old");
  CCryptoProvider provider;
  provider.EnumContainers(list, kGostProviderType);
  EXPECT_EQ(0, list.Count());
  EXPECT_TRUE(provider.Active());  // the verify context stays open

  MakeContainer("б\\второй");
  MakeContainer("a");
  MakeContainer("машина", CRYPT_MACHINE_KEYSET);
  provider.EnumContainers(list, kGostProviderType);
  EXPECT_EQ("a|б\\второй", Names(list));

  provider.Close();
  provider.SetMachineKeySet(true);
  provider.EnumContainers(list, kGostProviderType);
  EXPECT_EQ("машина", Names(list));
}

TEST_F(CryptoProviderTest, ANameBeyondTheBufferRaisesTheSystemError) {
  MakeContainer(std::string(260, 'x'));
  CStrArray list;
  CCryptoProvider provider;
  try {
    provider.EnumContainers(list, kGostProviderType);
    FAIL() << "no error";
  } catch (const EOSError& error) {
    EXPECT_EQ(ERROR_MORE_DATA, error.ErrorCode());
    EXPECT_EQ("System Error.  Code: 234.\r\nИмеются дополнительные данные", error.Message());
  }
}

TEST_F(CryptoProviderTest, StoresFollowTheProvidersKeySet) {
  PCCERT_CONTEXT signer = CertCreateCertificateContext(kMsgEncoding, Pki("signer.cer"));
  CCryptoProvider machine;
  machine.SetMachineKeySet(true);
  machine.OpenVerifyContext(kGostProviderType, false);
  {
    CCryptoStore store;
    store.SetProvider(&machine);
    store.Open(CERT_STORE_PROV_SYSTEM_W, u"MY");
    ASSERT_NE(nullptr, store.Handle());
    EXPECT_EQ(kMsgEncoding, store.EncodingType());
    ASSERT_TRUE(CertAddCertificateContextToStore(store.Handle(), signer,
                                                 CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
  }  // closed by its destructor
  CertFreeCertificateContext(signer);

  auto count = [](CCryptoStore& store) {
    int n = 0;
    for (PCCERT_CONTEXT c = nullptr; (c = CertEnumCertificatesInStore(store.Handle(), c));) ++n;
    return n;
  };
  CCryptoStore in_machine;
  in_machine.SetProvider(&machine);
  in_machine.Open(CERT_STORE_PROV_SYSTEM_W, u"MY");
  EXPECT_EQ(1, count(in_machine));
  CCryptoStore in_user;  // no provider: the current user's stores
  in_user.Open(CERT_STORE_PROV_SYSTEM_W, u"MY");
  EXPECT_EQ(0, count(in_user));
  in_user.Close(0);
  EXPECT_EQ(nullptr, in_user.Handle());
  in_user.Close(0);

  try {
    in_user.Open(CERT_STORE_PROV_SYSTEM_W, u"");
    FAIL() << "no error";
  } catch (const EOSError& error) {
    EXPECT_EQ(ERROR_INVALID_NAME, error.ErrorCode());
    EXPECT_EQ(0u, error.Message().find("System Error.  Code: 123.\r\n"));
  }
}

TEST(CryptoExceptionTest, KeepsTheLastErrorOfItsMaking) {
  SetLastError(CRYPT_E_NOT_FOUND);
  const CCryptoAPI20Exception error(CheckResult::kCaCertificateNotFound,
                                    "Не найден сертификат УЦ [x]");
  SetLastError(0);
  EXPECT_EQ(CheckResult::kCaCertificateNotFound, error.Code());
  EXPECT_EQ(CRYPT_E_NOT_FOUND, error.LastError());
  EXPECT_EQ("0x80092004 (-2146885628): Объект или свойство не найдено", error.ErrorText());
  EXPECT_EQ("Не найден сертификат УЦ [x]", error.Message());
  const Exception& general = error;  // the general family
  EXPECT_EQ(error.Message(), general.Message());
}

// Callers that read the code as a number saw these values before the names.
TEST(CryptoExceptionTest, CheckResultsKeepTheirNumbersAndTexts) {
  const struct {
    CheckResult result;
    int number;
    std::string_view text;
  } cases[] = {
      {CheckResult::kCertificateDate, 21, "certificate not valid at the signing date"},
      {CheckResult::kNotVerified, 22, "signature not verified"},
      {CheckResult::kNoSignerCertificate, 32, "no signer certificate in the signature"},
      {CheckResult::kChainError, 33, "chain or revocation list error"},
      {CheckResult::kCrlNotFound, 34, "revocation list not found"},
      {CheckResult::kCaCertificateNotFound, 35, "CA certificate not found"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.number, static_cast<int>(c.result));
    EXPECT_EQ(c.text, to_string(c.result));
  }
}

}  // namespace
