#include "platform/com/type_names.h"

#include <string>

BSTR AsciiBstr(const char* text) {
  std::u16string wide;
  for (const char* c = text; *c != 0; ++c)
    wide += static_cast<char16_t>(static_cast<unsigned char>(*c));
  return SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()));
}

bool SameName(const OLECHAR* wide, const char* name) {
  auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
  for (; *wide != 0 && *name != 0; ++wide, ++name) {
    if (fold(*wide) != fold(static_cast<unsigned char>(*name))) return false;
  }
  return *wide == 0 && *name == 0;
}

void TakeCase(OLECHAR* buffer, const char* name) {
  for (; *buffer != 0 && *name != 0; ++buffer, ++name) {
    *buffer = static_cast<char16_t>(static_cast<unsigned char>(*name));
  }
}

const FuncDesc* FuncById(const TypeDesc& type, MEMBERID id) {
  for (const FuncDesc& func : type.funcs) {
    if (func.memid == id) return &func;
  }
  return nullptr;
}

const ConstDesc* ConstById(const TypeDesc& type, MEMBERID id) {
  const int64_t index = int64_t{id} - kConstIdBase;
  if (index < 0 || index >= static_cast<int64_t>(type.consts.size())) return nullptr;
  return &type.consts[static_cast<size_t>(index)];
}

const char* MemberName(const TypeDesc& type, MEMBERID id) {
  if (const FuncDesc* func = FuncById(type, id)) return func->name;
  if (const ConstDesc* member = ConstById(type, id)) return member->name;
  return nullptr;
}

bool FindInType(const TypeDesc& type, OLECHAR* name, MEMBERID* id) {
  const char* found = nullptr;
  if (SameName(name, type.name)) {
    found = type.name;
    *id = MEMBERID_NIL;
  }
  for (size_t n = 0; found == nullptr && n < type.funcs.size(); ++n) {
    if (SameName(name, type.funcs[n].name)) {
      found = type.funcs[n].name;
      *id = type.funcs[n].memid;
    }
  }
  for (size_t n = 0; found == nullptr && n < type.consts.size(); ++n) {
    if (SameName(name, type.consts[n].name)) {
      found = type.consts[n].name;
      *id = kConstIdBase + static_cast<MEMBERID>(n);
    }
  }
  if (found != nullptr) TakeCase(name, found);
  return found != nullptr;
}
