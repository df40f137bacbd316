// Captures the debug channel for the lifetime of the object.
#pragma once

#include <string>
#include <vector>

#include "platform/kernel/debug_output.h"

class DebugCapture {
 public:
  DebugCapture() {
    previous_ = SetDebugSink([this](std::string_view line) { lines_.emplace_back(line); });
  }
  ~DebugCapture() { SetDebugSink(std::move(previous_)); }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  const std::vector<std::string>& Lines() const { return lines_; }
  void Clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
  DebugSink previous_;
};
