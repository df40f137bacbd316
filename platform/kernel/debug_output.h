// The debug channel (OutputDebugStringA): one process-wide sink of 8-bit
// lines. Off unless TARVEX_DEBUG names "stderr" or a file to append to.
#pragma once

#include <functional>
#include <string_view>

void OutputDebugStringA(const char* text);

// Replaces the sink (tests capture the channel with it) and returns the one
// it replaces; an empty sink turns the channel off.
using DebugSink = std::function<void(std::string_view)>;
DebugSink SetDebugSink(DebugSink sink);
