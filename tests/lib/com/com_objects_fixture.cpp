#include "tests/lib/com/com_objects_fixture.h"

#include "lib/com/qim_tarvex_type_lib.h"
#include "lib/com/tarvex_class.h"
#include "platform/com/module_file.h"

namespace {

const TypeLibResource type_lib_resource(&type_lib_resource, QimTarvexTypeLib());

const AutoClassEntry kTarvexClass = {CLSID_Tarvex, "Tarvex", ITarvex::kIid, &CTarvex_class::Create};

}  // namespace

void ComObjectsTest::SetUp() {
  SignatureTest::SetUp();
  ::setenv("TMP", tmp_.Path().c_str(), 1);
  ::setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
  server_ = std::make_unique<CComServer>(ModuleFileName(&type_lib_resource),
                                         std::span<const AutoClassEntry>(&kTarvexClass, 1));
}

void ComObjectsTest::TearDown() {
  server_.reset();
  ::unsetenv("TARVEX_COM_REGISTRY_ROOT");
  ::unsetenv("TMP");
}

ComRef<ITarvex> ComObjectsTest::NewTarvex() {
  IClassFactory* factory = nullptr;
  EXPECT_EQ(S_OK, DllGetClassObject(CLSID_Tarvex, IClassFactory::kIid,
                                    reinterpret_cast<void**>(&factory)));
  const ComRef<IClassFactory> held(factory);
  ITarvex* tarvex = nullptr;
  EXPECT_EQ(S_OK,
            factory->CreateInstance(nullptr, ITarvex::kIid, reinterpret_cast<void**>(&tarvex)));
  return ComRef<ITarvex>(tarvex);
}

std::unique_ptr<CTarvexKey> ComObjectsTest::RecordOf(const std::string& name) {
  ImportKey(name, name, kUser);
  auto key = std::make_unique<CTarvexKey>();
  key->SetContainerName(name);
  key->SetSha1(ThumbprintOf(name));
  key->SetSubjectCN(name);
  key->SetCertificateBody(Pki(name + ".cer"));
  key->CertContext = CCryptoAPI20Tool::FindCertificate(kUser, kStoreMy, key->Sha1());
  key->OwnsContext = true;
  EXPECT_NE(nullptr, key->CertContext);
  return key;
}

ComRef<ITarvexKey> ComObjectsTest::KeyOf(const std::string& name) {
  return ComRef<ITarvexKey>(CTarvexIntfTool::KeyToIntf(RecordOf(name).get()));
}
