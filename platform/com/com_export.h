// The COM runtime is one shared library: error info is per thread and must
// live in one place for every module of the process. Only what carries this
// mark is exported from it.
#pragma once

#define COMAPI __attribute__((visibility("default")))
