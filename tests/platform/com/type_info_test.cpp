// What a late-bound client reads from a type library: members with their
// parameter types, enumerations with their members, names in any case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/com_ref.h"
#include "platform/com/module_file.h"
#include "platform/com/type_lib.h"
#include "platform/kernel/codepage.h"

namespace {

constexpr GUID kTestIid = {0x3A0B5C6D, 0x1111, 0x4222, {0x83, 0x33, 0, 0, 0, 0, 0, 1}};
constexpr GUID kOtherIid = {0x3A0B5C6D, 0x1111, 0x4222, {0x83, 0x33, 0, 0, 0, 0, 0, 2}};
constexpr GUID kKindsGuid = {0x3A0B5C6D, 0x1111, 0x4222, {0x83, 0x33, 0, 0, 0, 0, 0, 3}};
constexpr int32_t kKinds = 1;  // the enumeration's index

const TypeLibDesc& Library() {
  static const ParamDesc kind = {VT_I4, nullptr, "kind", false, kKinds};
  static const ParamDesc label = {VT_BSTR, nullptr, "label", true};
  static const TypeLibDesc lib = {
      "TestLib",
      kKindsGuid,
      1,
      0,
      0x409,
      SYS_WIN32,
      "",
      {{TKIND_DISPATCH,
        "ITest",
        kTestIid,
        TYPEFLAG_FDUAL,
        {{"Pick", 0xC9, DISPATCH_METHOD, 7, {kind, label}, {VT_I4, nullptr, "result"}},
         {"Kind", 0xCA, DISPATCH_PROPERTYGET, 8, {}, {VT_I4, nullptr, "Value", false, kKinds}},
         {"Kind", 0xCA, DISPATCH_PROPERTYPUT, 9, {{VT_I4, nullptr, nullptr, false, kKinds}}}},
        {}},
       {TKIND_ENUM, "KINDS", kKindsGuid, 0, {}, {}, {{"KIND_A", 0}, {"KIND_B", 5}}},
       {TKIND_DISPATCH,
        "IOther",
        kOtherIid,
        TYPEFLAG_FDUAL,
        {{"Pick", 0xC9, DISPATCH_METHOD, 7, {}}},
        {}}}};
  return lib;
}

const TypeLibResource resource(&resource, Library());

std::string Text(BSTR text) {
  std::string ascii = WideToAnsi(std::u16string_view(text, SysStringLen(text)));
  SysFreeString(text);
  return ascii;
}

class TypeInfoTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::u16string path = AnsiToWide(ModuleFileName(&resource));
    ITypeLib* lib = nullptr;
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib), S_OK);
    lib_.reset(lib);
    ITypeInfo* test = nullptr;
    ASSERT_EQ(lib_->GetTypeInfoOfGuid(kTestIid, &test), S_OK);
    test_.reset(test);
  }

  ComRef<ITypeLib> lib_;
  ComRef<ITypeInfo> test_;
};

TEST_F(TypeInfoTest, MembersNameTheEnumerationThatTypesTheirValues) {
  FUNCDESC* pick = nullptr;
  ASSERT_EQ(test_->GetFuncDesc(0, &pick), S_OK);
  EXPECT_EQ(pick->memid, 0xC9);
  EXPECT_EQ(pick->invkind, INVOKE_FUNC);
  ASSERT_EQ(pick->cParams, 2);
  EXPECT_EQ(pick->lprgelemdescParam[0].tdesc.vt, VT_USERDEFINED);
  EXPECT_EQ(pick->lprgelemdescParam[1].tdesc.vt, VT_BSTR);
  EXPECT_EQ(pick->lprgelemdescParam[1].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOPT);
  EXPECT_EQ(pick->elemdescFunc.tdesc.vt, VT_I4);  // the [out, retval] value
  ITypeInfo* kinds = nullptr;
  ASSERT_EQ(test_->GetRefTypeInfo(pick->lprgelemdescParam[0].tdesc.hreftype, &kinds), S_OK);
  const ComRef<ITypeInfo> held(kinds);
  test_->ReleaseFuncDesc(pick);

  TYPEATTR* attr = nullptr;
  ASSERT_EQ(kinds->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_ENUM);
  EXPECT_EQ(attr->guid, kKindsGuid);
  EXPECT_EQ(attr->cVars, 2);
  kinds->ReleaseTypeAttr(attr);
  VARDESC* b = nullptr;
  ASSERT_EQ(kinds->GetVarDesc(1, &b), S_OK);
  EXPECT_EQ(b->varkind, VAR_CONST);
  EXPECT_EQ(b->lpvarValue->vt, VT_I4);
  EXPECT_EQ(b->lpvarValue->lVal, 5);
  BSTR name = nullptr;
  ASSERT_EQ(kinds->GetDocumentation(b->memid, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(Text(name), "KIND_B");
  kinds->ReleaseVarDesc(b);
  EXPECT_EQ(kinds->GetVarDesc(2, &b), TYPE_E_ELEMENTNOTFOUND);

  FUNCDESC* put = nullptr;
  ASSERT_EQ(test_->GetFuncDesc(2, &put), S_OK);
  EXPECT_EQ(put->invkind, INVOKE_PROPERTYPUT);
  EXPECT_EQ(put->elemdescFunc.tdesc.vt, VT_VOID);
  EXPECT_EQ(put->lprgelemdescParam[0].tdesc.vt, VT_USERDEFINED);
  test_->ReleaseFuncDesc(put);
}

TEST_F(TypeInfoTest, NamesOfAMemberAndItsParameters) {
  BSTR names[3] = {};
  uint32_t count = 0;
  ASSERT_EQ(test_->GetNames(0xC9, names, 3, &count), S_OK);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ((std::vector<std::string>{Text(names[0]), Text(names[1]), Text(names[2])}),
            (std::vector<std::string>{"Pick", "kind", "label"}));
  ASSERT_EQ(test_->GetNames(0xC9, names, 1, &count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Text(names[0]), "Pick");
  EXPECT_EQ(test_->GetNames(0x7777, names, 3, &count), TYPE_E_ELEMENTNOTFOUND);
  EXPECT_EQ(count, 0u);
}

TEST_F(TypeInfoTest, NamesAreFoundInAnyCaseAndTakeTheLibrarysCase) {
  char16_t member[] = u"pICK";
  ITypeInfo* infos[3] = {};
  MEMBERID ids[3] = {};
  uint16_t found = 3;
  ASSERT_EQ(lib_->FindName(member, 0, infos, ids, &found), S_OK);
  const std::vector<ComRef<ITypeInfo>> in_both(infos, infos + found);
  ASSERT_EQ(found, 2);  // in both interfaces
  EXPECT_EQ(std::u16string(member), u"Pick");
  EXPECT_EQ(ids[0], 0xC9);

  found = 1;  // no more than the caller has room for
  ASSERT_EQ(lib_->FindName(member, 0, infos, ids, &found), S_OK);
  const std::vector<ComRef<ITypeInfo>> first(infos, infos + found);
  EXPECT_EQ(found, 1);

  char16_t type[] = u"kinds";
  found = 3;
  ASSERT_EQ(lib_->FindName(type, 0, infos, ids, &found), S_OK);
  const std::vector<ComRef<ITypeInfo>> enumeration(infos, infos + found);
  ASSERT_EQ(found, 1);
  EXPECT_EQ(ids[0], MEMBERID_NIL);
  TYPEKIND kind = TKIND_COCLASS;
  EXPECT_EQ(lib_->GetTypeInfoType(1, &kind), S_OK);
  EXPECT_EQ(kind, TKIND_ENUM);

  char16_t constant[] = u"kind_b";
  BOOL is_name = 0;
  ASSERT_EQ(lib_->IsName(constant, 0, &is_name), S_OK);
  EXPECT_TRUE(is_name);
  EXPECT_EQ(std::u16string(constant), u"KIND_B");
  char16_t unknown[] = u"KIND_C";
  found = 3;
  ASSERT_EQ(lib_->FindName(unknown, 0, infos, ids, &found), S_OK);
  EXPECT_EQ(found, 0);
  ASSERT_EQ(lib_->IsName(unknown, 0, &is_name), S_OK);
  EXPECT_FALSE(is_name);

  ITypeLib* containing = nullptr;
  uint32_t index = 9;
  ASSERT_EQ(test_->GetContainingTypeLib(&containing, &index), S_OK);
  const ComRef<ITypeLib> held(containing);
  EXPECT_EQ(containing, lib_.get());
  EXPECT_EQ(index, 0u);
}

}  // namespace
