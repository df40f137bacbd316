// The package as the editor meets it: the library module loaded with
// dlopen, its objects made by DllGetClassObject's factories, the signing key
// taken from the module's catalogue; the saved package is checked with
// Python's zipfile, ElementTree and openssl cms.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "include/tarvex_guids.h"
#include "include/tarvex_interfaces.h"
#include "platform/com/class_factory.h"
#include "tests/lib/com/com_client.h"
#include "tests/lib/crypto/signature_test_support.h"
#include "tests/support/bounded_child.h"
#include "tests/support/description_head.h"
#include "tests/support/scoped_env.h"

namespace {

namespace fs = std::filesystem;
using GetClassObjectFn = HRESULT (*)(const CLSID&, const IID&, void**);
using CanUnloadNowFn = HRESULT (*)();

constexpr char kStatementBytes[] = "<Заявление>\0\x98\xFF</Заявление>";
const std::string kStatement(kStatementBytes, sizeof kStatementBytes - 1);

class PackageModuleTest : public SignatureTest {
 protected:
  void SetUp() override {
    SignatureTest::SetUp();
    ::setenv("TMP", tmp_.Path().c_str(), 1);
    ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    handle_ = dlopen(TARVEX_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, handle_) << dlerror();
    get_class_object_ = reinterpret_cast<GetClassObjectFn>(dlsym(handle_, "DllGetClassObject"));
    can_unload_now_ = reinterpret_cast<CanUnloadNowFn>(dlsym(handle_, "DllCanUnloadNow"));
    ASSERT_TRUE(get_class_object_ && can_unload_now_);
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
    ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
    ::unsetenv("TMP");
  }

  template <typename Intf>
  ComRef<Intf> Create(const CLSID& class_id) {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(S_OK,
              get_class_object_(class_id, IClassFactory::kIid, reinterpret_cast<void**>(&factory)));
    const ComRef<IClassFactory> held(factory);
    Intf* object = nullptr;
    if (factory != nullptr) {
      EXPECT_EQ(S_OK,
                factory->CreateInstance(nullptr, Intf::kIid, reinterpret_cast<void**>(&object)));
    }
    return ComRef<Intf>(object);
  }

  // The personal key of the PKI certificate `name` from the catalogue.
  static ComRef<ITarvexKey> PrivateKey(ITarvexCrypt* crypt, const std::string& name) {
    ITarvexKey* key = nullptr;
    EXPECT_EQ(S_OK, crypt->GetPrivateKeyBySha1(Bstr(ThumbprintOf(name)), &key))
        << TakeError().description;
    return ComRef<ITarvexKey>(key);
  }

  std::string CheckPackage(const std::string& package) const {
    const std::string folder = File("peer");
    fs::remove_all(folder);
    fs::create_directory(folder);
    const CommandResult result =
        RunCommand("python3 '" TARVEX_SOURCE_DIR "/tests/lib/package/check_package.py' " +
                   Quoted(package) + " " + Quoted(folder) + " " + Quoted(File("chain.pem")));
    EXPECT_EQ(0, result.status) << result.output;
    return result.output;
  }

  TempDir tmp_;
  TempDir registry_;
  TempDir out_;
  void* handle_ = nullptr;
  GetClassObjectFn get_class_object_ = nullptr;
  CanUnloadNowFn can_unload_now_ = nullptr;
};

// A client may keep a file view, a signature view or a key after it has
// let the package and the catalogue go: the module must stay loaded.
TEST_F(PackageModuleTest, EveryLiveObjectOfTheLibraryKeepsTheModuleLoaded) {
  ImportKey("signer", "signer", kUser);
  ComRef<ITarvexCrypt> crypt = Create<ITarvexCrypt>(CLSID_TarvexCrypt);
  ComRef<ITarvex> tarvex = Create<ITarvex>(CLSID_Tarvex);
  ASSERT_TRUE(crypt && tarvex);
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, crypt->Init(&result));
  ComRef<ITarvexKey> key = PrivateKey(crypt.get(), "signer");
  ASSERT_EQ(S_OK, tarvex->New(TRANSACTION_TYPE_IP_REG_IP, &result));
  ITarvexFile* file = nullptr;
  ASSERT_EQ(S_OK, tarvex->AddFile(Bstr(), Bstr("01"), Bstr("xml"), Bstr("заявление.xml"),
                                  Bstr(kStatement), &file));
  ComRef<ITarvexFile> view(file);
  ASSERT_EQ(S_OK, view->Sign(key.get(), &result)) << TakeError().description;
  ITarvexSignature* signature = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFileSignature(0, 0, &signature));
  ComRef<ITarvexSignature> signature_view(signature);
  crypt.reset();
  tarvex.reset();

  EXPECT_EQ(S_FALSE, can_unload_now_());
  key.reset();
  EXPECT_EQ(S_FALSE, can_unload_now_());
  view.reset();
  EXPECT_EQ(S_FALSE, can_unload_now_());
  signature_view.reset();
  EXPECT_EQ(S_OK, can_unload_now_());
}

TEST_F(PackageModuleTest, APackageSignedWithCatalogueKeysSavesAndReopens) {
  ImportKey("signer", "signer", kUser);
  ImportKey("signer2", "signer2", kUser);
  TrustChain(kUser);
  const std::string package = out_.File("package.zip");
  {
    const ComRef<ITarvexCrypt> crypt = Create<ITarvexCrypt>(CLSID_TarvexCrypt);
    ASSERT_NE(nullptr, crypt);
    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_EQ(S_OK, crypt->Init(&result));
    const ComRef<ITarvexKey> signer = PrivateKey(crypt.get(), "signer");
    const ComRef<ITarvexKey> signer2 = PrivateKey(crypt.get(), "signer2");
    ASSERT_TRUE(signer && signer2);
    // A new Init rebuilds the catalogue; the copies handed out stay usable.
    ASSERT_EQ(S_OK, crypt->Init(&result));
    ASSERT_EQ(S_OK, signer->Init());

    const ComRef<ITarvex> tarvex = Create<ITarvex>(CLSID_Tarvex);
    ASSERT_NE(nullptr, tarvex);
    ASSERT_EQ(S_OK, tarvex->New(TRANSACTION_TYPE_IP_REG_IP, &result));
    ASSERT_EQ(S_OK, tarvex->put_SenderType(SIGN_ROLE_TYPE_APPLICANT));
    ASSERT_EQ(S_OK, tarvex->put_SenderIdentifier(Bstr("7701")));
    ASSERT_EQ(S_OK, tarvex->put_ReceiverType(SIGN_ROLE_TYPE_ZUK));
    ASSERT_EQ(S_OK, tarvex->put_ReceiverIdentifier(Bstr("0046")));
    ITarvexFile* file = nullptr;
    ASSERT_EQ(S_OK, tarvex->AddFile(Bstr(), Bstr("01"), Bstr("xml"), Bstr("заявление.xml"),
                                    Bstr(kStatement), &file));
    const ComRef<ITarvexFile> added(file);
    ASSERT_EQ(S_OK, tarvex->SignFile(Bstr("заявление.xml"), signer.get(), &result))
        << TakeError().description;
    ASSERT_EQ(S_OK, tarvex->ReSignFile(Bstr("заявление.xml"), signer2.get(), &result))
        << TakeError().description;

    // A failure reaches the client as E_UNEXPECTED with the package's error info.
    EXPECT_EQ(E_UNEXPECTED, tarvex->GetFile(1, &file));
    EXPECT_EQ(nullptr, file);
    const ErrorSeen error = TakeError();
    EXPECT_EQ(ITarvex::kIid, error.guid);
    EXPECT_EQ("QimTarvexLib.Tarvex", error.source);
    EXPECT_EQ("Значение параметра FileIndex (1) должно находиться в интервале от 0 до 0",
              error.description);

    ASSERT_EQ(S_OK, tarvex->Save(Bstr(package), &result)) << TakeError().description;
    EXPECT_EQ(S_FALSE, can_unload_now_());
  }
  EXPECT_EQ(S_OK, can_unload_now_());
  const std::string lines = CheckPackage(package);
  EXPECT_EQ(0u, lines.find("ZayavIP_")) << lines;

  const ComRef<ITarvex> tarvex = Create<ITarvex>(CLSID_Tarvex);
  VARIANT_BOOL result = VARIANT_FALSE;
  ASSERT_EQ(S_OK, tarvex->Open(Bstr(package), &result));
  TRANSACTION_TYPES type = TRANSACTION_TYPE_UNKNOWN;
  ASSERT_EQ(S_OK, tarvex->get_DocTransactType(&type));
  EXPECT_EQ(TRANSACTION_TYPE_IP_REG_IP, type);
  int32_t count = 0;
  ASSERT_EQ(S_OK, tarvex->GetFileResignCount(0, 0, &count));
  EXPECT_EQ(1, count);
  ITarvexFile* file = nullptr;
  ASSERT_EQ(S_OK, tarvex->GetFile(0, &file));
  const ComRef<ITarvexFile> statement(file);
  BSTR content = nullptr;
  ASSERT_EQ(S_OK, statement->get_RawContent(&content));
  EXPECT_EQ(kStatement, Taken(content));
  ASSERT_EQ(S_OK, statement->CheckSignEx(VARIANT_FALSE, VARIANT_FALSE, &result))
      << TakeError().description;
  EXPECT_EQ(VARIANT_TRUE, result);
}

// Opening a package whose document does not fit in what memory is left, in
// a child limited as by `ulimit -v`: the client gets E_OUTOFMEMORY with the
// system's Russian text and the error traced, and the package's folder has
// gone from TMP by the time the call returns.
TEST_F(PackageModuleTest, APackageTooLargeForMemoryFailsAsOutOfMemoryAndLeavesNothingInTmp) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's allocator ends the process where an allocation would fail";
#endif
  // A description of one document and its content, 48 MiB stored as it is,
  // written by Python's zipfile.
  const std::string description = File("description.xml");
  WriteBytes(description, std::string(kEntrepreneurDescriptionHead) +
                              "<документ кодТипаДокумента=\"01\" типДокумента=\"ЗаявлениеИП\" "
                              "типСодержимого=\"xml\" сжат=\"false\" зашифрован=\"false\" "
                              "идентификаторДокумента=\"00000000000000000000000000000001\">"
                              "<содержимое имяФайла=\"big.xml\"/></документ>\r\n</ТрансИнф>\r\n");
  const std::string package = out_.File("large.zip");
  const CommandResult made = RunCommand(
      "python3 -c 'import sys, zipfile\n"
      "with zipfile.ZipFile(sys.argv[1], \"w\", zipfile.ZIP_STORED) as z:\n"
      "    z.write(sys.argv[2], \"packageDescription.xml\")\n"
      "    z.writestr(\"big.xml\", b\"<a>\" + b\"x\" * (48 << 20) + b\"</a>\")' " +
      Quoted(package) + " " + Quoted(description));
  ASSERT_EQ(0, made.status);

  const std::string trace = out_.File("trace.txt");
  const ScopedEnv debug("TARVEX_DEBUG", trace);
  const TempDir child_tmp;
  const ComRef<ITarvex> tarvex = Create<ITarvex>(CLSID_Tarvex);
  ASSERT_NE(nullptr, tarvex);
  const auto open = [&] {
    ::setenv("TMP", child_tmp.Path().c_str(), 1);
    VARIANT_BOOL done = VARIANT_TRUE;
    const HRESULT result = tarvex->Open(Bstr(package), &done);
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(result));
    const ErrorSeen error = TakeError();
    VARIANT_BOOL opened = VARIANT_TRUE;
    tarvex->IsOpened(&opened);
    return std::string(code) + " " + error.source + ": " + error.description + "; " +
           (opened == VARIANT_FALSE ? "closed" : "open") + ", TMP " +
           (fs::is_empty(child_tmp.Path()) ? "empty" : "not empty");
  };
  const std::string text = "Недостаточно памяти для обработки команды";
  EXPECT_EQ("0x8007000E QimTarvexLib.Tarvex: " + text + "; closed, TMP empty",
            InBoundedChild(32 << 20, open, out_.File("answer")));
  EXPECT_TRUE(fs::is_empty(child_tmp.Path()));
  EXPECT_NE(std::string::npos, ReadBytes(trace).find("[EXCEPTION " + AnsiToUtf8(text) + "]"))
      << ReadBytes(trace);
}

}  // namespace
