// BSTRs, error info per thread and the external lock of the COM runtime.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "platform/com/class_factory.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/com/variant.h"

namespace {

std::u16string Text(BSTR text) { return std::u16string(text, SysStringLen(text)); }

TEST(BstrTest, KeepsZeroCharactersAndItsLength) {
  const char16_t source[] = {u'a', 0, u'\u0416', 0};
  BSTR text = SysAllocStringLen(source, 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(Text(text), std::u16string(source, 3));
  EXPECT_EQ(text[3], 0);  // terminated for callers that read up to a zero
  SysFreeString(text);

  BSTR empty = SysAllocString(u"");
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);
}

TEST(VariantTest, ClearFreesTheStringItHolds) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(u"owned");
  EXPECT_EQ(VariantClear(&value), S_OK);  // ASan reports a leak otherwise
  EXPECT_EQ(value.vt, VT_EMPTY);
}

TEST(VariantTest, CopyOwnsWhatItCopied) {
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"copied");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  EXPECT_NE(copy.bstrVal, text.bstrVal);
  EXPECT_EQ(Text(copy.bstrVal), u"copied");
  EXPECT_EQ(SysStringByteLen(copy.bstrVal), 12u);
  VariantClear(&text);

  struct Counted final : IUnknown {
    int count = 1;
    HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    uint32_t AddRef() override { return static_cast<uint32_t>(++count); }
    uint32_t Release() override { return static_cast<uint32_t>(--count); }
  } object;
  VARIANT intf;
  VariantInit(&intf);
  intf.vt = VT_UNKNOWN;
  intf.punkVal = &object;
  ASSERT_EQ(VariantCopy(&copy, &intf), S_OK);  // frees the string copy first
  EXPECT_EQ(object.count, 2);
  VariantClear(&copy);
  EXPECT_EQ(object.count, 1);

  // A reference is copied as it is; an array by value is not ours to copy.
  int32_t number = 5;
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_I4 | VT_BYREF;
  reference.plVal = &number;
  ASSERT_EQ(VariantCopy(&copy, &reference), S_OK);
  EXPECT_EQ(copy.plVal, &number);
  reference.vt = VT_ARRAY | VT_I4;
  EXPECT_EQ(VariantCopy(&copy, &reference), DISP_E_BADVARTYPE);
  EXPECT_EQ(copy.vt, VT_EMPTY);
}

ComRef<IErrorInfo> MakeErrorInfo(const char16_t* description) {
  ICreateErrorInfo* made = nullptr;
  EXPECT_EQ(CreateErrorInfo(&made), S_OK);
  const ComRef<ICreateErrorInfo> create(made);
  create->SetDescription(description);
  create->SetSource(u"Test.Source");
  create->SetGUID(IUnknown::kIid);
  create->SetHelpContext(7);
  IErrorInfo* info = nullptr;
  EXPECT_EQ(create->QueryInterface(IErrorInfo::kIid, reinterpret_cast<void**>(&info)), S_OK);
  return ComRef<IErrorInfo>(info);
}

TEST(ErrorInfoTest, GetHandsOverTheThreadsInfoOnce) {
  EXPECT_EQ(SetErrorInfo(0, MakeErrorInfo(u"Ошибка").get()), S_OK);

  IErrorInfo* got = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  ComRef<IErrorInfo> held(got);
  BSTR description = nullptr;
  BSTR source = nullptr;
  GUID guid{};
  uint32_t context = 0;
  got->GetDescription(&description);
  got->GetSource(&source);
  got->GetGUID(&guid);
  got->GetHelpContext(&context);
  EXPECT_EQ(Text(description), u"Ошибка");
  EXPECT_EQ(Text(source), u"Test.Source");
  EXPECT_EQ(guid, IUnknown::kIid);
  EXPECT_EQ(context, 7u);
  SysFreeString(description);
  SysFreeString(source);
  held.reset();

  EXPECT_EQ(GetErrorInfo(0, &got), S_FALSE);
  EXPECT_EQ(got, nullptr);
}

TEST(ErrorInfoTest, EachThreadHasItsOwn) {
  SetErrorInfo(0, MakeErrorInfo(u"main").get());
  std::atomic<HRESULT> other{S_OK};
  std::thread([&] {
    IErrorInfo* none = nullptr;
    other = GetErrorInfo(0, &none);
    // Left set: the thread's end gives the reference back.
    SetErrorInfo(0, MakeErrorInfo(u"other").get());
  }).join();
  EXPECT_EQ(other.load(), S_FALSE);
  IErrorInfo* got = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &got), S_OK);
  const ComRef<IErrorInfo> held(got);
  BSTR description = nullptr;
  got->GetDescription(&description);
  EXPECT_EQ(Text(description), u"main");
  SysFreeString(description);
}

struct CountedObject final : IUnknown {
  int count = 1;
  HRESULT QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
  uint32_t AddRef() override { return static_cast<uint32_t>(++count); }
  uint32_t Release() override { return static_cast<uint32_t>(--count); }
};

TEST(LockTest, ALockHoldsOneReference) {
  CountedObject object;
  EXPECT_EQ(CoLockObjectExternal(&object, 1, 1), S_OK);
  EXPECT_EQ(object.count, 2);
  EXPECT_EQ(CoLockObjectExternal(&object, 0, 1), S_OK);
  EXPECT_EQ(object.count, 1);
  EXPECT_EQ(CoLockObjectExternal(nullptr, 1, 1), E_INVALIDARG);
}

}  // namespace
