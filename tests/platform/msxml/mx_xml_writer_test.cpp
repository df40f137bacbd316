#include "platform/msxml/mx_xml_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr HRESULT kInvalidArg = static_cast<HRESULT>(0x80070057);
constexpr HRESULT kUnexpected = static_cast<HRESULT>(0x8000FFFF);

SAXAttributes Attributes(const std::vector<std::pair<std::string, std::string>>& list) {
  SAXAttributes attributes;
  for (const auto& [name, value] : list) EXPECT_EQ(attributes.addAttribute(name, value), 0) << name;
  return attributes;
}

std::string Output(const MXXMLWriter& writer) {
  std::string out;
  EXPECT_EQ(writer.get_output(out), 0);
  return out;
}

}  // namespace

TEST(MXXMLWriter, WritesOneTagALineIndentedByDepth) {
  MXXMLWriter writer;
  ASSERT_EQ(writer.put_encoding("windows-1251"), 0);
  ASSERT_EQ(writer.put_indent(true), 0);
  const SAXAttributes none;
  ASSERT_EQ(writer.startDocument(), 0);
  ASSERT_EQ(writer.startElement("корень", Attributes({{"b", "2"}, {"a", "1"}})), 0);
  ASSERT_EQ(writer.startElement("x", none), 0);
  ASSERT_EQ(writer.startElement("y", Attributes({{"v", "<&>\"'"}})), 0);
  ASSERT_EQ(writer.endElement("y"), 0);
  ASSERT_EQ(writer.endElement("x"), 0);
  ASSERT_EQ(writer.startElement("z", none), 0);
  ASSERT_EQ(writer.endElement("z"), 0);
  ASSERT_EQ(writer.endElement("корень"), 0);
  ASSERT_EQ(writer.endDocument(), 0);
  const std::string written = Output(writer);
  EXPECT_EQ(written,
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
            "<корень b=\"2\" a=\"1\">\r\n"
            "\t<x>\r\n"
            "\t\t<y v=\"&lt;&amp;&gt;&quot;'\"/>\r\n"
            "\t</x>\r\n"
            "\t<z/>\r\n"
            "</корень>\r\n");
  // A second end of the document changes nothing.
  EXPECT_EQ(writer.endDocument(), 0);
  EXPECT_EQ(Output(writer), written);
}

TEST(MXXMLWriter, WithoutIndentTagsFollowEachOther) {
  MXXMLWriter writer;
  const SAXAttributes none;
  ASSERT_EQ(writer.startElement("a", none), 0);
  ASSERT_EQ(writer.startElement("b", none), 0);
  ASSERT_EQ(writer.endElement("b"), 0);
  ASSERT_EQ(writer.endElement("a"), 0);
  EXPECT_EQ(Output(writer), "<a><b/></a>");
}

TEST(MXXMLWriter, NamesAreLettersDigitsAndPunctuationXmlAllows) {
  struct Case {
    std::string name;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"a", true},      {"версияФормата", true}, {"_x1", true},    {"a-b.c", true},
      {"ЁжЪ", true},    {"\x80\xA5\xBF", true},  {"", false},      {"1a", false},
      {"-a", false},    {".a", false},           {"a b", false},   {"a:b", false},
      {"a<", false},    {"a\"", false},          {"a\x98", false}, {"№", false},
      {"a\xB7", false}, {"\xAB", false},
  };
  for (const Case& c : cases) {
    SAXAttributes attributes;
    EXPECT_EQ(attributes.addAttribute(c.name, "v") == 0, c.valid) << c.name;
    MXXMLWriter writer;
    EXPECT_EQ(writer.startElement(c.name, SAXAttributes()) == 0, c.valid) << c.name;
    if (!c.valid) {
      EXPECT_EQ(attributes.ErrorDescription(), "Недопустимое имя атрибута [" + c.name + "]");
      EXPECT_EQ(writer.ErrorDescription(), "Недопустимое имя элемента [" + c.name + "]");
      EXPECT_EQ(Output(writer), "");
    }
  }
}

TEST(SAXAttributes, RefusesWhatWouldMakeTheDocumentUnreadable) {
  struct Case {
    std::string name;
    std::string value;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"a", std::string("x\0y", 3), "Недопустимый символ с кодом 0x00 в значении атрибута [a]"},
      {"b", "\x01", "Недопустимый символ с кодом 0x01 в значении атрибута [b]"},
      {"c", "ok\x1F", "Недопустимый символ с кодом 0x1F в значении атрибута [c]"},
      {"d", "\x98", "Недопустимый символ с кодом 0x98 в значении атрибута [d]"},
      {"first", "again", "Атрибут [first] уже задан"},
  };
  SAXAttributes attributes;
  ASSERT_EQ(attributes.addAttribute("first", "1"), 0);
  for (const Case& c : cases) {
    EXPECT_EQ(attributes.addAttribute(c.name, c.value), kInvalidArg) << c.name;
    EXPECT_EQ(attributes.ErrorDescription(), c.error);
  }
  ASSERT_EQ(attributes.Attributes().size(), 1u);
  // Tab, CR and LF are XML characters; the other bytes of the code page too.
  std::string every;
  for (int c = 0x20; c < 0x100; ++c) {
    if (c != 0x98) every += static_cast<char>(c);
  }
  EXPECT_EQ(attributes.addAttribute("e", "\t\r\n" + every), 0);
}

TEST(MXXMLWriter, CallsOutOfOrderFailAndLeaveTheOutput) {
  using Step = std::function<HRESULT(MXXMLWriter&)>;
  const SAXAttributes none;
  struct Case {
    std::vector<Step> setup;
    Step call;
    std::string error;
  };
  const std::vector<Case> cases = {
      {{},
       [](MXXMLWriter& w) { return w.endElement("a"); },
       "Закрывающий тег [a] без открытого элемента"},
      {{[&](MXXMLWriter& w) { return w.startElement("a", none); }},
       [](MXXMLWriter& w) { return w.endElement("b"); },
       "Закрывающий тег [b] не соответствует открытому элементу [a]"},
      {{[&](MXXMLWriter& w) { return w.startElement("a", none); },
        [](MXXMLWriter& w) { return w.endElement("a"); }},
       [&](MXXMLWriter& w) { return w.startElement("b", none); },
       "Элемент [b] вне корневого элемента документа"},
      {{[&](MXXMLWriter& w) { return w.startElement("a", none); }},
       [](MXXMLWriter& w) { return w.startDocument(); },
       "Объявление XML может быть только в начале документа"},
      {{[](MXXMLWriter& w) { return w.startDocument(); }},
       [](MXXMLWriter& w) { return w.startDocument(); },
       "Объявление XML может быть только в начале документа"},
      {{[&](MXXMLWriter& w) { return w.startElement("a", none); },
        [&](MXXMLWriter& w) { return w.startElement("b", none); }},
       [](MXXMLWriter& w) { return w.endDocument(); },
       "Документ завершается при открытом элементе [b]"},
      {{[](MXXMLWriter& w) { return w.endDocument(); }},
       [&](MXXMLWriter& w) { return w.startElement("a", none); },
       "Элемент [a] вне корневого элемента документа"},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    MXXMLWriter writer;
    ASSERT_EQ(writer.put_indent(true), 0);
    for (const Step& step : cases[i].setup) ASSERT_EQ(step(writer), 0) << i;
    const std::string before = Output(writer);
    EXPECT_EQ(cases[i].call(writer), kUnexpected) << i;
    EXPECT_EQ(writer.ErrorDescription(), cases[i].error) << i;
    EXPECT_EQ(Output(writer), before) << i;
  }
}

TEST(MXXMLWriter, EncodingNameMustBeAName) {
  MXXMLWriter writer;
  EXPECT_EQ(writer.put_encoding("a\"b"), kInvalidArg);
  EXPECT_EQ(writer.ErrorDescription(), "Недопустимое имя кодировки [a\"b]");
  EXPECT_EQ(writer.put_encoding(""), kInvalidArg);
  ASSERT_EQ(writer.startDocument(), 0);
  EXPECT_EQ(Output(writer), "<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
}
