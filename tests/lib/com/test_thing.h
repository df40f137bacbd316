// A small dual interface, its type library and two classes over it: an
// automation object made by a factory and an object the library makes
// itself. Only for the framework's tests.
#pragma once

#include <string>

#include "lib/com/auto_intf_object.h"
#include "lib/com/auto_object.h"
#include "lib/com/ole_error.h"
#include "lib/foundation/errors.h"
#include "platform/com/type_lib.h"
#include "platform/kernel/codepage.h"

struct ITestThing : IDispatch {
  static constexpr IID kIid = {
      0x3E0F8A11, 0x2B7C, 0x4D1E, {0x9A, 0x01, 0x5C, 0x6D, 0x7E, 0x8F, 0x90, 0xA1}};

  virtual HRESULT get_Name(BSTR* value) = 0;
  virtual HRESULT put_Name(BSTR value) = 0;
  virtual HRESULT Join(BSTR head, int32_t count, VARIANT_BOOL flag, BSTR tail, BSTR* result) = 0;
  virtual HRESULT Fail(BSTR message) = 0;
  virtual HRESULT FailOle(int32_t code) = 0;
  virtual HRESULT get_View(ITestThing** value) = 0;

 protected:
  ~ITestThing() = default;
};

// An interface no test class implements.
struct ITestOther : IDispatch {
  static constexpr IID kIid = {
      0x3E0F8A12, 0x2B7C, 0x4D1E, {0x9A, 0x01, 0x5C, 0x6D, 0x7E, 0x8F, 0x90, 0xA2}};

 protected:
  ~ITestOther() = default;
};

inline constexpr GUID kTestLibId = {
    0x3E0F8A10, 0x2B7C, 0x4D1E, {0x9A, 0x01, 0x5C, 0x6D, 0x7E, 0x8F, 0x90, 0xA0}};
inline constexpr CLSID kTestThingClass = {
    0x3E0F8A13, 0x2B7C, 0x4D1E, {0x9A, 0x01, 0x5C, 0x6D, 0x7E, 0x8F, 0x90, 0xA3}};
inline constexpr CLSID kTestOtherClass = {
    0x3E0F8A14, 0x2B7C, 0x4D1E, {0x9A, 0x01, 0x5C, 0x6D, 0x7E, 0x8F, 0x90, 0xA4}};
inline constexpr CLSID kAbsentClass = {
    0x3E0F8A15, 0x2B7C, 0x4D1E, {0x9A, 0x01, 0x5C, 0x6D, 0x7E, 0x8F, 0x90, 0xA5}};

inline const TypeLibDesc& TestTypeLib() {
  ParamDesc tail = {VT_BSTR, nullptr, "tail", true};
  static const TypeLibDesc lib = {
      "TestLib",
      kTestLibId,
      1,
      0,
      0x409,
      SYS_WIN32,
      "Test library",
      {{TKIND_DISPATCH,
        "ITestThing",
        ITestThing::kIid,
        TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE,
        {{"Name", 0xC9, DISPATCH_PROPERTYGET, 7, {}, {VT_BSTR}},
         {"Name", 0xC9, DISPATCH_PROPERTYPUT, 8, {{VT_BSTR}}, {VT_EMPTY}},
         {"Join",
          0xCA,
          DISPATCH_METHOD,
          9,
          {{VT_BSTR, nullptr, "head"}, {VT_I4, nullptr, "count"}, {VT_BOOL, nullptr, "flag"}, tail},
          {VT_BSTR}},
         {"Fail", 0xCB, DISPATCH_METHOD, 10, {{VT_BSTR, nullptr, "message"}}, {VT_EMPTY}},
         {"FailOle", 0xCC, DISPATCH_METHOD, 11, {{VT_I4, nullptr, "code"}}, {VT_EMPTY}},
         {"View", 0xCD, DISPATCH_PROPERTYGET, 12, {}, {VT_DISPATCH, &ITestThing::kIid}}},
        {}},
       {TKIND_COCLASS,
        "TestThing",
        kTestThingClass,
        TYPEFLAG_FCANCREATE,
        {},
        {{0, IMPLTYPEFLAG_FDEFAULT}}},
       {TKIND_DISPATCH, "ITestOther", ITestOther::kIid, TYPEFLAG_FDUAL, {}, {}},
       {TKIND_COCLASS,
        "TestOther",
        kTestOtherClass,
        TYPEFLAG_FCANCREATE,
        {},
        {{2, IMPLTYPEFLAG_FDEFAULT}}}}};
  return lib;
}

inline BSTR ToBstr(const std::string& text) {
  const std::u16string wide = AnsiToWide(text);
  return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

inline std::string FromBstr(BSTR text) {
  return WideToAnsi(std::u16string_view(text, SysStringLen(text)));
}

// The members of ITestThing over either base; `Base` gives `Safe`.
template <typename Base>
class TestThingMembers : public Base {
 public:
  using Base::Base;

  HRESULT get_Name(BSTR* value) override {
    *value = nullptr;
    return this->Safe([&] { *value = ToBstr(name_); });
  }
  HRESULT put_Name(BSTR value) override {
    return this->Safe([&] { name_ = FromBstr(value); });
  }
  HRESULT Join(BSTR head, int32_t count, VARIANT_BOOL flag, BSTR tail, BSTR* result) override {
    *result = nullptr;
    return this->Safe([&] {
      *result = ToBstr(FromBstr(head) + "|" + std::to_string(count) + "|" + std::to_string(flag) +
                       "|" + FromBstr(tail));
    });
  }
  HRESULT Fail(BSTR message) override {
    return this->Safe([&] { RaiseError(FromBstr(message)); });
  }
  HRESULT FailOle(int32_t code) override {
    return this->Safe([&] { OleCheck(code); });
  }
  HRESULT get_View(ITestThing** value) override;

 private:
  std::string name_;
};

// Made by the library itself: not counted by the server.
class TestView final : public TestThingMembers<CAutoIntfObject<ITestThing>> {
 public:
  using TestThingMembers::TestThingMembers;
};

template <typename Base>
HRESULT TestThingMembers<Base>::get_View(ITestThing** value) {
  *value = nullptr;
  return this->Safe([&] {
    auto* view = new TestView(CComServer::Instance()->InterfaceTypeInfo(ITestThing::kIid).get());
    view->AddRef();  // the caller's
    *value = view;
  });
}

// The automation object behind TestThing; Initialize fails while
// `fail_initialize` is set.
class TestThing final : public TestThingMembers<CAutoObject<ITestThing>> {
 public:
  static inline bool fail_initialize = false;
  static inline int live = 0;

  explicit TestThing(CAutoObjectFactory& factory) : TestThingMembers(factory) { ++live; }
  ~TestThing() override { --live; }
  void Initialize() override {
    if (fail_initialize) RaiseError("Модель не создана");
  }
  static CAutoObjectBase* Create(CAutoObjectFactory& factory) { return new TestThing(factory); }
};
