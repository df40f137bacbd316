/* A late-bound client in C over the platform's automation layouts: it loads
 * the library module given as its argument with dlopen, finds the runtime's
 * calls by their C names, looks the enumerations' members up through the
 * type library, and works a package through IDispatch::Invoke with several
 * arguments. It prints the files the module and the runtime came from and
 * exits 0 when every check held. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "automation.h"

static int failures = 0;

#define CHECK(condition)                                                            \
  do {                                                                              \
    if (!(condition)) {                                                             \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                                   \
    }                                                                               \
  } while (0)

static const GUID kClsidTarvex = {
    0x1C41734C, 0x10A6, 0x4848, {0xAB, 0x40, 0x2B, 0xA4, 0xC6, 0xD8, 0x5C, 0x6E}};
static const GUID kIidClassFactory = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID kIidDispatch = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID kIidErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
static const GUID kGuidSignRoleTypes = {
    0x463002EE, 0x4563, 0x4F0C, {0xBD, 0x46, 0xD9, 0x5D, 0x76, 0x34, 0xA5, 0xF3}};
static const GUID kIidNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

/* The runtime's calls, found in the module's dependencies. */
static struct {
  BSTR (*SysAllocString)(const OLECHAR*);
  BSTR (*SysAllocStringLen)(const OLECHAR*, uint32_t);
  void (*SysFreeString)(BSTR);
  uint32_t (*SysStringLen)(BSTR);
  uint32_t (*SysStringByteLen)(BSTR);
  void (*VariantInit)(VARIANT*);
  HRESULT (*VariantClear)(VARIANT*);
  HRESULT (*VariantCopy)(VARIANT*, const VARIANT*);
  HRESULT (*GetErrorInfo)(uint32_t, IErrorInfo**);
  HRESULT (*SetErrorInfo)(uint32_t, IErrorInfo*);
  HRESULT (*CreateErrorInfo)(ICreateErrorInfo**);
} rt;

static void* Symbol(void* module, const char* name) {
  void* address = dlsym(module, name);
  if (address == NULL) {
    fprintf(stderr, "no symbol %s: %s\n", name, dlerror());
    exit(2);
  }
  return address;
}

static void FindRuntime(void* module) {
  *(void**)&rt.SysAllocString = Symbol(module, "SysAllocString");
  *(void**)&rt.SysAllocStringLen = Symbol(module, "SysAllocStringLen");
  *(void**)&rt.SysFreeString = Symbol(module, "SysFreeString");
  *(void**)&rt.SysStringLen = Symbol(module, "SysStringLen");
  *(void**)&rt.SysStringByteLen = Symbol(module, "SysStringByteLen");
  *(void**)&rt.VariantInit = Symbol(module, "VariantInit");
  *(void**)&rt.VariantClear = Symbol(module, "VariantClear");
  *(void**)&rt.VariantCopy = Symbol(module, "VariantCopy");
  *(void**)&rt.GetErrorInfo = Symbol(module, "GetErrorInfo");
  *(void**)&rt.SetErrorInfo = Symbol(module, "SetErrorInfo");
  *(void**)&rt.CreateErrorInfo = Symbol(module, "CreateErrorInfo");
}

static size_t Length(const OLECHAR* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

/* Whether the BSTR holds exactly `length` characters of `text`. */
static int SameText(BSTR value, const OLECHAR* text, size_t length) {
  return value != NULL && rt.SysStringLen(value) == length &&
         memcmp(value, text, length * sizeof(OLECHAR)) == 0;
}

static int Is(BSTR value, const OLECHAR* text) { return SameText(value, text, Length(text)); }

static VARIANT Str(const OLECHAR* text) {
  VARIANT v;
  rt.VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = rt.SysAllocString(text);
  return v;
}

static VARIANT StrOf(const OLECHAR* text, size_t length) {
  VARIANT v;
  rt.VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = rt.SysAllocStringLen(text, (uint32_t)length);
  return v;
}

static VARIANT Int(int32_t value) {
  VARIANT v;
  rt.VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

static DISPID IdOf(IDispatch* object, const OLECHAR* name) {
  OLECHAR* names[1] = {(OLECHAR*)name};
  DISPID id = -1;
  CHECK(object->lpVtbl->GetIDsOfNames(object, &kIidNull, names, 1, 0, &id) == S_OK);
  return id;
}

/* Invokes a member with the arguments in their declared order; the
 * block the server reads holds them last one first. */
static HRESULT Call(IDispatch* object, const OLECHAR* name, uint16_t flags, VARIANT* args,
                    uint32_t count, VARIANT* result, EXCEPINFO* exception, uint32_t* arg_error) {
  VARIANT reversed[8];
  for (uint32_t n = 0; n < count; ++n) reversed[count - 1 - n] = args[n];
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params = {reversed, flags == DISPATCH_PROPERTYPUT ? &put : NULL, count,
                       flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  if (result != NULL) rt.VariantInit(result);
  return object->lpVtbl->Invoke(object, IdOf(object, name), &kIidNull, 0, flags, &params, result,
                                exception, arg_error);
}

static void Clear(VARIANT* args, uint32_t count) {
  for (uint32_t n = 0; n < count; ++n) rt.VariantClear(&args[n]);
}

/* The value of the enumeration's member `id`, read from its VARDESC. */
static int32_t MemberValue(ITypeInfo* enumeration, MEMBERID id) {
  TYPEATTR* attr = NULL;
  int32_t value = -1;
  CHECK(enumeration->lpVtbl->GetTypeAttr(enumeration, &attr) == S_OK);
  for (uint32_t n = 0; attr != NULL && n < attr->cVars; ++n) {
    VARDESC* var = NULL;
    CHECK(enumeration->lpVtbl->GetVarDesc(enumeration, n, &var) == S_OK);
    if (var != NULL && var->memid == id) {
      CHECK(var->varkind == VAR_CONST && var->lpvarValue->vt == VT_I4);
      value = var->lpvarValue->lVal;
    }
    if (var != NULL) enumeration->lpVtbl->ReleaseVarDesc(enumeration, var);
  }
  if (attr != NULL) enumeration->lpVtbl->ReleaseTypeAttr(enumeration, attr);
  return value;
}

/* The value of the enumeration's member named `name`, by its members' names. */
static int32_t ValueByName(ITypeInfo* enumeration, const OLECHAR* name) {
  TYPEATTR* attr = NULL;
  int32_t value = -1;
  CHECK(enumeration->lpVtbl->GetTypeAttr(enumeration, &attr) == S_OK);
  CHECK(attr != NULL && attr->typekind == TKIND_ENUM);
  for (uint32_t n = 0; attr != NULL && n < attr->cVars; ++n) {
    VARDESC* var = NULL;
    BSTR member = NULL;
    CHECK(enumeration->lpVtbl->GetVarDesc(enumeration, n, &var) == S_OK);
    if (var == NULL) continue;
    CHECK(enumeration->lpVtbl->GetDocumentation(enumeration, var->memid, &member, NULL, NULL,
                                                NULL) == S_OK);
    if (Is(member, name)) value = var->lpvarValue->lVal;
    rt.SysFreeString(member);
    enumeration->lpVtbl->ReleaseVarDesc(enumeration, var);
  }
  if (attr != NULL) enumeration->lpVtbl->ReleaseTypeAttr(enumeration, attr);
  return value;
}

/* The enumeration that types the first parameter of the member `id`. */
static ITypeInfo* ParameterEnum(ITypeInfo* info, MEMBERID id) {
  TYPEATTR* attr = NULL;
  ITypeInfo* enumeration = NULL;
  CHECK(info->lpVtbl->GetTypeAttr(info, &attr) == S_OK);
  for (uint32_t n = 0; attr != NULL && n < attr->cFuncs && enumeration == NULL; ++n) {
    FUNCDESC* func = NULL;
    CHECK(info->lpVtbl->GetFuncDesc(info, n, &func) == S_OK);
    if (func != NULL && func->memid == id && func->cParams >= 1) {
      const TYPEDESC* type = &func->lprgelemdescParam[0].tdesc;
      CHECK(type->vt == VT_USERDEFINED);
      CHECK(info->lpVtbl->GetRefTypeInfo(info, type->hreftype, &enumeration) == S_OK);
    }
    if (func != NULL) info->lpVtbl->ReleaseFuncDesc(info, func);
  }
  if (attr != NULL) info->lpVtbl->ReleaseTypeAttr(info, attr);
  return enumeration;
}

static int32_t TransactionOfRegistration(IDispatch* tarvex) {
  ITypeInfo* info = NULL;
  CHECK(tarvex->lpVtbl->GetTypeInfo(tarvex, 0, 0, &info) == S_OK);
  if (info == NULL) return -1;
  ITypeInfo* enumeration = ParameterEnum(info, IdOf(tarvex, u"New"));
  int32_t value = -1;
  if (enumeration != NULL) {
    BSTR name = NULL;
    CHECK(enumeration->lpVtbl->GetDocumentation(enumeration, MEMBERID_NIL, &name, NULL, NULL,
                                                NULL) == S_OK);
    CHECK(Is(name, u"TRANSACTION_TYPES"));
    rt.SysFreeString(name);
    value = ValueByName(enumeration, u"TRANSACTION_TYPE_UL_REG_UL");
    enumeration->lpVtbl->Release(enumeration);
  }
  info->lpVtbl->Release(info);
  return value;
}

/* SIGN_ROLE_TYPE_NOTARY by name through the library, found in any case. */
static int32_t NotaryRole(IDispatch* tarvex) {
  ITypeInfo* info = NULL;
  ITypeLib* lib = NULL;
  CHECK(tarvex->lpVtbl->GetTypeInfo(tarvex, 0, 0, &info) == S_OK);
  if (info == NULL) return -1;
  CHECK(info->lpVtbl->GetContainingTypeLib(info, &lib, NULL) == S_OK);
  info->lpVtbl->Release(info);
  if (lib == NULL) return -1;
  OLECHAR name[] = u"sign_role_type_notary";
  ITypeInfo* found = NULL;
  MEMBERID id = 0;
  uint16_t count = 1;
  CHECK(lib->lpVtbl->FindName(lib, name, 0, &found, &id, &count) == S_OK);
  CHECK(count == 1 && memcmp(name, u"SIGN_ROLE_TYPE_NOTARY", sizeof name) == 0);
  int32_t value = -1;
  if (count == 1) {
    TYPEATTR* attr = NULL;
    CHECK(found->lpVtbl->GetTypeAttr(found, &attr) == S_OK);
    CHECK(attr != NULL && memcmp(&attr->guid, &kGuidSignRoleTypes, sizeof(GUID)) == 0);
    if (attr != NULL) found->lpVtbl->ReleaseTypeAttr(found, attr);
    value = MemberValue(found, id);
    found->lpVtbl->Release(found);
  }
  ITypeInfo* by_guid = NULL;
  CHECK(lib->lpVtbl->GetTypeInfoOfGuid(lib, &kGuidSignRoleTypes, &by_guid) == S_OK);
  if (by_guid != NULL) {
    CHECK(ValueByName(by_guid, u"SIGN_ROLE_TYPE_MINUST") == 9);
    by_guid->lpVtbl->Release(by_guid);
  }
  lib->lpVtbl->Release(lib);
  return value;
}

static void OpensARegistration(IDispatch* tarvex) {
  const int32_t registration = TransactionOfRegistration(tarvex);
  CHECK(registration == 1);
  VARIANT args[1] = {Int(registration)};
  VARIANT result;
  CHECK(Call(tarvex, u"New", DISPATCH_METHOD, args, 1, &result, NULL, NULL) == S_OK);
  CHECK(result.vt == VT_BOOL && result.boolVal == -1);

  const int32_t notary = NotaryRole(tarvex);
  CHECK(notary == 3);
  args[0] = Int(notary);
  CHECK(Call(tarvex, u"SenderType", DISPATCH_PROPERTYPUT, args, 1, NULL, NULL, NULL) == S_OK);
  CHECK(Call(tarvex, u"SenderType", DISPATCH_PROPERTYGET, NULL, 0, &result, NULL, NULL) == S_OK);
  CHECK(result.vt == VT_I4 && result.lVal == notary);
}

static const OLECHAR kContent[] = u"<a>\0\u0416</a>"; /* a zero and a Cyrillic letter inside */
static const size_t kContentLength = sizeof kContent / sizeof(OLECHAR) - 1;

static IDispatch* AddsAFile(IDispatch* tarvex) {
  VARIANT args[5] = {Str(u"unused"), Str(u"01"), Str(u"xml"), Str(u"/data/statement.xml"),
                     StrOf(kContent, kContentLength)};
  CHECK(rt.SysStringByteLen(args[4].bstrVal) == 2 * kContentLength);
  VARIANT result;
  CHECK(Call(tarvex, u"AddFile", DISPATCH_METHOD, args, 5, &result, NULL, NULL) == S_OK);
  Clear(args, 5);
  CHECK(result.vt == VT_DISPATCH && result.pdispVal != NULL);
  if (result.vt != VT_DISPATCH) return NULL;

  VARIANT copy;
  rt.VariantInit(&copy);
  CHECK(rt.VariantCopy(&copy, &result) == S_OK && copy.pdispVal == result.pdispVal);
  rt.VariantClear(&result);
  IDispatch* file = copy.pdispVal; /* the copy's reference, taken over */

  VARIANT value;
  CHECK(Call(file, u"DocTypeCode", DISPATCH_PROPERTYGET, NULL, 0, &value, NULL, NULL) == S_OK);
  CHECK(value.vt == VT_BSTR && Is(value.bstrVal, u"01"));
  rt.VariantClear(&value);
  CHECK(Call(file, u"OriginalFilename", DISPATCH_PROPERTYGET, NULL, 0, &value, NULL, NULL) == S_OK);
  CHECK(value.vt == VT_BSTR && Is(value.bstrVal, u"statement.xml"));
  VARIANT text_copy;
  rt.VariantInit(&text_copy);
  CHECK(rt.VariantCopy(&text_copy, &value) == S_OK && text_copy.bstrVal != value.bstrVal &&
        Is(text_copy.bstrVal, u"statement.xml"));
  rt.VariantClear(&text_copy);
  rt.VariantClear(&value);
  CHECK(Call(file, u"RawContent", DISPATCH_PROPERTYGET, NULL, 0, &value, NULL, NULL) == S_OK);
  CHECK(value.vt == VT_BSTR && SameText(value.bstrVal, kContent, kContentLength));
  rt.VariantClear(&value);
  return file;
}

static void RefusalsNameTheirArgumentAndCause(IDispatch* tarvex) {
  /* The code of the wrong flow: the library's Russian message comes back. */
  VARIANT args[5] = {Str(u""), Str(u"36"), Str(u"xml"), Str(u"b.xml"), Str(u"b")};
  VARIANT result;
  EXCEPINFO exception;
  memset(&exception, 0xAB, sizeof exception);
  CHECK(Call(tarvex, u"AddFile", DISPATCH_METHOD, args, 5, &result, &exception, NULL) ==
        DISP_E_EXCEPTION);
  CHECK(exception.scode == E_UNEXPECTED);
  CHECK(Is(exception.bstrDescription, u"Неизвестный тип документа: [36]"));
  CHECK(Is(exception.bstrSource, u"QimTarvexLib.Tarvex"));
  CHECK(exception.pfnDeferredFillIn == NULL);
  rt.SysFreeString(exception.bstrSource);
  rt.SysFreeString(exception.bstrDescription);
  rt.SysFreeString(exception.bstrHelpFile);

  /* A number where the file name goes: its place in the block is named. */
  rt.VariantClear(&args[3]);
  args[3] = Int(7);
  uint32_t arg_error = 99;
  CHECK(Call(tarvex, u"AddFile", DISPATCH_METHOD, args, 5, &result, NULL, &arg_error) ==
        DISP_E_TYPEMISMATCH);
  CHECK(arg_error == 1);
  Clear(args, 5);
}

static void ErrorInfoCrossesTheCalls(void) {
  ICreateErrorInfo* create = NULL;
  CHECK(rt.CreateErrorInfo(&create) == S_OK);
  if (create == NULL) return;
  CHECK(create->lpVtbl->SetDescription(create, u"описание") == S_OK);
  IErrorInfo* info = NULL;
  CHECK(create->lpVtbl->QueryInterface(create, &kIidErrorInfo, (void**)&info) == S_OK);
  create->lpVtbl->Release(create);
  CHECK(rt.SetErrorInfo(0, info) == S_OK);
  info->lpVtbl->Release(info);
  IErrorInfo* got = NULL;
  CHECK(rt.GetErrorInfo(0, &got) == S_OK && got != NULL);
  if (got != NULL) {
    BSTR description = NULL;
    CHECK(got->lpVtbl->GetDescription(got, &description) == S_OK && Is(description, u"описание"));
    rt.SysFreeString(description);
    got->lpVtbl->Release(got);
  }
  CHECK(rt.GetErrorInfo(0, &got) == S_FALSE && got == NULL);
}

static int RemoveEntry(const char* path, const struct stat* stat, int flag, struct FTW* ftw) {
  (void)stat;
  (void)flag;
  (void)ftw;
  return remove(path);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s Qim.Tarvex.Lib.so\n", argv[0]);
    return 2;
  }
  /* The package's working folders, key roots and registry stay in a
   * folder of this run. */
  char root[] = "/tmp/tarvex-c-client-XXXXXX";
  if (mkdtemp(root) == NULL) return 2;
  setenv("TMP", root, 1);
  setenv("TARVEX_CRYPT_USER_ROOT", root, 1);
  setenv("TARVEX_CRYPT_MACHINE_ROOT", root, 1);
  setenv("TARVEX_COM_REGISTRY_ROOT", root, 1);

  void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (module == NULL) {
    fprintf(stderr, "%s\n", dlerror());
    return 2;
  }
  FindRuntime(module);
  HRESULT (*get_class_object)(const GUID*, const GUID*, void**);
  HRESULT (*can_unload_now)(void);
  *(void**)&get_class_object = Symbol(module, "DllGetClassObject");
  *(void**)&can_unload_now = Symbol(module, "DllCanUnloadNow");

  IClassFactory* factory = NULL;
  IDispatch* tarvex = NULL;
  CHECK(get_class_object(&kClsidTarvex, &kIidClassFactory, (void**)&factory) == S_OK);
  if (factory != NULL) {
    CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &kIidDispatch, (void**)&tarvex) == S_OK);
    factory->lpVtbl->Release(factory);
  }
  if (tarvex != NULL) {
    OpensARegistration(tarvex);
    IDispatch* file = AddsAFile(tarvex);
    RefusalsNameTheirArgumentAndCause(tarvex);
    if (file != NULL) file->lpVtbl->Release(file);
    tarvex->lpVtbl->Release(tarvex);
  }
  ErrorInfoCrossesTheCalls();
  CHECK(can_unload_now() == S_OK);

  Dl_info where;
  if (dladdr((void*)get_class_object, &where) != 0) printf("module: %s\n", where.dli_fname);
  if (dladdr((void*)rt.SysAllocString, &where) != 0) printf("runtime: %s\n", where.dli_fname);
  dlclose(module);
  nftw(root, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  if (failures != 0) fprintf(stderr, "%d checks failed\n", failures);
  return failures == 0 ? 0 : 1;
}
