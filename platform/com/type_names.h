// Names of a type library's types and members as automation sees them.
#pragma once

#include "platform/com/type_lib.h"

// An ASCII name as a BSTR.
BSTR AsciiBstr(const char* text);
// Automation names match without regard to the case of the Latin letters.
bool SameName(const OLECHAR* wide, const char* name);
// Gives the matched name in `buffer` the case it has in the library.
void TakeCase(OLECHAR* buffer, const char* name);

// Enumeration members have no ids of their own in a description: the
// n-th member is known by this base plus n.
constexpr MEMBERID kConstIdBase = 0x40000000;

// The first function with the id (a property's get before its put), or
// null.
const FuncDesc* FuncById(const TypeDesc& type, MEMBERID id);
// The enumeration member with the id, or null.
const ConstDesc* ConstById(const TypeDesc& type, MEMBERID id);
// The name of the member with the id, or null.
const char* MemberName(const TypeDesc& type, MEMBERID id);
// The id of the type's own name (MEMBERID_NIL) or of its member that has
// the name, with the name's case taken; false when nothing has it.
bool FindInType(const TypeDesc& type, OLECHAR* name, MEMBERID* id);
