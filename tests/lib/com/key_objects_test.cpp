// Key objects and the key copying between records and key objects.
#include <gtest/gtest.h>

#include "lib/com/auto_intf_object.h"
#include "lib/com/tarvex_key_class.h"
#include "lib/com/tarvex_key_context.h"
#include "lib/crypto/cryptoapi20_utils.h"
#include "tests/lib/com/com_objects_fixture.h"
#include "tests/support/error_of.h"

namespace {

constexpr char kContentBytes[] = "текст\0\x98\xFF";
const std::string kContent(kContentBytes, sizeof kContentBytes - 1);

// A key object that a client made itself: it answers ITarvexKey with fixed
// fields but has no certificate context to give.
class ForeignKey final : public CAutoIntfObject<ITarvexKey> {
 public:
  explicit ForeignKey(ITypeInfo* info) : CAutoIntfObject(info) {}
  HRESULT get_ContainerName(BSTR* v) override { return Give(v, "foreign"); }
  HRESULT put_ContainerName(BSTR) override { return S_OK; }
  HRESULT get_Sha1(BSTR* v) override { return Give(v, "00"); }
  HRESULT put_Sha1(BSTR) override { return S_OK; }
  HRESULT get_SubjectCN(BSTR* v) override { return Give(v, "Чужой"); }
  HRESULT put_SubjectCN(BSTR) override { return S_OK; }
  HRESULT get_SignRole(SIGN_ROLE_TYPES* v) override {
    *v = SIGN_ROLE_TYPE_APPLICANT;
    return S_OK;
  }
  HRESULT put_SignRole(SIGN_ROLE_TYPES) override { return S_OK; }
  HRESULT get_CertificateBody(BSTR* v) override { return Give(v, ""); }
  HRESULT put_CertificateBody(BSTR) override { return S_OK; }
  HRESULT get_Subject(BSTR* v) override { return Give(v, ""); }
  HRESULT put_Subject(BSTR) override { return S_OK; }
  HRESULT get_Issuer(BSTR* v) override { return Give(v, ""); }
  HRESULT put_Issuer(BSTR) override { return S_OK; }
  HRESULT Init() override { return S_OK; }

 private:
  static HRESULT Give(BSTR* value, const std::string& text) {
    const std::u16string wide = AnsiToWide(text);
    *value = SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
    return S_OK;
  }
};

using KeyObjectTest = ComObjectsTest;

TEST_F(KeyObjectTest, ANewKeyIsAnApplicantAndItsPutsCheckAsTheRecordDoes) {
  const ComRef<ITarvexKey> key(CTarvexKey_class::Create());
  SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, key->get_SignRole(&role));
  EXPECT_EQ(SIGN_ROLE_TYPE_APPLICANT, role);

  EXPECT_EQ(S_OK, key->put_SignRole(SIGN_ROLE_TYPE_NOTARY));
  EXPECT_EQ(E_UNEXPECTED, key->put_SignRole(static_cast<SIGN_ROLE_TYPES>(10)));
  const ErrorSeen error = TakeError();
  EXPECT_EQ("Неизвестная роль: [10]", error.description);
  EXPECT_EQ(ITarvexKey::kIid, error.guid);
  EXPECT_EQ("", error.source);
  ASSERT_EQ(S_OK, key->get_SignRole(&role));
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, role);

  EXPECT_EQ(S_OK, key->put_SubjectCN(Bstr("Иванов")));
  EXPECT_EQ(E_UNEXPECTED, key->put_SubjectCN(Bstr("")));
  EXPECT_EQ("Передан пустой аргумент: SubjectCN", TakeError().description);
  BSTR text = nullptr;
  ASSERT_EQ(S_OK, key->get_SubjectCN(&text));
  EXPECT_EQ("Иванов", Taken(text));
  EXPECT_EQ(S_OK, key->put_Sha1(Bstr("")));

  // Each text field keeps every byte, zero bytes included.
  using Put = HRESULT (ITarvexKey::*)(BSTR);
  using Get = HRESULT (ITarvexKey::*)(BSTR*);
  const std::pair<Put, Get> fields[] = {
      {&ITarvexKey::put_ContainerName, &ITarvexKey::get_ContainerName},
      {&ITarvexKey::put_Sha1, &ITarvexKey::get_Sha1},
      {&ITarvexKey::put_CertificateBody, &ITarvexKey::get_CertificateBody},
      {&ITarvexKey::put_Subject, &ITarvexKey::get_Subject},
      {&ITarvexKey::put_Issuer, &ITarvexKey::get_Issuer}};
  for (const auto& [put, get] : fields) {
    EXPECT_EQ(S_OK, (key.get()->*put)(Bstr(kContent)));
    BSTR value = nullptr;
    ASSERT_EQ(S_OK, (key.get()->*get)(&value));
    EXPECT_EQ(kContent, Taken(value));
  }
}

TEST_F(KeyObjectTest, InitOpensTheContainerOrFailsWithTheSystemError) {
  const ComRef<ITarvexKey> key = KeyOf("signer");
  EXPECT_EQ(S_OK, key->Init());
  EXPECT_EQ(S_OK, key->Init());

  const ComRef<ITarvexKey> absent(CTarvexKey_class::Create());
  ASSERT_EQ(S_OK, absent->put_ContainerName(Bstr("нет такого")));
  EXPECT_EQ(E_UNEXPECTED, absent->Init());
  EXPECT_EQ(0u, TakeError().description.find("System Error.  Code: "));
}

TEST_F(KeyObjectTest, ARoundTripKeepsTheFieldsCopiedAndTheContext) {
  auto source = RecordOf("signer");
  source->SignRole = 6;
  source->SetSubject("CN=signer");
  source->SetIssuer("CN=intermediate");
  const ComRef<ITarvexKey> key(CTarvexIntfTool::KeyToIntf(source.get()));
  SIGN_ROLE_TYPES role = SIGN_ROLE_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, key->get_SignRole(&role));
  EXPECT_EQ(SIGN_ROLE_TYPE_NOTARY, role);
  BSTR issuer = nullptr;
  ASSERT_EQ(S_OK, key->get_Issuer(&issuer));
  EXPECT_EQ("CN=intermediate", Taken(issuer));

  CTarvexKey copy;
  CTarvexIntfTool::KeyFromIntf(key.get(), &copy);
  EXPECT_EQ(source->ContainerName(), copy.ContainerName());
  EXPECT_EQ(source->Sha1(), copy.Sha1());
  EXPECT_EQ(source->SubjectCN(), copy.SubjectCN());
  EXPECT_EQ(6, copy.SignRole);
  EXPECT_EQ(source->CertificateBody(), copy.CertificateBody());
  EXPECT_EQ(source->CertContext, copy.CertContext);
  EXPECT_FALSE(copy.OwnsContext);
  // Subject and issuer are not copied back.
  EXPECT_EQ("", copy.Subject());
  EXPECT_EQ("", copy.Issuer());

  // The key object keeps the context alive after its source is gone.
  source.reset();
  PCCERT_CONTEXT context = nullptr;
  ITarvexKeyContext* private_intf = nullptr;
  ASSERT_EQ(S_OK,
            key->QueryInterface(ITarvexKeyContext::kIid, reinterpret_cast<void**>(&private_intf)));
  EXPECT_EQ(S_OK, ComRef<ITarvexKeyContext>(private_intf)->GetCertContext(&context));
  EXPECT_EQ(ThumbprintOf("signer"), CCryptoAPI20Utils::GetThumbprint(context));
}

TEST_F(KeyObjectTest, TheToolRefusesWhatItCannotCopy) {
  CTarvexKey without_cn;
  EXPECT_EQ("Передан пустой аргумент: SubjectCN",
            ErrorOf([&] { CTarvexIntfTool::KeyToIntf(&without_cn); }));
  EXPECT_EQ("Передан пустой аргумент: pСTarvexKey",
            ErrorOf([] { CTarvexIntfTool::KeyToIntf(nullptr); }));
  const ComRef<ITarvexKey> key(CTarvexKey_class::Create());
  EXPECT_EQ("Передан пустой аргумент: pCTarvexKey",
            ErrorOf([&] { CTarvexIntfTool::KeyFromIntf(key.get(), nullptr); }));
  CTarvexKey record;
  // A key object whose subject CN was never set cannot become a record.
  EXPECT_EQ("Передан пустой аргумент: SubjectCN",
            ErrorOf([&] { CTarvexIntfTool::KeyFromIntf(key.get(), &record); }));
  EXPECT_EQ("Передан пустой аргумент: pCTarvexDocument",
            ErrorOf([] { CTarvexIntfTool::DocumentToIntf(nullptr, 0, {}); }));
  EXPECT_EQ("Передан пустой аргумент: pCTarvexSignature",
            ErrorOf([] { CTarvexIntfTool::SignatureToIntf(nullptr, 0, {}); }));
}

TEST_F(KeyObjectTest, AForeignKeyObjectIsRefused) {
  const ComRef<ITarvexKey> foreign =
      ComAddRef<ITarvexKey>(new ForeignKey(server_->InterfaceTypeInfo(ITarvexKey::kIid).get()));
  const std::string refused =
      "Объект ключа создан не библиотекой: интерфейс ITarvexKeyContext не поддерживается";
  CTarvexKey record;
  EXPECT_EQ(refused, ErrorOf([&] { CTarvexIntfTool::KeyFromIntf(foreign.get(), &record); }));

  const ComRef<ITarvex> tarvex = NewTarvex();
  VARIANT_BOOL done = VARIANT_FALSE;
  ASSERT_EQ(S_OK, tarvex->New(TRANSACTION_TYPE_UL_REG_UL, &done));
  ITarvexFile* file = nullptr;
  ASSERT_EQ(S_OK, tarvex->AddFile(Bstr(), Bstr("01"), Bstr("xml"), Bstr("заявление.xml"),
                                  Bstr(kContent), &file));
  const ComRef<ITarvexFile> held(file);
  EXPECT_EQ(E_UNEXPECTED, file->Sign(foreign.get(), &done));
  const ErrorSeen error = TakeError();
  EXPECT_EQ(refused, error.description);
  EXPECT_EQ(ITarvexFile::kIid, error.guid);
  EXPECT_EQ(E_UNEXPECTED, tarvex->SignFile(Bstr("заявление.xml"), foreign.get(), &done));
  EXPECT_EQ(refused, TakeError().description);
}

}  // namespace
