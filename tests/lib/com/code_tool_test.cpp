#include "lib/package/tarvex_code_tool.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/error_of.h"

namespace {

constexpr std::pair<int, int> kComToInternal[] = {{0, 0}, {1, 4}, {2, 5}, {3, 6}, {4, 2},
                                                  {5, 3}, {6, 7}, {7, 8}, {8, 9}, {9, 10}};

SIGN_ROLE_TYPES Com(int value) { return static_cast<SIGN_ROLE_TYPES>(value); }

TEST(CodeToolTest, RolesAndSubjectTypesMapBothWays) {
  for (auto [com, internal] : kComToInternal) {
    EXPECT_EQ(CTarvexCodeTool::RoleFromCom(Com(com)), internal) << com;
    EXPECT_EQ(CTarvexCodeTool::SubjectTypeFromCom(Com(com)), internal) << com;
    EXPECT_EQ(CTarvexCodeTool::RoleToCom(internal), com) << internal;
    EXPECT_EQ(CTarvexCodeTool::SubjectTypeToCom(internal), com) << internal;
  }
}

TEST(CodeToolTest, CodesOutsideTheMappingFailNamingTheValue) {
  for (int com : {-1, 10}) {
    EXPECT_EQ(ErrorOf([&] { CTarvexCodeTool::RoleFromCom(Com(com)); }),
              "Неизвестная роль: [" + std::to_string(com) + "]");
    EXPECT_EQ(ErrorOf([&] { CTarvexCodeTool::SubjectTypeFromCom(Com(com)); }),
              "Неизвестный тип субъекта: [" + std::to_string(com) + "]");
  }
  // Internal 1 and 11 (the data-processing centre) have no COM value.
  for (int internal : {1, 11, -1}) {
    EXPECT_EQ(ErrorOf([&] { CTarvexCodeTool::RoleToCom(internal); }),
              "Неизвестная роль: [" + std::to_string(internal) + "]");
    EXPECT_EQ(ErrorOf([&] { CTarvexCodeTool::SubjectTypeToCom(internal); }),
              "Неизвестный тип субъекта: [" + std::to_string(internal) + "]");
  }
}

TEST(CodeToolTest, TransactionsOutsideOneToTenAreZero) {
  for (int number = 1; number <= 10; ++number) {
    EXPECT_EQ(CTarvexCodeTool::TransactTypeFromCom(static_cast<TRANSACTION_TYPES>(number)), number);
    EXPECT_EQ(CTarvexCodeTool::TransactTypeToCom(number), number);
  }
  for (int number : {0, -1, 11, 1000}) {
    EXPECT_EQ(CTarvexCodeTool::TransactTypeFromCom(static_cast<TRANSACTION_TYPES>(number)), 0);
    EXPECT_EQ(CTarvexCodeTool::TransactTypeToCom(number), 0);
  }
}

}  // namespace
