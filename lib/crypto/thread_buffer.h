// Per-thread 64 KB scratch buffers: one per thread, kept for the life of
// the process; a block whose thread has ended passes to the next new thread
// with its old contents. The one lock of the library guards their table.
#pragma once

#include <cstdint>

constexpr uint32_t ThreadBufferSize = 0x10000;

// The calling thread's buffer of ThreadBufferSize bytes (not cleared).
uint8_t* GetThreadBuffer();
