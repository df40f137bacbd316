#include "platform/com/type_descs.h"

#include <new>

#include "platform/com/type_names.h"

namespace {

// The blocks start with the platform's structure, so the pointer handed
// out is the block's own.
struct FuncDescBlock {
  FUNCDESC desc;
  ELEMDESC* params;
};

struct VarDescBlock {
  VARDESC desc;
  VARIANT value;
};

// An enumeration's value is its own type to a client; the call passes it
// as the VT_I4 it is.
ELEMDESC ElemOf(const ParamDesc& param, uint16_t flags) {
  ELEMDESC elem{};
  if (param.enum_type >= 0) {
    elem.tdesc.vt = VT_USERDEFINED;
    elem.tdesc.hreftype = static_cast<HREFTYPE>(param.enum_type);
  } else {
    elem.tdesc.vt = param.vt == VT_EMPTY ? VT_VOID : param.vt;
  }
  elem.paramdesc.wParamFlags = flags;
  return elem;
}

uint16_t VtableSize(const TypeDesc& type) {
  uint16_t slots = 0;
  for (const FuncDesc& func : type.funcs) {
    if (func.slot + 1 > slots) slots = static_cast<uint16_t>(func.slot + 1);
  }
  return static_cast<uint16_t>(slots * sizeof(void*));
}

}  // namespace

TYPEATTR* NewTypeAttr(const TypeLibDesc& lib, const TypeDesc& type) {
  auto* attr = new (std::nothrow) TYPEATTR{};
  if (attr == nullptr) return nullptr;
  const bool is_enum = type.kind == TKIND_ENUM;
  attr->guid = type.guid;
  attr->lcid = lib.lcid;
  attr->memidConstructor = MEMBERID_NIL;
  attr->memidDestructor = MEMBERID_NIL;
  attr->cbSizeInstance = is_enum ? sizeof(int32_t) : sizeof(void*);
  attr->typekind = type.kind;
  attr->cFuncs = static_cast<uint16_t>(type.funcs.size());
  attr->cVars = static_cast<uint16_t>(type.consts.size());
  attr->cImplTypes = static_cast<uint16_t>(type.impl_types.size());
  attr->cbSizeVft = VtableSize(type);
  attr->cbAlignment = is_enum ? alignof(int32_t) : alignof(void*);
  attr->wTypeFlags = type.flags;
  attr->wMajorVerNum = lib.major;
  attr->wMinorVerNum = lib.minor;
  attr->tdescAlias.vt = VT_EMPTY;
  return attr;
}

void FreeTypeAttr(TYPEATTR* attr) { delete attr; }

FUNCDESC* NewFuncDesc(const FuncDesc& func) {
  auto* block = new (std::nothrow) FuncDescBlock{};
  if (block == nullptr) return nullptr;
  block->params = new (std::nothrow) ELEMDESC[func.params.size() + 1]{};
  if (block->params == nullptr) {
    delete block;
    return nullptr;
  }
  FUNCDESC& desc = block->desc;
  desc.memid = func.memid;
  desc.lprgelemdescParam = block->params;
  desc.funckind = FUNC_DISPATCH;
  desc.invkind = static_cast<INVOKEKIND>(func.invkind);
  desc.callconv = CC_STDCALL;
  desc.cParams = static_cast<int16_t>(func.params.size());
  desc.oVft = static_cast<int16_t>(func.slot * sizeof(void*));
  for (size_t n = 0; n < func.params.size(); ++n) {
    const ParamDesc& param = func.params[n];
    block->params[n] = ElemOf(param, PARAMFLAG_FIN | (param.optional ? PARAMFLAG_FOPT : 0));
  }
  desc.elemdescFunc = ElemOf(func.retval, 0);
  return &block->desc;
}

void FreeFuncDesc(FUNCDESC* desc) {
  auto* block = reinterpret_cast<FuncDescBlock*>(desc);
  if (block == nullptr) return;
  delete[] block->params;
  delete block;
}

VARDESC* NewVarDesc(const ConstDesc& member, uint32_t index) {
  auto* block = new (std::nothrow) VarDescBlock{};
  if (block == nullptr) return nullptr;
  VARDESC& desc = block->desc;
  desc.memid = kConstIdBase + static_cast<MEMBERID>(index);
  block->value.vt = VT_I4;
  block->value.lVal = member.value;
  desc.lpvarValue = &block->value;
  desc.elemdescVar.tdesc.vt = VT_I4;
  desc.varkind = VAR_CONST;
  return &block->desc;
}

void FreeVarDesc(VARDESC* desc) { delete reinterpret_cast<VarDescBlock*>(desc); }
