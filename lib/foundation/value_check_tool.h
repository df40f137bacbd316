// Argument checks with the library's standard messages. Lengths are bytes.
#pragma once

#include <string>

class CValueCheckTool {
 public:
  CValueCheckTool() = delete;

  static std::string MakeArgumentName(const std::string& name, const std::string& owner);
  static bool IsEmpty(const std::string& text) { return text.empty(); }
  static void CheckAssigned(const void* object, const std::string& name,
                            const std::string& owner = std::string());
  static void CheckNotEmpty(const std::string& text, const std::string& name,
                            const std::string& owner = std::string());
  static void CheckMaxLength(const std::string& text, const std::string& name, int max_len);
  static void CheckExactLength(const std::string& text, const std::string& name, int len);
  static void CheckRangeBounds(int min, int max, const std::string& name);
  static void CheckIntRange(int value, int min, int max, const std::string& name);
  static void CheckStrLength(const std::string& text, int min_len, int max_len,
                             const std::string& name);
};
