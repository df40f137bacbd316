#include "lib/foundation/value_check_tool.h"

#include "lib/foundation/errors.h"

namespace {
constexpr const char* kEmptyArgument = "Передан пустой аргумент: %s";

int Length(const std::string& text) { return static_cast<int>(text.size()); }
}  // namespace

std::string CValueCheckTool::MakeArgumentName(const std::string& name, const std::string& owner) {
  if (name.empty()) RaiseErrorFmt(kEmptyArgument, {"ArgumentName"});
  return owner.empty() ? name : Format("%0:s.%1:s", {owner, name});
}

void CValueCheckTool::CheckAssigned(const void* object, const std::string& name,
                                    const std::string& owner) {
  const std::string argument = MakeArgumentName(name, owner);
  if (object == nullptr) RaiseErrorFmt(kEmptyArgument, {argument});
}

void CValueCheckTool::CheckNotEmpty(const std::string& text, const std::string& name,
                                    const std::string& owner) {
  const std::string argument = MakeArgumentName(name, owner);
  if (text.empty()) RaiseErrorFmt(kEmptyArgument, {argument});
}

void CValueCheckTool::CheckMaxLength(const std::string& text, const std::string& name,
                                     int max_len) {
  CheckNotEmpty(text, name);
  if (Length(text) > max_len) RaiseErrorFmt("Длина переменной [%s] больше [%d]", {name, max_len});
}

void CValueCheckTool::CheckExactLength(const std::string& text, const std::string& name, int len) {
  CheckNotEmpty(text, name);
  if (Length(text) != len) {
    RaiseErrorFmt("Длина переменной [%0:s = \"%1:s\"] должна быть равной [%2:d]",
                  {name, text, len});
  }
}

void CValueCheckTool::CheckRangeBounds(int min, int max, const std::string& name) {
  if (name.empty()) RaiseErrorFmt(kEmptyArgument, {"ArgumentName"});
  if (max < min) {
    RaiseErrorFmt(
        "%0:s: ошибка задания диапазона - минимальное значение (%1:d) больше максимального(%2:d)",
        {name, min, max});
  }
}

void CValueCheckTool::CheckIntRange(int value, int min, int max, const std::string& name) {
  CheckRangeBounds(min, max, name);
  if (value < min || value > max) {
    RaiseErrorFmt("Значение параметра %0:s (%1:d) должно находиться в интервале от %2:d до %3:d",
                  {name, value, min, max});
  }
}

void CValueCheckTool::CheckStrLength(const std::string& text, int min_len, int max_len,
                                     const std::string& name) {
  CheckRangeBounds(min_len, max_len, name);
  if (Length(text) < min_len || Length(text) > max_len) {
    RaiseErrorFmt("%0:s: длина строки должна быть от %1:d до %2:d символов",
                  {name, min_len, max_len});
  }
}
