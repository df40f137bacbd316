// System message texts (FormatMessageA with FORMAT_MESSAGE_FROM_SYSTEM).
#pragma once

#include <cstdint>

constexpr uint32_t FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr uint32_t FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr uint32_t FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;

// Copies the system text for `code` (cp1251, ending in CR LF as the platform
// writes it) into `buffer` with a terminating zero and returns its length.
// Returns 0 and sets the last error when the code has no text or the buffer
// is too small. Only FORMAT_MESSAGE_FROM_SYSTEM texts exist here.
uint32_t FormatMessageA(uint32_t flags, uint32_t code, char* buffer, uint32_t size);
