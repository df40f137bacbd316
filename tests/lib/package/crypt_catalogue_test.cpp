#include "lib/package/tarvex_crypt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/cryptoapi20_tool.h"
#include "lib/package/tarvex_key.h"
#include "platform/kernel/codepage.h"
#include "tests/lib/crypto/signature_test_support.h"
#include "tests/support/error_of.h"

namespace {

const std::string kContent = std::string("Заявление\0\xFF", 11);

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string NoProvider(const std::string& operation) {
  return "Не установлен СКЗИ КриптоПро, который требуется для операции: " + operation;
}

class CatalogueTest : public SignatureTest {
 protected:
  // The store folder of a system store under the root of the location.
  std::string StoreFile(int location, const std::string& store, const std::string& name) const {
    return (location == kUser ? roots_.User() : roots_.Machine()) + "/stores/" + store + "/" + name;
  }

  CTarvexCrypt catalogue_;
};

TEST_F(CatalogueTest, BeforeInitNothingIsListedAndTheProviderCheckFails) {
  ImportKey("Иванов", "signer", kUser);
  const std::string thumbprint = ThumbprintOf("signer");
  EXPECT_EQ(0, catalogue_.GetPrivateKeyCount());
  EXPECT_EQ(0, catalogue_.GetOpponentKeyCount());
  EXPECT_EQ(0, catalogue_.GetContainerCount());
  CTarvexKey key;
  const struct {
    std::string operation;
    std::function<void()> call;
  } cases[] = {
      {"получение личного ключа", [&] { catalogue_.GetPrivateKey(0); }},
      {"получение ключа оппонента", [&] { catalogue_.GetOpponentKey(0); }},
      {"получение имени контейнера", [&] { catalogue_.GetContainer(0); }},
      {"получение ключа по отпечатку", [&] { catalogue_.GetPrivateKeyBySha1(thumbprint); }},
      {"получение ключа по отпечатку", [&] { catalogue_.GetOpponentKeyBySha1(thumbprint); }},
      {"импорт цепочки сертификатов", [&] { catalogue_.ImportP7BChain(Pki("chain.p7b")); }},
      {"импорт личного сертификата",
       [&] { catalogue_.ImportPrivateCertificate(Pki("signer.cer"), "Иванов", &key); }},
      {"импорт ключа оппонента",
       [&] { catalogue_.ImportOpponentCertificate(Pki("signer.cer"), &key); }},
      {"привязка ключа к контейнеру", [&] { catalogue_.LinkPrivateKey(&key, false); }},
      {"привязка ключа к контейнеру", [&] { catalogue_.SetPrivateKeyCaching(&key, false); }},
  };
  for (const auto& c : cases) EXPECT_EQ(NoProvider(c.operation), ErrorOf(c.call));

  // Without a catalogue there is no key to sign with and no store to
  // check a signature in.
  WriteBytes(File("a.txt"), kContent);
  EXPECT_EQ("Ключ по отпечатку [" + thumbprint + "] не найден",
            ErrorOf([&] { catalogue_.SignFile(File("a.txt"), thumbprint, ""); }));
  EXPECT_EQ("Каталог ключей не построен, операция недоступна: проверка подписи",
            ErrorOf([&] { catalogue_.CheckSignature(kContent, "подпись"); }));
  EXPECT_TRUE(CTarvexCrypt::IsCryptographyOk());
}

TEST_F(CatalogueTest, InitWithoutTheProviderFails) {
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_FALSE(CTarvexCrypt::IsCryptographyOk());
  EXPECT_EQ(NoProvider("инициализация"), ErrorOf([&] { catalogue_.Init(true); }));
  EXPECT_EQ(NoProvider("получение личного ключа"), ErrorOf([&] { catalogue_.GetPrivateKey(0); }));
  // A handler that lets the error go makes Init answer false.
  catalogue_.OnError = [](const Exception&, CBaseClass&) {};
  EXPECT_FALSE(catalogue_.Init(true));
  ::unsetenv("TARVEX_GOST_ABSENT");
  EXPECT_TRUE(catalogue_.Init(true));
}

TEST_F(CatalogueTest, InitDescribesEveryCertificateOfBothStoresAndTheContainers) {
  ImportKey("Иванов", "signer", kUser);
  ImportKey("Петров", "signer2", kUser);
  AddToStore(kUser, kStoreAddressBook, {"revoked"});
  ASSERT_TRUE(catalogue_.Init(true));

  ASSERT_EQ(2, catalogue_.GetPrivateKeyCount());
  ASSERT_EQ(1, catalogue_.GetOpponentKeyCount());
  ASSERT_EQ(2, catalogue_.GetContainerCount());
  std::vector<std::string> containers = {catalogue_.GetContainer(0), catalogue_.GetContainer(1)};
  std::sort(containers.begin(), containers.end());
  EXPECT_EQ((std::vector<std::string>{"Иванов", "Петров"}), containers);

  CTarvexKey* key = catalogue_.GetPrivateKeyBySha1(ThumbprintOf("signer"));
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(OpensslSha1(PkiPath("signer.cer")), key->Sha1());
  EXPECT_EQ(Pki("signer.cer"), key->CertificateBody());
  EXPECT_EQ("Иванов", key->ContainerName());
  EXPECT_EQ(5, key->SignRole);
  EXPECT_TRUE(key->OwnsContext);
  ASSERT_NE(nullptr, key->CertContext);
  EXPECT_EQ("Иванов Иван Иванович", key->SubjectCN());
  EXPECT_NE(std::string::npos, key->Subject().find("Иванов Иван Иванович")) << key->Subject();
  EXPECT_NE(std::string::npos, key->Issuer().find("Тестовый УЦ")) << key->Issuer();

  CTarvexKey* opponent = catalogue_.GetOpponentKey(0);
  EXPECT_EQ(ThumbprintOf("revoked"), opponent->Sha1());
  EXPECT_EQ("", opponent->ContainerName());
  EXPECT_EQ(opponent, catalogue_.GetOpponentKeyBySha1(opponent->Sha1()));

  // Thumbprints are compared as given: only upper case matches.
  const std::string lower = Lower(ThumbprintOf("signer"));
  EXPECT_EQ("Не найден личный сертификат по отпечатку [" + lower + "]",
            ErrorOf([&] { catalogue_.GetPrivateKeyBySha1(lower); }));
  EXPECT_EQ("Не найден сертификат по отпечатку [" + ThumbprintOf("signer") + "]",
            ErrorOf([&] { catalogue_.GetOpponentKeyBySha1(ThumbprintOf("signer")); }));
  EXPECT_EQ("Передан пустой аргумент: sha1", ErrorOf([&] { catalogue_.GetPrivateKeyBySha1(""); }));

  EXPECT_EQ("Значение параметра privateKeyIndex (2) должно находиться в интервале от 0 до 1",
            ErrorOf([&] { catalogue_.GetPrivateKey(2); }));
  EXPECT_EQ("Значение параметра opponentKeyIndex (-1) должно находиться в интервале от 0 до 0",
            ErrorOf([&] { catalogue_.GetOpponentKey(-1); }));
  EXPECT_EQ("Значение параметра containerIndex (2) должно находиться в интервале от 0 до 1",
            ErrorOf([&] { catalogue_.GetContainer(2); }));
}

TEST_F(CatalogueTest, TheStorageFlagChoosesTheLocationOfEachInit) {
  ImportKey("Машинный", "signer", kMachine);
  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_EQ(0, catalogue_.GetPrivateKeyCount());
  EXPECT_EQ(0, catalogue_.GetContainerCount());
  EXPECT_EQ(
      "privateKeyIndex: ошибка задания диапазона - минимальное значение (0) больше "
      "максимального(-1)",
      ErrorOf([&] { catalogue_.GetPrivateKey(0); }));

  ASSERT_TRUE(catalogue_.Init(false));
  ASSERT_EQ(1, catalogue_.GetPrivateKeyCount());
  EXPECT_EQ(ThumbprintOf("signer"), catalogue_.GetPrivateKey(0)->Sha1());
  ASSERT_EQ(1, catalogue_.GetContainerCount());
  EXPECT_EQ("Машинный", catalogue_.GetContainer(0));

  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_EQ(0, catalogue_.GetPrivateKeyCount());
  EXPECT_EQ(0, catalogue_.GetContainerCount());
}

TEST_F(CatalogueTest, SignFileWritesADetachedSignatureThatOpensslVerifies) {
  ImportKey("Иванов", "signer", kUser);
  ASSERT_TRUE(catalogue_.Init(true));
  const std::string file = File("a.txt");
  WriteBytes(file, kContent);

  // Any case of the thumbprint; next to the file when no name is given.
  catalogue_.SignFile(file, Lower(ThumbprintOf("signer")), "");
  EXPECT_EQ(0, OpensslVerify(ReadBytes(file + ".p7s"), kContent));
  ExpectSignatureFormat(roots_.Dir(), ReadBytes(file + ".p7s"), kContent, "signer");

  // A given name is replaced.
  const std::string target = File("other.sig");
  WriteBytes(target, std::string(100000, 'x'));
  catalogue_.SignFile(file, ThumbprintOf("signer"), target);
  EXPECT_EQ(0, OpensslVerify(ReadBytes(target), kContent));

  const std::string unknown = std::string(40, 'a');
  EXPECT_EQ("Ключ по отпечатку [" + unknown + "] не найден",
            ErrorOf([&] { catalogue_.SignFile(file, unknown, ""); }));
  EXPECT_EQ("Передан пустой аргумент: FileName",
            ErrorOf([&] { catalogue_.SignFile("", ThumbprintOf("signer"), ""); }));
  EXPECT_EQ("Передан пустой аргумент: Sha1", ErrorOf([&] { catalogue_.SignFile(file, "", ""); }));
  EXPECT_EQ("Файл не найден: [" + File("missing") + "]",
            ErrorOf([&] { catalogue_.SignFile(File("missing"), ThumbprintOf("signer"), ""); }));
}

TEST_F(CatalogueTest, ImportsFillTheRecordAndReachTheStores) {
  ASSERT_TRUE(catalogue_.Init(true));

  // A certificate of another party goes to "addressbook" without a container.
  CTarvexKey opponent;
  catalogue_.ImportOpponentCertificate(ReadBytes(Pem("signer2")), &opponent);
  EXPECT_EQ(ThumbprintOf("signer2"), opponent.Sha1());
  EXPECT_EQ(Pki("signer2.cer"), opponent.CertificateBody());
  EXPECT_EQ("", opponent.ContainerName());
  EXPECT_TRUE(opponent.OwnsContext);
  // The catalogue changes at its next Init only.
  EXPECT_EQ(0, catalogue_.GetOpponentKeyCount());
  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_EQ(ThumbprintOf("signer2"),
            catalogue_.GetOpponentKeyBySha1(ThumbprintOf("signer2"))->Sha1());
  EXPECT_EQ(0, catalogue_.GetPrivateKeyCount());

  // A personal certificate is bound to the container that holds its key:
  // the key in place, its certificate taken out of "MY" again.
  ImportKey("Иванов", "signer", kUser);
  const std::string thumbprint = ThumbprintOf("signer");
  ASSERT_EQ(0, std::remove(StoreFile(kUser, "my", thumbprint + ".cer").c_str()));
  std::remove(StoreFile(kUser, "my", thumbprint + ".prop").c_str());
  CTarvexKey personal;
  catalogue_.ImportPrivateCertificate(Pki("signer.cer"), "Иванов", &personal);
  EXPECT_EQ(thumbprint, personal.Sha1());
  EXPECT_EQ("Иванов", personal.ContainerName());
  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_EQ("Иванов", catalogue_.GetPrivateKeyBySha1(thumbprint)->ContainerName());
  WriteBytes(File("a.txt"), kContent);
  catalogue_.SignFile(File("a.txt"), thumbprint, "");
  EXPECT_EQ(0, OpensslVerify(ReadBytes(File("a.txt.p7s")), kContent));

  // A record already filled takes the new certificate and frees its old one.
  catalogue_.ImportOpponentCertificate(Pki("revoked.cer"), &personal);
  EXPECT_EQ(ThumbprintOf("revoked"), personal.Sha1());
  EXPECT_EQ("", personal.ContainerName());

  // A chain: its CA certificates go to "CA".
  catalogue_.ImportP7BChain(Pki("chain.p7b"));
  for (const char* name : {"root", "intermediate"}) {
    PCCERT_CONTEXT found = CCryptoAPI20Tool::FindCertificate(kUser, kStoreCA, ThumbprintOf(name));
    EXPECT_NE(nullptr, found) << name;
    CertFreeCertificateContext(found);
  }

  CTarvexKey key;
  const struct {
    std::string message;
    std::function<void()> call;
  } errors[] = {
      {"Передан пустой аргумент: P7B-content", [&] { catalogue_.ImportP7BChain(""); }},
      {"Передан пустой аргумент: certificateBody",
       [&] { catalogue_.ImportPrivateCertificate("", "Иванов", &key); }},
      {"Передан пустой аргумент: ContainerName",
       [&] { catalogue_.ImportPrivateCertificate(Pki("signer.cer"), "", &key); }},
      {"Передан пустой аргумент: pKey",
       [&] { catalogue_.ImportPrivateCertificate(Pki("signer.cer"), "Иванов", nullptr); }},
      {"Передан пустой аргумент: certificateBody",
       [&] { catalogue_.ImportOpponentCertificate("", &key); }},
      {"Передан пустой аргумент: pKey",
       [&] { catalogue_.ImportOpponentCertificate(Pki("signer.cer"), nullptr); }},
  };
  for (const auto& e : errors) EXPECT_EQ(e.message, ErrorOf(e.call));
  EXPECT_NE("no error",
            ErrorOf([&] { catalogue_.ImportOpponentCertificate("не сертификат", &key); }));
  EXPECT_EQ(nullptr, key.CertContext);
}

TEST_F(CatalogueTest, APersonalCertificateForAMissingContainerStaysOutOfMy) {
  ASSERT_TRUE(catalogue_.Init(true));
  CTarvexKey key;
  EXPECT_NE("no error", ErrorOf([&] {
              catalogue_.ImportPrivateCertificate(Pki("signer.cer"), "Нет такого", &key);
            }));
  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_EQ(0, catalogue_.GetPrivateKeyCount());
}

TEST_F(CatalogueTest, LinkAndCachingWriteTheContainerIntoTheStore) {
  ImportKey("Иванов", "signer", kUser);
  ASSERT_TRUE(catalogue_.Init(true));
  const std::string thumbprint = ThumbprintOf("signer");

  // The record names another container: the store's certificate takes it.
  CTarvexKey* key = catalogue_.GetPrivateKeyBySha1(thumbprint);
  key->SetContainerName("Другой");
  catalogue_.SetPrivateKeyCaching(key, true);
  ASSERT_TRUE(catalogue_.Init(true));
  key = catalogue_.GetPrivateKeyBySha1(thumbprint);
  EXPECT_EQ("Другой", key->ContainerName());

  // Linking binds it to the record's container again, which holds its key.
  key->SetContainerName("Иванов");
  catalogue_.LinkPrivateKey(key, false);
  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_EQ("Иванов", catalogue_.GetPrivateKeyBySha1(thumbprint)->ContainerName());
  WriteBytes(File("a.txt"), kContent);
  catalogue_.SignFile(File("a.txt"), thumbprint, "");
  EXPECT_EQ(0, OpensslVerify(ReadBytes(File("a.txt.p7s")), kContent));

  CTarvexKey stranger;
  stranger.SetSha1(ThumbprintOf("signer2"));
  stranger.SetContainerName("Иванов");
  EXPECT_EQ("Не найден личный сертификат по отпечатку [" + ThumbprintOf("signer2") + "]",
            ErrorOf([&] { catalogue_.LinkPrivateKey(&stranger, false); }));
  EXPECT_EQ("Передан пустой аргумент: pKey.CertContext",
            ErrorOf([&] { catalogue_.SetPrivateKeyCaching(&stranger, false); }));
  EXPECT_EQ("Передан пустой аргумент: pKey",
            ErrorOf([&] { catalogue_.LinkPrivateKey(nullptr, false); }));
  EXPECT_EQ("Передан пустой аргумент: pKey",
            ErrorOf([&] { catalogue_.SetPrivateKeyCaching(nullptr, false); }));
}

// Every download goes to a proxy where nothing listens; the stores hold
// the chain and its CRLs.
class CatalogueCheckTest : public CatalogueTest {
 protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    ::setenv("http_proxy", "http://127.0.0.1:1", 1);
    ::unsetenv("no_proxy");
    ::unsetenv("NO_PROXY");
  }
  void TearDown() override { ::unsetenv("http_proxy"); }
};

TEST_F(CatalogueCheckTest, CheckSignatureUsesTheStoresOfTheInitLocation) {
  TrustChain(kMachine);
  const std::string signature = OpensslSign("signer", kContent, "");
  ASSERT_TRUE(catalogue_.Init(false));
  catalogue_.CheckSignature(kContent, signature);

  std::string changed = kContent;
  changed[0] ^= 1;
  try {
    catalogue_.CheckSignature(changed, signature);
    ADD_FAILURE() << "a changed content verified";
  } catch (const CCryptoAPI20Exception& error) {
    EXPECT_EQ(CheckResult::kNotVerified, error.Code());
  }
  const std::string revoked =
      ErrorOf([&] { catalogue_.CheckSignature(kContent, OpensslSign("revoked", kContent, "")); });
  EXPECT_NE(std::string::npos, revoked.find("сертификат был отозван")) << revoked;

  // The current user's stores do not trust the chain.
  ASSERT_TRUE(catalogue_.Init(true));
  EXPECT_NE("no error", ErrorOf([&] { catalogue_.CheckSignature(kContent, signature); }));
  EXPECT_EQ("Передан пустой аргумент: content",
            ErrorOf([&] { catalogue_.CheckSignature("", signature); }));
  EXPECT_EQ("Передан пустой аргумент: signature",
            ErrorOf([&] { catalogue_.CheckSignature(kContent, ""); }));
}

}  // namespace
