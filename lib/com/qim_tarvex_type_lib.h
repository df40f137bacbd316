// The type library QimTarvexLib: the whole public surface of the library
// module, its TYPELIB resource.
#pragma once

#include "platform/com/type_lib.h"

const TypeLibDesc& QimTarvexTypeLib();
