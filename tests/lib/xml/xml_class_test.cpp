#include "lib/xml/xml_class.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "lib/foundation/errors.h"
#include "lib/foundation/file_routines.h"
#include "lib/xml/xml_collection.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace {

class CItem : public CXMLClass {
 public:
  explicit CItem(std::string tag) : Tag(std::move(tag)) {}
  void WriteXML(CXMLTextWriter& writer) override {
    writer.StartElement(Tag);
    writer.WriteAttribute("значение", Value);
    writer.EndElement();
  }
  void ReadXML(CXMLTextReader& reader) override {
    Value = reader.ReadAttribute("значение");
    reader.ReadElement(Tag);
  }
  std::string Tag;
  std::string Value;
};

class CItems : public CXMLCollection {
 public:
  CItems(std::string wrapper, std::string item_tag)
      : Wrapper(std::move(wrapper)), ItemTag(std::move(item_tag)) {}
  CXMLClass* CreateItem() override { return new CItem(ItemTag); }
  std::string GetCollectionTag() override { return Wrapper; }
  std::string GetItemTag() override { return ItemTag; }

  void AddValue(const std::string& value) { static_cast<CItem*>(Add())->Value = value; }
  std::vector<std::string> Values() const {
    std::vector<std::string> values;
    for (int i = 0; i < Count(); ++i) values.push_back(static_cast<CItem*>(Item(i))->Value);
    return values;
  }

  std::string Wrapper;
  std::string ItemTag;
};

// A root with a wrapped and an unwrapped collection, and then an element
// "дальше" it does not read. The reader does not track nesting, so their
// item tags differ.
class CRoot : public CXMLClass {
 public:
  void WriteXML(CXMLTextWriter& writer) override {
    if (WriteNothing) return;
    writer.StartDocument();
    writer.StartElement("корень");
    writer.WriteAttribute("версия", Version);
    Wrapped.WriteXML(writer);
    Loose.WriteXML(writer);
    if (!FailWith.empty()) RaiseError(FailWith);
    writer.EndDocument();
  }
  void ReadXML(CXMLTextReader& reader) override {
    reader.FindElement("корень");
    Version = reader.ReadAttribute("версия");
    reader.ReadElement("корень");
    Wrapped.ReadXML(reader, {"запись", "дальше"});
    Loose.ReadXML(reader, {"дальше"});
    After = reader.CurrentElementName();
  }

  std::string Version = "1.0";
  CItems Wrapped{"пункты", "пункт"};
  CItems Loose{"", "запись"};
  bool WriteNothing = false;
  std::string FailWith;
  std::string After;  // the element current when reading ended
};

std::string Text(CRoot& root) {
  CXMLTextWriter writer;
  root.SaveTo(&writer);
  return writer.GetXML();
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n";

}  // namespace

TEST(XMLClass, SavesToAFileAndLoadsBack) {
  CRoot root;
  root.Version = "Устав А&Б \"2\"";
  root.Wrapped.AddValue("a<b");
  root.Wrapped.AddValue("Ё");
  root.Loose.AddValue("&amp;");
  TempDir dir;
  const std::string file = dir.File("описание.xml");
  root.SaveToFile(file);
  const std::string text = LoadFileToString(file);
  EXPECT_EQ(text, kHead +
                      "<корень версия=\"Устав А&amp;Б &quot;2&quot;\">\r\n"
                      "\t<пункты>\r\n"
                      "\t\t<пункт значение=\"a&lt;b\"/>\r\n"
                      "\t\t<пункт значение=\"Ё\"/>\r\n"
                      "\t</пункты>\r\n"
                      "\t<запись значение=\"&amp;amp;\"/>\r\n"
                      "</корень>\r\n");
  // Saving again starts the writer afresh.
  root.SaveToFile(file);
  EXPECT_EQ(LoadFileToString(file), text);

  CRoot loaded;
  loaded.SetXMLText(text);
  loaded.Load();
  EXPECT_EQ(loaded.Version, root.Version);
  EXPECT_EQ(loaded.Wrapped.Values(), root.Wrapped.Values());
  EXPECT_EQ(loaded.Loose.Values(), root.Loose.Values());
  EXPECT_EQ(loaded.After, "");

  // Reading the same collections again appends to what they hold.
  loaded.SetXMLText(text);
  loaded.LoadFrom(nullptr);
  EXPECT_EQ(loaded.Wrapped.Values(), (std::vector<std::string>{"a<b", "Ё", "a<b", "Ё"}));
  EXPECT_EQ(loaded.Loose.Values().size(), 2u);
}

TEST(XMLClass, EmptyCollectionsWriteNothingOrAnEmptyWrapper) {
  CRoot root;
  EXPECT_EQ(Text(root), kHead + "<корень версия=\"1.0\">\r\n\t<пункты/>\r\n</корень>\r\n");
}

TEST(XMLClass, EmptyTextWritesNoFileAndLeavesAnOldOneUntouched) {
  TempDir dir;
  const std::string file = dir.File("old.xml");
  std::ofstream(file) << "old";
  CRoot root;
  root.WriteNothing = true;
  root.SaveToFile(file);
  EXPECT_EQ(LoadFileToString(file), "old");
  root.SaveToFile(dir.File("new.xml"));
  EXPECT_FALSE(std::ifstream(dir.File("new.xml")).good());
}

TEST(XMLClass, ErrorsOfWriteAndReadReachTheCaller) {
  TempDir dir;
  const std::string file = dir.File("old.xml");
  std::ofstream(file) << "old";
  CRoot root;
  root.FailWith = "сбой записи";
  EXPECT_EQ(ErrorOf([&] { root.SaveToFile(file); }), "сбой записи");
  EXPECT_EQ(LoadFileToString(file), "old");

  CRoot loaded;
  loaded.SetXMLText("<корень версия=\"1\"><другое/></корень>");
  EXPECT_EQ(ErrorOf([&] { loaded.Load(); }),
            "Не найден ожидаемый узел [пункты] (вместо найденного <другое/>)");
}

TEST(XMLCollection, ReadingStopsAtTheFirstOtherElement) {
  struct Case {
    std::string body;
    std::vector<std::string> wrapped;
    std::vector<std::string> loose;
    std::string after;
  };
  const std::vector<Case> cases = {
      // A wrapper without items: nothing read, the reader moves past it.
      {"<пункты></пункты><дальше/>", {}, {}, "дальше"},
      {"<пункты/><запись значение=\"1\"/><дальше/>", {}, {"1"}, "дальше"},
      // Text, comments and end tags between items are passed by.
      {"<пункты>\r\n<!-- x --><пункт значение=\"1\"></пункт> t <пункт значение=\"2\"/>"
       "</пункты><запись значение=\"3\"/>",
       {"1", "2"},
       {"3"},
       ""},
  };
  for (const Case& c : cases) {
    CRoot root;
    root.SetXMLText("<корень версия=\"1\">" + c.body + "</корень>");
    root.Load();
    EXPECT_EQ(root.Wrapped.Values(), c.wrapped) << c.body;
    EXPECT_EQ(root.Loose.Values(), c.loose) << c.body;
    EXPECT_EQ(root.After, c.after) << c.body;
  }
}

// An element that is neither an item nor one the owner defines next would
// leave the items after it unread.
TEST(XMLCollection, ARunCutShortByAnotherElementIsRefused) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // A different case ends the run.
      {"<пункты><пункт значение=\"1\"/><Пункт значение=\"2\"/></пункты>",
       "Не найден ожидаемый узел [пункт] (вместо найденного <Пункт значение=\"2\"/>)"},
      {"<пункты><пункт значение=\"1\"/><другое/><пункт значение=\"2\"/></пункты>",
       "Не найден ожидаемый узел [пункт] (вместо найденного <другое/>)"},
      {"<пункты/><другое/><запись значение=\"1\"/>",
       "Не найден ожидаемый узел [пункт] (вместо найденного <другое/>)"},
      {"<пункты/><запись значение=\"1\"/><другое x=\"1\"></другое><запись значение=\"2\"/>",
       "Не найден ожидаемый узел [запись] (вместо найденного <другое x=\"1\">)"},
      {"<пункты/><запись значение=\"1\"/><пункт значение=\"2\"/>",
       "Не найден ожидаемый узел [запись] (вместо найденного <пункт значение=\"2\"/>)"},
  };
  for (const auto& [body, expected] : cases) {
    CRoot root;
    root.SetXMLText("<корень версия=\"1\">" + body + "</корень>");
    EXPECT_EQ(ErrorOf([&] { root.Load(); }), expected) << body;
  }
}

TEST(XMLCollection, AnEmptyItemTagIsRefusedRatherThanReadForever) {
  CItems items("", "");
  CXMLTextReader reader;
  EXPECT_EQ(ErrorOf([&] { items.ReadXML(reader); }), "Передан пустой аргумент: GetItemTag");
  EXPECT_EQ(items.Count(), 0);
}
