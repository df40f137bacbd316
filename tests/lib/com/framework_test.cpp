// The object framework, the factories, the exports and the registration
// over a small test type library that this test program carries as its own
// TYPELIB resource.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <new>
#include <sstream>
#include <vector>

#include "lib/com/com_server.h"
#include "lib/com/exports.h"
#include "lib/com/safe_call.h"
#include "lib/foundation/errors.h"
#include "platform/com/guid_text.h"
#include "platform/com/module_file.h"
#include "tests/lib/com/com_client.h"
#include "tests/lib/com/test_thing.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace {

const TypeLibResource test_resource(&test_resource, TestTypeLib());

const AutoClassEntry kThingClass = {kTestThingClass, "TestThing", ITestThing::kIid,
                                    &TestThing::Create};

class FrameworkTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TARVEX_COM_REGISTRY_ROOT", registry_.Path().c_str(), 1);
    server_ = std::make_unique<CComServer>(ModuleFileName(&test_resource),
                                           std::span<const AutoClassEntry>(&kThingClass, 1));
    TestThing::fail_initialize = false;
  }
  void TearDown() override {
    server_.reset();
    unsetenv("TARVEX_COM_REGISTRY_ROOT");
  }

  ComRef<IClassFactory> Factory() {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(
        DllGetClassObject(kTestThingClass, IClassFactory::kIid, reinterpret_cast<void**>(&factory)),
        S_OK);
    return ComRef<IClassFactory>(factory);
  }

  ComRef<ITestThing> NewThing() {
    ITestThing* thing = nullptr;
    EXPECT_EQ(
        Factory()->CreateInstance(nullptr, ITestThing::kIid, reinterpret_cast<void**>(&thing)),
        S_OK);
    return ComRef<ITestThing>(thing);
  }

  std::string Value(const std::string& key, const std::string& name = "") const {
    std::string path = registry_.Path() + "/HKEY_CLASSES_ROOT/" + key;
    for (char& c : path) c = c == '\\' ? '/' : c;
    std::ifstream file(path + "/=" + name, std::ios::binary);
    if (!file) return "<absent>";
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  TempDir registry_;
  std::unique_ptr<CComServer> server_;
};

TEST_F(FrameworkTest, ClassObjectsByClassAndInterface) {
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(kAbsentClass, IClassFactory::kIid, &object),
            static_cast<HRESULT>(0x80040111));
  EXPECT_EQ(object, nullptr);

  object = reinterpret_cast<void*>(1);
  EXPECT_EQ(DllGetClassObject(kTestThingClass, IDispatch::kIid, &object),
            static_cast<HRESULT>(0x80004002));
  EXPECT_EQ(object, nullptr);

  for (const IID& iid : {IClassFactory::kIid, IUnknown::kIid}) {
    ASSERT_EQ(DllGetClassObject(kTestThingClass, iid, &object), S_OK);
    const ComRef<IUnknown> got(static_cast<IUnknown*>(object));
  }
}

TEST_F(FrameworkTest, UnloadWaitsForObjectsLocksAndFactoryReferences) {
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  ComRef<IClassFactory> factory = Factory();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);

  ITestThing* made = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, ITestThing::kIid, reinterpret_cast<void**>(&made)),
            S_OK);
  ComRef<ITestThing> thing(made);
  ASSERT_EQ(factory->LockServer(1), S_OK);
  factory.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);

  // Objects the library makes itself count as well: a client may still
  // call one after it let go of the object that made it.
  ITestThing* got_view = nullptr;
  ASSERT_EQ(thing->get_View(&got_view), S_OK);
  ComRef<ITestThing> view(got_view);
  thing.reset();
  EXPECT_EQ(TestThing::live, 0);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);

  ASSERT_EQ(Factory()->LockServer(0), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // the view lives
  view.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
  EXPECT_EQ(server_->ObjectCount(), 0);
  EXPECT_EQ(server_->FactoryCount(), 0);
}

TEST_F(FrameworkTest, CreateInstanceRefusesAggregationAndReportsAFailedInitialize) {
  ComRef<IClassFactory> factory = Factory();
  void* object = reinterpret_cast<void*>(1);
  IUnknown* outer = factory.get();
  for (const IID& iid : {IUnknown::kIid, ITestThing::kIid}) {
    EXPECT_EQ(factory->CreateInstance(outer, iid, &object), static_cast<HRESULT>(0x80040110));
    EXPECT_EQ(object, nullptr);
  }

  EXPECT_EQ(factory->CreateInstance(nullptr, ITestOther::kIid, &object), E_NOINTERFACE);
  EXPECT_EQ(TestThing::live, 0);

  TestThing::fail_initialize = true;
  EXPECT_EQ(factory->CreateInstance(nullptr, ITestThing::kIid, &object), E_UNEXPECTED);
  EXPECT_EQ(object, nullptr);
  const ErrorSeen seen = TakeError();
  EXPECT_EQ(seen.description, "Модель не создана");
  EXPECT_EQ(seen.source, "TestLib.TestThing");
  EXPECT_EQ(seen.guid, ITestThing::kIid);
  EXPECT_EQ(TestThing::live, 0);
  factory.reset();
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(FrameworkTest, FactoriesCheckTheirCoclass) {
  const AutoClassEntry absent = {kAbsentClass, "Absent", ITestThing::kIid, &TestThing::Create};
  const AutoClassEntry other = {kTestOtherClass, "TestOther", ITestThing::kIid, &TestThing::Create};
  const std::string path = ModuleFileName(&test_resource);
  EXPECT_EQ(ErrorOf([&] { CComServer(path, std::span(&absent, 1)); }),
            "Incorrect type information for class Absent");
  EXPECT_EQ(ErrorOf([&] { CComServer(path, std::span(&other, 1)); }),
            "Dispatch interface missing from class TestOther");
  EXPECT_EQ(CComServer::Instance(), server_.get());
}

TEST_F(FrameworkTest, ErrorsBecomeResultsWithErrorInfo) {
  const ComRef<ITestThing> thing = NewThing();
  BSTR message = ToBstr("Документ не открыт");
  EXPECT_EQ(thing->Fail(message), E_UNEXPECTED);
  ErrorSeen seen = TakeError();
  EXPECT_EQ(seen.description, "Документ не открыт");
  EXPECT_EQ(seen.source, "TestLib.TestThing");
  EXPECT_EQ(seen.guid, ITestThing::kIid);

  // An OLE system error keeps its negative code.
  EXPECT_EQ(thing->FailOle(static_cast<int32_t>(0x80070005)), static_cast<HRESULT>(0x80070005));
  EXPECT_EQ(TakeError().description, "Ошибка OLE [0x80070005]");

  // A library-made object names only its interface.
  ITestThing* got_view = nullptr;
  ASSERT_EQ(thing->get_View(&got_view), S_OK);
  const ComRef<ITestThing> view(got_view);
  EXPECT_EQ(view->Fail(message), E_UNEXPECTED);
  seen = TakeError();
  EXPECT_EQ(seen.description, "Документ не открыт");
  EXPECT_EQ(seen.source, "");
  EXPECT_EQ(seen.guid, ITestThing::kIid);

  SysFreeString(message);
}

TEST_F(FrameworkTest, AFailedAllocationBecomesOutOfMemoryWithTheSystemsText) {
  const std::string text = "Недостаточно памяти для обработки команды";
  // Thrown where no safe wrapper of the library caught it, and as the
  // library's own error.
  const std::vector<std::function<void()>> failures = {[] { throw std::bad_alloc(); },
                                                       [] { throw OutOfMemoryError(); }};
  for (const auto& fail : failures) {
    DebugCapture debug;
    EXPECT_EQ(E_OUTOFMEMORY, SafeCall(ITestThing::kIid, "TestLib.TestThing", fail));
    const ErrorSeen seen = TakeError();
    EXPECT_EQ(text, seen.description);
    EXPECT_EQ("TestLib.TestThing", seen.source);
    EXPECT_EQ(ITestThing::kIid, seen.guid);
    EXPECT_EQ(std::vector<std::string>{"[EXCEPTION " + text + "]"}, debug.Lines());
  }
}

TEST_F(FrameworkTest, SupportErrorInfo) {
  const ComRef<ITestThing> thing = NewThing();
  ITestThing* got_view = nullptr;
  ASSERT_EQ(thing->get_View(&got_view), S_OK);
  const ComRef<ITestThing> view(got_view);
  ISupportErrorInfo* thing_support = nullptr;
  ISupportErrorInfo* view_support = nullptr;
  ASSERT_EQ(
      thing->QueryInterface(ISupportErrorInfo::kIid, reinterpret_cast<void**>(&thing_support)),
      S_OK);
  const ComRef<ISupportErrorInfo> thing_held(thing_support);
  ASSERT_EQ(view->QueryInterface(ISupportErrorInfo::kIid, reinterpret_cast<void**>(&view_support)),
            S_OK);
  const ComRef<ISupportErrorInfo> view_held(view_support);

  // The automation object: every interface it implements.
  for (const IID& iid :
       {ITestThing::kIid, IDispatch::kIid, IUnknown::kIid, ISupportErrorInfo::kIid}) {
    EXPECT_EQ(thing_support->InterfaceSupportsErrorInfo(iid), S_OK);
  }
  EXPECT_EQ(thing_support->InterfaceSupportsErrorInfo(ITestOther::kIid), S_FALSE);
  // The library-made object: its dual interface only.
  EXPECT_EQ(view_support->InterfaceSupportsErrorInfo(ITestThing::kIid), S_OK);
  EXPECT_EQ(view_support->InterfaceSupportsErrorInfo(IDispatch::kIid), S_FALSE);
}

TEST_F(FrameworkTest, TypeInfoThroughIDispatch) {
  const ComRef<ITestThing> thing = NewThing();
  ITestThing* got_view = nullptr;
  ASSERT_EQ(thing->get_View(&got_view), S_OK);
  const ComRef<ITestThing> view(got_view);
  for (IDispatch* object :
       {static_cast<IDispatch*>(thing.get()), static_cast<IDispatch*>(got_view)}) {
    uint32_t count = 0;
    EXPECT_EQ(object->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(object->GetTypeInfo(1, 0, &info), static_cast<HRESULT>(0x8002000B));
    EXPECT_EQ(info, nullptr);
    ASSERT_EQ(object->GetTypeInfo(0, 0, &info), S_OK);
    const ComRef<ITypeInfo> held(info);
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    EXPECT_EQ(FromBstr(name), "ITestThing");
    SysFreeString(name);

    OLECHAR* names[] = {const_cast<OLECHAR*>(u"JOIN"), const_cast<OLECHAR*>(u"flag")};
    DISPID ids[2] = {};
    EXPECT_EQ(object->GetIDsOfNames(IUnknown::kIid, names, 2, 0, ids), S_OK);
    EXPECT_EQ(ids[0], 0xCA);
    EXPECT_EQ(ids[1], 2);
    OLECHAR* unknown[] = {const_cast<OLECHAR*>(u"Missing")};
    EXPECT_EQ(object->GetIDsOfNames(IUnknown::kIid, unknown, 1, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], -1);
  }
}

// Invoke with the arguments given first to last.
HRESULT Call(IDispatch* object, DISPID id, uint16_t flags, std::vector<VARIANT> args,
             VARIANT* result, EXCEPINFO* exception = nullptr, uint32_t* arg_error = nullptr) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  const bool is_put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  DISPPARAMS params = {reversed.data(), is_put ? &put : nullptr,
                       static_cast<uint32_t>(reversed.size()), is_put ? 1u : 0u};
  return object->Invoke(id, IUnknown::kIid, 0, flags, &params, result, exception, arg_error);
}

VARIANT Str(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}

VARIANT Int(int32_t number) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = number;
  return v;
}

VARIANT Bool(VARIANT_BOOL flag) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = flag;
  return v;
}

TEST_F(FrameworkTest, InvokeCallsTheMembersThroughTheVtable) {
  const ComRef<ITestThing> thing = NewThing();
  // Every byte crosses as one character; a put by reference works as a put.
  std::string all_bytes;
  for (int b = 0; b < 256; ++b) all_bytes += static_cast<char>(b);
  BSTR name = ToBstr(all_bytes);
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(Call(thing.get(), 0xC9, DISPATCH_PROPERTYPUTREF, {Str(name)}, nullptr), S_OK);
  ASSERT_EQ(Call(thing.get(), 0xC9, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(FromBstr(result.bstrVal), all_bytes);
  VariantClear(&result);

  BSTR head = ToBstr("голова");
  BSTR tail = ToBstr("хвост");
  ASSERT_EQ(Call(thing.get(), 0xCA, DISPATCH_METHOD,
                 {Str(head), Int(-7), Bool(VARIANT_TRUE), Str(tail)}, &result),
            S_OK);
  EXPECT_EQ(FromBstr(result.bstrVal), "голова|-7|-1|хвост");
  VariantClear(&result);
  // The optional last string defaults to empty; an integer counts as a boolean.
  ASSERT_EQ(Call(thing.get(), 0xCA, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                 {Str(head), Int(3), Int(5)}, &result),
            S_OK);
  EXPECT_EQ(FromBstr(result.bstrVal), "голова|3|-1|");
  VariantClear(&result);

  ASSERT_EQ(Call(thing.get(), 0xCD, DISPATCH_PROPERTYGET, {}, &result), S_OK);
  ASSERT_EQ(result.vt, VT_DISPATCH);
  ITestThing* view = nullptr;
  EXPECT_EQ(result.pdispVal->QueryInterface(ITestThing::kIid, reinterpret_cast<void**>(&view)),
            S_OK);
  const ComRef<ITestThing> held(view);
  VariantClear(&result);

  SysFreeString(name);
  SysFreeString(head);
  SysFreeString(tail);
}

TEST_F(FrameworkTest, InvokeRefusesWrongArgumentsAndReportsFailures) {
  const ComRef<ITestThing> thing = NewThing();
  BSTR text = ToBstr("текст");
  VARIANT result;
  VariantInit(&result);
  uint32_t arg_error = 99;
  EXPECT_EQ(Call(thing.get(), 0xCA, DISPATCH_METHOD, {Str(text), Str(text), Bool(0)}, &result,
                 nullptr, &arg_error),
            DISP_E_TYPEMISMATCH);
  EXPECT_EQ(arg_error, 1u);  // the second argument, counted as rgvarg holds them
  EXPECT_EQ(Call(thing.get(), 0xCA, DISPATCH_METHOD, {Str(text), Int(1)}, &result),
            DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(Call(thing.get(), 0xCA, DISPATCH_METHOD,
                 {Str(text), Int(1), Bool(0), Str(text), Str(text)}, &result),
            DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Call(thing.get(), 0xEE, DISPATCH_METHOD, {}, &result), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(thing.get(), 0xCD, DISPATCH_PROPERTYPUT, {Int(1)}, &result),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(result.vt, VT_EMPTY);

  EXCEPINFO exception{};
  EXPECT_EQ(Call(thing.get(), 0xCB, DISPATCH_METHOD, {Str(text)}, &result, &exception),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_UNEXPECTED);
  EXPECT_EQ(FromBstr(exception.bstrDescription), "текст");
  EXPECT_EQ(FromBstr(exception.bstrSource), "TestLib.TestThing");
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);
  SysFreeString(text);
}

TEST_F(FrameworkTest, RegistrationWritesAndRemovesTheClassKeys) {
  DebugCapture debug;
  ASSERT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(debug.Lines(),
            (std::vector<std::string>{"DllRegisterServer.begin", "DllRegisterServer.end"}));

  const std::string clsid = "CLSID\\" + GuidToRegistryString(kTestThingClass);
  const std::string libid = GuidToRegistryString(kTestLibId);
  const std::string path = ModuleFileName(&test_resource);
  const std::string folder = path.substr(0, path.rfind('/'));
  EXPECT_EQ(Value(clsid), "");
  EXPECT_EQ(Value(clsid + "\\InprocServer32"), path);
  EXPECT_EQ(Value(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(Value("TestLib.TestThing"), "");
  EXPECT_EQ(Value("TestLib.TestThing\\Clsid"), GuidToRegistryString(kTestThingClass));
  EXPECT_EQ(Value(clsid + "\\ProgID"), "TestLib.TestThing");
  EXPECT_EQ(Value(clsid + "\\Version"), "1.0");
  EXPECT_EQ(Value(clsid + "\\TypeLib"), libid);
  EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0"), "Test library");
  EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0\\0\\win32"), path);
  EXPECT_EQ(Value("TypeLib\\" + libid + "\\1.0\\HELPDIR"), folder);
  const std::string intf = "Interface\\" + GuidToRegistryString(ITestThing::kIid);
  EXPECT_EQ(Value(intf), "ITestThing");
  EXPECT_EQ(Value(intf + "\\TypeLib"), libid);

  ASSERT_EQ(DllUnregisterServer(), S_OK);
  const std::string root = registry_.Path() + "/HKEY_CLASSES_ROOT/";
  for (const std::string& gone : {std::string("CLSID/") + GuidToRegistryString(kTestThingClass),
                                  std::string("TestLib.TestThing"), "TypeLib/" + libid,
                                  "Interface/" + GuidToRegistryString(ITestThing::kIid)}) {
    EXPECT_FALSE(std::filesystem::exists(root + gone)) << gone;
  }
}

TEST_F(FrameworkTest, AFailedRegistrationIsTracedAndReported) {
  // A registry root that is a file cannot take keys.
  const std::string blocked = registry_.File("blocked");
  std::ofstream(blocked) << "x";
  setenv("TARVEX_COM_REGISTRY_ROOT", blocked.c_str(), 1);
  DebugCapture debug;
  EXPECT_EQ(DllRegisterServer(), E_FAIL);
  ASSERT_GE(debug.Lines().size(), 3u);
  EXPECT_EQ(debug.Lines().front(), "DllRegisterServer.begin");
  EXPECT_EQ(debug.Lines().back(), "DllRegisterServer.end");
  EXPECT_EQ(debug.Lines()[debug.Lines().size() - 2],
            "Не зарегистрирована библиотека типов модуля [" + ModuleFileName(&test_resource) +
                "]: Ошибка OLE [0x80070003]");  // ERROR_PATH_NOT_FOUND
}

}  // namespace
