// The attribute and member descriptions a type info hands out, in the
// platform's layout. Each is one allocation that its Release call frees.
#pragma once

#include "platform/com/type_lib.h"

TYPEATTR* NewTypeAttr(const TypeLibDesc& lib, const TypeDesc& type);
void FreeTypeAttr(TYPEATTR* attr);

// As the dispatch side of a dual interface shows a member: the [out,
// retval] parameter is the function's type, the others its parameters.
FUNCDESC* NewFuncDesc(const FuncDesc& func);
void FreeFuncDesc(FUNCDESC* desc);

// The n-th member of an enumeration: a constant with its VT_I4 value.
VARDESC* NewVarDesc(const ConstDesc& member, uint32_t index);
void FreeVarDesc(VARDESC* desc);
