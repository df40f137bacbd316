// The COM runtime is one shared library: error info is per thread and must
// live in one place for every module of the process. Only what carries one
// of these marks is exported from it.
#pragma once

// A call of the platform's automation runtime: C linkage under its
// platform name, so that a client written against the platform's headers
// finds it with dlsym or links against it.
#define COMAPI extern "C" __attribute__((visibility("default")))

// A helper that our own modules share with the runtime (C++ names).
#define COM_SHARED __attribute__((visibility("default")))
