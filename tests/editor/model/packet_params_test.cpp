#include "editor/model/packet_params.h"

#include <gtest/gtest.h>

namespace {

TEST(PacketParamsTest, AbsentNamesReadAsEditableAndEmpty) {
  TPacketParams params;
  EXPECT_EQ(params.IndexOf("INIFILE"), -1);
  EXPECT_EQ(params.GetFlag("INIFILE"), 1);
  EXPECT_EQ(params.GetValue("INIFILE"), "");
  params.SetFlag("INIFILE", 0);  // creates nothing
  EXPECT_EQ(params.IndexOf("INIFILE"), -1);
  EXPECT_EQ(params.GetFlag("INIFILE"), 1);
  params.Clear();
  EXPECT_EQ(params.IndexOf("INIFILE"), -1);
}

TEST(PacketParamsTest, SetDefaultFillsOnlyAnEmptyValue) {
  TPacketParams params;
  params.SetDefault("DOCTYPECODE", "1");
  params.SetDefault("DOCTYPECODE", "2");
  EXPECT_EQ(params.GetValue("DOCTYPECODE"), "1");
  EXPECT_EQ(params.GetFlag("DOCTYPECODE"), 1);
  params.SetValue("DOCTYPECODE", "", 0);
  params.SetDefault("DOCTYPECODE", "3");
  EXPECT_EQ(params.GetValue("DOCTYPECODE"), "3");
  EXPECT_EQ(params.GetFlag("DOCTYPECODE"), 0);
  EXPECT_EQ(params.IndexOf("DOCTYPECODE"), 0);
}

TEST(PacketParamsTest, NamesFoldOnlyLatinLetters) {
  TPacketParams params;
  params.SetValue("E-MAIL", "x", 0);
  params.SetValue("e-mail", "y", 1);
  EXPECT_EQ(params.IndexOf("E-Mail"), 0);
  EXPECT_EQ(params.GetValue("E-MAIL"), "y");
  EXPECT_EQ(params.GetFlag("E-MAIL"), 1);
  EXPECT_EQ(params.IndexOf("E-MAIL "), -1);
  EXPECT_EQ(params.IndexOf("E-MAI"), -1);

  params.SetValue("КОДНО", "7701", 0);
  EXPECT_EQ(params.GetValue("кодно"), "");
  EXPECT_EQ(params.GetFlag("кодно"), 1);
  EXPECT_EQ(params.GetValue("КОДНО"), "7701");
  EXPECT_EQ(params.GetFlag("КОДНО"), 0);
  EXPECT_EQ(params.IndexOf("КОДНО"), 1);
}

TEST(PacketParamsTest, AddAppendsAndLookupsFindTheFirst) {
  TPacketParams params;
  params.Add("A", "first", 0);
  params.Add("B", "", 1);
  params.Add("a", "second", 1);
  EXPECT_EQ(params.IndexOf("B"), 1);
  EXPECT_EQ(params.GetValue("A"), "first");
  params.SetFlag("a", 1);
  EXPECT_EQ(params.GetFlag("A"), 1);
  params.Clear();
  EXPECT_EQ(params.IndexOf("A"), -1);
  EXPECT_EQ(params.GetValue("B"), "");
  params.SetValue("B", "new", 0);
  EXPECT_EQ(params.IndexOf("B"), 0);
}

}  // namespace
