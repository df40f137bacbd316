// The debug channel (OutputDebugStringA): one process-wide sink of 8-bit
// lines. Off unless TARVEX_DEBUG names "stderr" or a file to append to.
#pragma once

#include <functional>
#include <string_view>

void OutputDebugStringA(const char* text);

// Replaces the sink (tests capture the channel with it) and returns the one
// it replaces; an empty sink turns the channel off. A sink receives the
// cp1251 line as it was written.
using DebugSink = std::function<void(std::string_view)>;
DebugSink SetDebugSink(DebugSink sink);

// The sink TARVEX_DEBUG chooses: none for an empty or missing target. Lines
// are cp1251 inside, but the people reading them read UTF-8: a file always
// gets UTF-8, stderr gets UTF-8 under a UTF-8 locale (LC_ALL, LC_CTYPE,
// LANG) and the bytes as they are otherwise.
DebugSink DebugSinkFor(const char* target);
