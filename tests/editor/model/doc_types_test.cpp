#include "editor/model/doc_types.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace {

TEST(DocTypesTest, FindDocTypeTakesTheFirstRowOfTheKind) {
  const std::tuple<uint16_t, const char*, int> cases[] = {
      {kRegKindIP, "07", 6},  {kRegKindUL, "07", 21}, {kRegKindUL, "32", -1},
      {kRegKindIP, "32", 8},  {kRegKindUL, "30", 24}, {kRegKindIP, "01", 0},
      {kRegKindUL, "01", 15}, {kRegKindUL, "37", 31}, {2, "01", -1},
      {0, "01", -1},          {kRegKindIP, "7", -1},  {kRegKindIP, "07 ", -1},
      {kRegKindIP, "", -1},
  };
  for (const auto& [kind, code, row] : cases) {
    EXPECT_EQ(FindDocType(kind, code), row) << kind << " " << code;
  }
}

TEST(DocTypesTest, RowsKeepTheirKindsAndExactNames) {
  EXPECT_STREQ(kDocTypes[15].Name, "заявлениеЮЛскан");
  EXPECT_STREQ(kDocTypes[23].Name, "решениеМиюст");
  EXPECT_STREQ(kDocTypes[25].Name, "РаспискаПриемДокум");
  EXPECT_STREQ(kDocTypes[1].Extensions, "xml");
  EXPECT_STREQ(kDocTypes[7].Extensions, "doc,xls,tiff,tif");
  // Every code of a kind but "30" of kind 1 is found at its own row.
  for (int row = 0; row < kDocTypeCount; ++row) {
    EXPECT_EQ(kDocTypes[row].Kind, row < 15 ? kRegKindIP : kRegKindUL) << row;
    if (row != 25) {
      EXPECT_EQ(FindDocType(kDocTypes[row].Kind, kDocTypes[row].Code), row);
    }
  }
}

TEST(DocTypesTest, DocTypeFilter) {
  const std::pair<const char*, const char*> cases[] = {
      {"tiff,tif,doc,xls", "Типы документов (*.tiff;*.tif;*.doc;*.xls)|*.tiff;*.tif;*.doc;*.xls"},
      {"xml", "Типы документов (*.xml)|*.xml"},
      {"tif , doc", "Типы документов (*.tif;*.doc)|*.tif;*.doc"},
      {"tif,,doc,", "Типы документов (*.tif;*.doc)|*.tif;*.doc"},
      {"", ""},
      {" , ", ""},
  };
  for (const auto& [extensions, filter] : cases) {
    EXPECT_EQ(DocTypeFilter(extensions), filter) << extensions;
  }
}

TEST(DocTypesTest, SignRoleName) {
  EXPECT_EQ(SignRoleName(0), "не определено");
  EXPECT_EQ(SignRoleName(3), "нотариус");
  EXPECT_EQ(SignRoleName(6), "доверенный УЦ");
  EXPECT_EQ(SignRoleName(8), "исполняющий обязанности нотариуса");
  EXPECT_EQ(SignRoleName(9), "");
  EXPECT_EQ(SignRoleName(0xFFFF), "");
}

}  // namespace
