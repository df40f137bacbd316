#include "lib/foundation/value_check_tool.h"

#include <gtest/gtest.h>

#include <functional>

#include "lib/foundation/exception.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"

TEST(CValueCheckTool, Messages) {
  using T = CValueCheckTool;
  int object = 0;
  struct Case {
    std::function<void()> check;
    std::string expected;
  } cases[] = {
      {[] { T::MakeArgumentName("", "Config"); }, "Передан пустой аргумент: ArgumentName"},
      {[&] { T::CheckAssigned(&object, ""); }, "Передан пустой аргумент: ArgumentName"},
      {[] { T::CheckAssigned(nullptr, "Path", "Config"); }, "Передан пустой аргумент: Config.Path"},
      {[] { T::CheckNotEmpty("", "Name"); }, "Передан пустой аргумент: Name"},
      {[] { T::CheckMaxLength("", "ИНН", 12); }, "Передан пустой аргумент: ИНН"},
      {[] { T::CheckMaxLength("1234", "Code", 3); }, "Длина переменной [Code] больше [3]"},
      {[] { T::CheckExactLength("12", "КПП", 9); },
       "Длина переменной [КПП = \"12\"] должна быть равной [9]"},
      {[] { T::CheckIntRange(0, 0, -1, "Index"); },
       "Index: ошибка задания диапазона - минимальное значение (0) больше максимального(-1)"},
      {[] { T::CheckIntRange(5, 0, 3, "Index"); },
       "Значение параметра Index (5) должно находиться в интервале от 0 до 3"},
      {[] { T::CheckIntRange(1, 0, 3, ""); }, "Передан пустой аргумент: ArgumentName"},
      {[] { T::CheckStrLength("abcd", 1, 3, "Name"); },
       "Name: длина строки должна быть от 1 до 3 символов"},
      {[] { T::CheckStrLength("", 0, 3, "Name"); }, "no error"},
      {[] { T::CheckExactLength("123", "Code", 3); }, "no error"},
      {[] { T::CheckIntRange(3, 0, 3, "Index"); }, "no error"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.check), c.expected);
}

TEST(CValueCheckTool, NamesAndDebugLines) {
  EXPECT_EQ(CValueCheckTool::MakeArgumentName("Path", "Config"), "Config.Path");
  EXPECT_EQ(CValueCheckTool::MakeArgumentName("Path", ""), "Path");
  DebugCapture debug;
  ErrorOf([] { CValueCheckTool::CheckNotEmpty("", "Name"); });
  EXPECT_EQ(debug.Lines(), std::vector<std::string>{"[EXCEPTION Передан пустой аргумент: Name]"});
}
