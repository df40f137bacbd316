// The key catalogue object as its client meets it: the library module
// loaded with dlopen, TarvexCrypt made by the class factory that
// DllGetClassObject hands out, keys put in with the key command, and every
// signature checked by openssl.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"
#include "platform/com/class_factory.h"
#include "tests/lib/com/com_client.h"
#include "tests/lib/crypto/signature_test_support.h"

namespace {

using GetClassObjectFn = HRESULT (*)(const CLSID&, const IID&, void**);

const std::string kContent = std::string("Заявление\0\xFF", 11);

std::string NoProvider(const std::string& operation) {
  return "Не установлен СКЗИ КриптоПро, который требуется для операции: " + operation;
}

// A key object the library did not make: it answers only its thumbprint.
class ForeignKey final : public ITarvexKey {
 public:
  explicit ForeignKey(std::string sha1) : sha1_(std::move(sha1)) {}

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (iid == IUnknown::kIid || iid == IDispatch::kIid || iid == ITarvexKey::kIid) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  HRESULT GetTypeInfoCount(uint32_t*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(uint32_t, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, OLECHAR**, uint32_t, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID, const IID&, LCID, uint16_t, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                 uint32_t*) override {
    return E_NOTIMPL;
  }
  HRESULT get_ContainerName(BSTR* value) override { return Text("Иванов", value); }
  HRESULT put_ContainerName(BSTR) override { return E_NOTIMPL; }
  HRESULT get_Sha1(BSTR* value) override { return Text(sha1_, value); }
  HRESULT put_Sha1(BSTR) override { return E_NOTIMPL; }
  HRESULT get_SubjectCN(BSTR* value) override { return Text("Иванов Иван Иванович", value); }
  HRESULT put_SubjectCN(BSTR) override { return E_NOTIMPL; }
  HRESULT get_SignRole(SIGN_ROLE_TYPES* value) override {
    *value = SIGN_ROLE_TYPE_APPLICANT;
    return S_OK;
  }
  HRESULT put_SignRole(SIGN_ROLE_TYPES) override { return E_NOTIMPL; }
  HRESULT get_CertificateBody(BSTR* value) override { return Text("", value); }
  HRESULT put_CertificateBody(BSTR) override { return E_NOTIMPL; }
  HRESULT get_Subject(BSTR* value) override { return Text("", value); }
  HRESULT put_Subject(BSTR) override { return E_NOTIMPL; }
  HRESULT get_Issuer(BSTR* value) override { return Text("", value); }
  HRESULT put_Issuer(BSTR) override { return E_NOTIMPL; }
  HRESULT Init() override { return E_NOTIMPL; }

 private:
  static HRESULT Text(const std::string& text, BSTR* value) {
    const std::u16string wide = AnsiToWide(text);
    *value = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
    return S_OK;
  }

  std::string sha1_;
};

class CryptObjectTest : public SignatureTest {
 protected:
  void SetUp() override {
    SignatureTest::SetUp();
    handle_ = dlopen(TARVEX_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    auto get_class_object = reinterpret_cast<GetClassObjectFn>(dlsym(handle_, "DllGetClassObject"));
    ASSERT_NE(get_class_object, nullptr);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(S_OK, get_class_object(CLSID_TarvexCrypt, IClassFactory::kIid,
                                     reinterpret_cast<void**>(&factory)));
    const ComRef<IClassFactory> held(factory);
    ITarvexCrypt* crypt = nullptr;
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, ITarvexCrypt::kIid,
                                            reinterpret_cast<void**>(&crypt)));
    crypt_.reset(crypt);
    ASSERT_NE(crypt_, nullptr);
  }
  void TearDown() override {
    crypt_.reset();
    if (handle_ != nullptr) dlclose(handle_);
    ::unsetenv("http_proxy");
  }

  bool Init() {
    VARIANT_BOOL built = VARIANT_FALSE;
    EXPECT_EQ(S_OK, crypt_->Init(&built)) << TakeError().description;
    return built == VARIANT_TRUE;
  }
  int PrivateKeyCount() {
    int32_t count = -1;
    EXPECT_EQ(S_OK, crypt_->GetPrivateKeyCount(&count));
    return count;
  }
  int OpponentKeyCount() {
    int32_t count = -1;
    EXPECT_EQ(S_OK, crypt_->GetOpponentKeyCount(&count));
    return count;
  }
  ComRef<ITarvexKey> PrivateKey(const std::string& sha1) {
    ITarvexKey* key = nullptr;
    EXPECT_EQ(S_OK, crypt_->GetPrivateKeyBySha1(Bstr(sha1), &key)) << TakeError().description;
    return ComRef<ITarvexKey>(key);
  }
  static std::string Sha1Of(ITarvexKey* key) {
    BSTR sha1 = nullptr;
    EXPECT_EQ(S_OK, key->get_Sha1(&sha1));
    return Taken(sha1);
  }

  // A failed member: E_UNEXPECTED with the error info of the class.
  static void ExpectFailure(HRESULT result, const std::string& message) {
    EXPECT_EQ(E_UNEXPECTED, result);
    const ErrorSeen error = TakeError();
    EXPECT_EQ(message, error.description);
    EXPECT_EQ(ITarvexCrypt::kIid, error.guid);
    EXPECT_EQ("QimTarvexLib.TarvexCrypt", error.source);
  }
  // The same for a member that hands out a key: it hands out none.
  static void ExpectNoKey(const std::function<HRESULT(ITarvexKey**)>& call,
                          const std::string& message) {
    ITarvexKey* key = reinterpret_cast<ITarvexKey*>(1);
    ExpectFailure(call(&key), message);
    EXPECT_EQ(nullptr, key);
  }

  void* handle_ = nullptr;
  ComRef<ITarvexCrypt> crypt_;
};

TEST_F(CryptObjectTest, BeforeInitOnlyTheProviderTestAndTheFlagAnswer) {
  ImportKey("Иванов", "signer", kUser);
  const std::string sha1 = ThumbprintOf("signer");
  EXPECT_EQ(0, PrivateKeyCount());
  EXPECT_EQ(0, OpponentKeyCount());
  ExpectNoKey([&](ITarvexKey** key) { return crypt_->GetPrivateKeyBySha1(Bstr(sha1), key); },
              NoProvider("получение ключа по отпечатку"));
  ExpectNoKey([&](ITarvexKey** key) { return crypt_->GetOpponentKey(0, key); },
              NoProvider("получение ключа оппонента"));
  ExpectFailure(crypt_->ImportP7BChain(Bstr(Pki("chain.p7b"))),
                NoProvider("импорт цепочки сертификатов"));

  WriteBytes(File("a.txt"), kContent);
  ForeignKey key(sha1);
  ExpectFailure(crypt_->SignFile(Bstr(File("a.txt")), &key, Bstr()),
                "Ключ по отпечатку [" + sha1 + "] не найден");

  VARIANT_BOOL flag = VARIANT_FALSE;
  EXPECT_EQ(S_OK, crypt_->get_FlagUsageUserStorage(&flag));
  EXPECT_EQ(VARIANT_TRUE, flag);
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(S_OK, crypt_->IsCryptographyOk(&ok));
  EXPECT_EQ(VARIANT_TRUE, ok);
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  EXPECT_EQ(S_OK, crypt_->IsCryptographyOk(&ok));
  EXPECT_EQ(VARIANT_FALSE, ok);
  VARIANT_BOOL built = VARIANT_TRUE;
  ExpectFailure(crypt_->Init(&built), NoProvider("инициализация"));
}

TEST_F(CryptObjectTest, KeysAreHandedOutAsIndependentCopiesOfTheCatalogue) {
  ImportKey("Иванов", "signer", kUser);
  ImportKey("Петров", "signer2", kUser);
  AddToStore(kUser, kStoreAddressBook, {"revoked"});
  ASSERT_TRUE(Init());
  ASSERT_EQ(2, PrivateKeyCount());
  ASSERT_EQ(1, OpponentKeyCount());
  int32_t containers = 0;
  ASSERT_EQ(S_OK, crypt_->GetContainerCount(&containers));
  ASSERT_EQ(2, containers);
  BSTR container = nullptr;
  ASSERT_EQ(S_OK, crypt_->GetContainer(1, &container));
  const std::string name = Taken(container);
  EXPECT_TRUE(name == "Иванов" || name == "Петров") << name;

  const std::string sha1 = ThumbprintOf("signer");
  ComRef<ITarvexKey> key = PrivateKey(sha1);
  ASSERT_NE(nullptr, key);
  BSTR text = nullptr;
  ASSERT_EQ(S_OK, key->get_CertificateBody(&text));
  EXPECT_EQ(Pki("signer.cer"), Taken(text));  // binary, zero bytes and all
  ASSERT_EQ(S_OK, key->get_SubjectCN(&text));
  EXPECT_EQ("Иванов Иван Иванович", Taken(text));
  ASSERT_EQ(S_OK, key->get_ContainerName(&text));
  EXPECT_EQ("Иванов", Taken(text));
  ASSERT_EQ(S_OK, key->get_Issuer(&text));
  EXPECT_NE(std::string::npos, Taken(text).find("Тестовый УЦ"));
  SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, key->get_SignRole(&role));
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, role);

  // Two calls for one record give two objects; changing one changes
  // neither the other nor the catalogue.
  ITarvexKey* first = nullptr;
  ITarvexKey* second = nullptr;
  ASSERT_EQ(S_OK, crypt_->GetPrivateKey(0, &first));
  ASSERT_EQ(S_OK, crypt_->GetPrivateKey(0, &second));
  const ComRef<ITarvexKey> first_held(first);
  const ComRef<ITarvexKey> second_held(second);
  EXPECT_NE(first, second);
  const std::string original = Sha1Of(first);
  ASSERT_EQ(S_OK, first->put_Sha1(Bstr("изменён")));
  EXPECT_EQ(original, Sha1Of(second));
  ITarvexKey* again = nullptr;
  ASSERT_EQ(S_OK, crypt_->GetPrivateKey(0, &again));
  EXPECT_EQ(original, Sha1Of(ComRef<ITarvexKey>(again).get()));

  ITarvexKey* opponent = nullptr;
  ASSERT_EQ(S_OK, crypt_->GetOpponentKeyBySha1(Bstr(ThumbprintOf("revoked")), &opponent));
  EXPECT_EQ(ThumbprintOf("revoked"), Sha1Of(ComRef<ITarvexKey>(opponent).get()));

  const std::string unknown(40, 'A');
  ExpectNoKey([&](ITarvexKey** out) { return crypt_->GetPrivateKeyBySha1(Bstr(unknown), out); },
              "Не найден личный сертификат по отпечатку [" + unknown + "]");
  ExpectNoKey([&](ITarvexKey** out) { return crypt_->GetOpponentKeyBySha1(Bstr(sha1), out); },
              "Не найден сертификат по отпечатку [" + sha1 + "]");
  ExpectNoKey([&](ITarvexKey** out) { return crypt_->GetPrivateKey(2, out); },
              "Значение параметра privateKeyIndex (2) должно находиться в интервале от 0 до 1");
  container = reinterpret_cast<BSTR>(1);
  ExpectFailure(crypt_->GetContainer(-1, &container),
                "Значение параметра containerIndex (-1) должно находиться в интервале от 0 до 1");
  EXPECT_EQ(nullptr, container);
}

TEST_F(CryptObjectTest, TheStorageFlagRebuildsTheCatalogueOnlyWhenItChanges) {
  ImportKey("Машинный", "signer", kMachine);
  ASSERT_TRUE(Init());
  EXPECT_EQ(0, PrivateKeyCount());

  // The value it has: no Init, so a key put in since stays unseen.
  ImportKey("Иванов", "signer2", kUser);
  ASSERT_EQ(S_OK, crypt_->put_FlagUsageUserStorage(VARIANT_TRUE));
  EXPECT_EQ(0, PrivateKeyCount());

  ASSERT_EQ(S_OK, crypt_->put_FlagUsageUserStorage(VARIANT_FALSE));
  ASSERT_EQ(1, PrivateKeyCount());
  EXPECT_NE(nullptr, PrivateKey(ThumbprintOf("signer")));
  VARIANT_BOOL flag = VARIANT_TRUE;
  EXPECT_EQ(S_OK, crypt_->get_FlagUsageUserStorage(&flag));
  EXPECT_EQ(VARIANT_FALSE, flag);

  // Any value other than 0 means true.
  ASSERT_EQ(S_OK, crypt_->put_FlagUsageUserStorage(5));
  ASSERT_EQ(1, PrivateKeyCount());
  EXPECT_NE(nullptr, PrivateKey(ThumbprintOf("signer2")));

  // A failed Init fails the put; the flag keeps the new value.
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  ExpectFailure(crypt_->put_FlagUsageUserStorage(VARIANT_FALSE), NoProvider("инициализация"));
  EXPECT_EQ(S_OK, crypt_->get_FlagUsageUserStorage(&flag));
  EXPECT_EQ(VARIANT_FALSE, flag);
}

TEST_F(CryptObjectTest, SignFileSignsWithTheKeyOfTheThumbprintTheKeyObjectReports) {
  ImportKey("Иванов", "signer", kUser);
  ASSERT_TRUE(Init());
  // Names in cp1251 for the library, in UTF-8 on disk.
  const std::string file = File("заявление.txt");
  WriteBytes(AnsiToUtf8(file), kContent);
  ComRef<ITarvexKey> key = PrivateKey(ThumbprintOf("signer"));

  const std::string target = File("подпись.sig");
  ASSERT_EQ(S_OK, crypt_->SignFile(Bstr(file), key.get(), Bstr(target))) << TakeError().description;
  EXPECT_EQ(0, OpensslVerify(ReadBytes(AnsiToUtf8(target)), kContent));

  // Through IDispatch without the last argument: next to the file.
  DISPID id = 0;
  OLECHAR* names[] = {const_cast<OLECHAR*>(u"SignFile")};
  ASSERT_EQ(S_OK, crypt_->GetIDsOfNames(IUnknown::kIid, names, 1, 0, &id));
  EXPECT_EQ(0xD9, id);
  const Bstr file_name(file);
  VARIANT args[2];  // last argument first
  VariantInit(&args[0]);
  args[0].vt = VT_DISPATCH;
  args[0].pdispVal = key.get();
  VariantInit(&args[1]);
  args[1].vt = VT_BSTR;
  args[1].bstrVal = file_name;
  DISPPARAMS params = {args, nullptr, 2, 0};
  ASSERT_EQ(S_OK, crypt_->Invoke(id, IUnknown::kIid, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                                 nullptr))
      << TakeError().description;
  EXPECT_EQ(0, OpensslVerify(ReadBytes(AnsiToUtf8(file + ".p7s")), kContent));
  ExpectSignatureFormat(roots_.Dir(), ReadBytes(AnsiToUtf8(file + ".p7s")), kContent, "signer");

  // Any key object will do: only its thumbprint is read, in any case.
  std::string lower = ThumbprintOf("signer");
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  ForeignKey foreign(lower);
  std::remove(AnsiToUtf8(target).c_str());
  ASSERT_EQ(S_OK, crypt_->SignFile(Bstr(file), &foreign, Bstr(target)));
  EXPECT_EQ(0, OpensslVerify(ReadBytes(AnsiToUtf8(target)), kContent));

  ExpectFailure(crypt_->SignFile(Bstr(file), nullptr, Bstr()), "Передан пустой аргумент: pKey");
  ForeignKey empty("");
  ExpectFailure(crypt_->SignFile(Bstr(file), &empty, Bstr()), "Передан пустой аргумент: Sha1");
  ExpectFailure(crypt_->SignFile(Bstr(File("нет.txt")), key.get(), Bstr()),
                "Файл не найден: [" + File("нет.txt") + "]");
}

TEST_F(CryptObjectTest, ImportsHandOutTheirKeyAndRebuildTheCatalogue) {
  ASSERT_TRUE(Init());
  ITarvexKey* key = nullptr;
  ASSERT_EQ(S_OK, crypt_->ImportOpponentCertificate(Bstr(Pki("signer2.cer")), &key))
      << TakeError().description;
  EXPECT_EQ(ThumbprintOf("signer2"), Sha1Of(ComRef<ITarvexKey>(key).get()));
  EXPECT_EQ(1, OpponentKeyCount());

  // A personal certificate bound to the container that holds its key: the
  // key in place, its certificate taken out of "MY" again.
  ImportKey("Иванов", "signer", kUser);
  const std::string sha1 = ThumbprintOf("signer");
  const std::string my = roots_.User() + "/stores/my/" + sha1;
  ASSERT_EQ(0, std::remove((my + ".cer").c_str()));
  std::remove((my + ".prop").c_str());
  ASSERT_TRUE(Init());
  ASSERT_EQ(0, PrivateKeyCount());
  ASSERT_EQ(S_OK, crypt_->ImportPrivateCertificate(Bstr(Pki("signer.cer")), Bstr("Иванов"), &key))
      << TakeError().description;
  const ComRef<ITarvexKey> imported(key);
  EXPECT_EQ(sha1, Sha1Of(key));
  EXPECT_EQ(1, PrivateKeyCount());
  // The key handed out keeps its certificate after the temporary record
  // of the import is gone: caching through it reaches the store.
  ASSERT_EQ(S_OK, key->put_ContainerName(Bstr("Иванов")));
  EXPECT_EQ(S_OK, crypt_->SetPrivateKeyCaching(key, VARIANT_TRUE)) << TakeError().description;
  WriteBytes(File("a.txt"), kContent);
  ASSERT_EQ(S_OK, crypt_->SignFile(Bstr(File("a.txt")), key, Bstr()));
  EXPECT_EQ(0, OpensslVerify(ReadBytes(File("a.txt.p7s")), kContent));

  EXPECT_EQ(S_OK, crypt_->ImportP7BChain(Bstr(Pki("chain.p7b"))));
  ExpectFailure(crypt_->ImportP7BChain(Bstr()), "Передан пустой аргумент: P7B-content");
  ExpectNoKey([&](ITarvexKey** out) { return crypt_->ImportOpponentCertificate(Bstr(), out); },
              "Передан пустой аргумент: certificateBody");
  ExpectNoKey(
      [&](ITarvexKey** out) {
        return crypt_->ImportPrivateCertificate(Bstr(Pki("signer.cer")), Bstr(), out);
      },
      "Передан пустой аргумент: ContainerName");

  // The import reaches the store, the Init after it fails: the call fails
  // and hands out no key. The failed Init leaves no catalogue.
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  ExpectNoKey(
      [&](ITarvexKey** out) {
        return crypt_->ImportOpponentCertificate(Bstr(Pki("revoked.cer")), out);
      },
      NoProvider("инициализация"));
  ::unsetenv("TARVEX_GOST_ABSENT");
  ASSERT_TRUE(Init());
  ::setenv("TARVEX_GOST_ABSENT", "1", 1);
  ExpectFailure(crypt_->ImportP7BChain(Bstr(Pki("chain.p7b"))), NoProvider("инициализация"));
}

TEST_F(CryptObjectTest, LinkingTakesOnlyTheLibrarysOwnKeys) {
  ImportKey("Иванов", "signer", kUser);
  ASSERT_TRUE(Init());
  const std::string sha1 = ThumbprintOf("signer");
  ComRef<ITarvexKey> key = PrivateKey(sha1);
  ASSERT_EQ(S_OK, key->put_ContainerName(Bstr("Другой")));
  ASSERT_EQ(S_OK, crypt_->SetPrivateKeyCaching(key.get(), VARIANT_FALSE));
  ASSERT_TRUE(Init());
  BSTR container = nullptr;
  ASSERT_EQ(S_OK, PrivateKey(sha1)->get_ContainerName(&container));
  EXPECT_EQ("Другой", Taken(container));

  ASSERT_EQ(S_OK, key->put_ContainerName(Bstr("Иванов")));
  ASSERT_EQ(S_OK, crypt_->LinkPrivateKey(key.get(), VARIANT_TRUE)) << TakeError().description;
  ASSERT_TRUE(Init());
  ASSERT_EQ(S_OK, PrivateKey(sha1)->get_ContainerName(&container));
  EXPECT_EQ("Иванов", Taken(container));

  ForeignKey foreign(sha1);
  const std::string cast =
      "Объект ключа создан не библиотекой: интерфейс ITarvexKeyContext не поддерживается";
  ExpectFailure(crypt_->LinkPrivateKey(&foreign, VARIANT_FALSE), cast);
  ExpectFailure(crypt_->SetPrivateKeyCaching(&foreign, VARIANT_FALSE), cast);
  ExpectFailure(crypt_->LinkPrivateKey(nullptr, VARIANT_FALSE), "Передан пустой аргумент: pKey");
}

// Every download goes to a proxy where nothing listens; the stores hold the
// chain and its CRLs.
TEST_F(CryptObjectTest, CheckSignatureTakesBinaryContentAndFailsWithTheCheck) {
  ::setenv("http_proxy", "http://127.0.0.1:1", 1);
  ::unsetenv("no_proxy");
  ::unsetenv("NO_PROXY");
  TrustChain(kUser);
  ASSERT_TRUE(Init());
  const std::string signature = OpensslSign("signer", kContent, "");
  EXPECT_EQ(S_OK, crypt_->CheckSignature(Bstr(kContent), Bstr(signature)))
      << TakeError().description;

  std::string changed = kContent;
  changed[10] ^= 1;
  EXPECT_EQ(E_UNEXPECTED, crypt_->CheckSignature(Bstr(changed), Bstr(signature)));
  const ErrorSeen error = TakeError();
  EXPECT_NE("<none>", error.description);
  EXPECT_EQ("QimTarvexLib.TarvexCrypt", error.source);
  ExpectFailure(crypt_->CheckSignature(Bstr(), Bstr(signature)),
                "Передан пустой аргумент: content");
}

}  // namespace
