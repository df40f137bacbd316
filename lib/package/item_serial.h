// Identities of the items of open packages (documents and signatures): a
// view handed to a client knows its item by this number, never by its
// address, which a later item may take over.
#pragma once

#include <cstdint>

// A number no item of this process had before.
uint64_t NewItemSerial();
