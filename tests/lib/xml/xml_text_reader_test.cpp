#include "lib/xml/xml_text_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/foundation/exception.h"
#include "platform/kernel/codepage.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"

namespace {

// The reader on `text`, moved to its first tag.
struct Reader {
  explicit Reader(const std::string& text) {
    reader.SetXML(text);
    reader.SkipToTag();
  }
  CXMLTextReader reader;
};

}  // namespace

TEST(XMLTextReader, ReadsAttributeValuesOfTheCurrentTag) {
  Reader r(
      "<a x=\"1\" y='2' z=\"&lt;&amp;&gt;\" q=\"&quot;&apos;&#38;\" d=\"a  b\" "
      "s=\"a\r\nb\" e=\"\" v=\"&amp;lt;&amp;quot;\" Name=\"N\" ax=\"-\"/>");
  struct Case {
    std::string name;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"x", "1"},   {"y", "2"},   {"z", "<&>"},  {"q", "\"&apos;&#38;"},
      {"d", "a b"}, {"s", "ab"},  {"e", ""},     {"v", "&lt;&quot;"},
      {"w", ""},    {"name", ""}, {"Name", "N"}, {"a", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(r.reader.ReadAttribute(c.name), c.value) << c.name;
}

TEST(XMLTextReader, AttributesArePairsWhateverBlanksSeparateThem) {
  // The pairs of a tag written over several lines lose their CR LF when the
  // tag's text is normalised: a pair may then touch the one before it.
  Reader r("<a\tt=\"1\"\nl=\"2\" b = \"3\" c= \"4\" d =\"5\" e=\"6\"\r\nf='7'/>");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"t", "1"}, {"l", "2"}, {"b", "3"}, {"c", "4"}, {"d", "5"}, {"e", "6"}, {"f", "7"}};
  for (const auto& [name, value] : cases) EXPECT_EQ(r.reader.ReadAttribute(name), value) << name;
}

TEST(XMLTextReader, TextLikeAnAttributeInsideAValueIsNotOne) {
  Reader r("<a v=' x=\"1\" ' x=\"2\" w=\"y=&quot;3&quot; z=\" y='4'/>");
  EXPECT_EQ(r.reader.ReadAttribute("x"), "2");
  EXPECT_EQ(r.reader.ReadAttribute("v"), " x=\"1\" ");
  EXPECT_EQ(r.reader.ReadAttribute("y"), "4");
  EXPECT_EQ(r.reader.ReadAttribute("w"), "y=\"3\" z=");
  EXPECT_EQ(r.reader.ReadAttribute("z"), "");
}

TEST(XMLTextReader, TagThatIsNoRunOfPairsIsRefused) {
  const std::string long_value(100, 'x');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<a x=\"1/>", "Не закрыта кавычка значения атрибута [x]: <a x=\"1/>"},
      {"<a x='1\" y=\"2\"/>", "Не закрыта кавычка значения атрибута [x]: <a x='1\" y=\"2\"/>"},
      {"<a x=1/>", "У атрибута [x] нет значения в кавычках: <a x=1/>"},
      {"<a x y=\"1\">", "У атрибута [x] нет значения в кавычках: <a x y=\"1\">"},
      {"<a x=\"1\" =\"2\">", "Неверная запись атрибутов в теге: <a x=\"1\" =\"2\">"},
      {"<a x=\"1\" x='2'/>", "Атрибут [x] указан в теге дважды: <a x=\"1\" x='2'/>"},
      {"<a x=\"" + long_value + "/>",
       "Не закрыта кавычка значения атрибута [x]: <a x=\"" + long_value.substr(0, 58) + "..."},
  };
  for (const auto& [text, message] : cases) {
    Reader r(text);
    // Whichever attribute is asked for: the tag as a whole is refused.
    EXPECT_EQ(ErrorOf([&] { r.reader.ReadAttribute("b"); }), message) << text;
    EXPECT_EQ(ErrorOf([&] { r.reader.ReadBoolAttribute("x"); }), message) << text;
  }
}

TEST(XMLTextReader, AttributesAreThoseOfTheCurrentTag) {
  Reader r("<a x=\"1\"/>");
  EXPECT_EQ(r.reader.ReadAttribute("x"), "1");
  r.reader.SetXML("<a x=\"2\"/><a x=\"3\"/><a y=\"4\"/>");
  r.reader.SkipToTag();
  for (const char* value : {"2", "3", ""}) {
    EXPECT_EQ(r.reader.ReadAttribute("x"), value);
    r.reader.ReadElement("a");
  }
}

TEST(XMLTextReader, ReadBoolAttribute) {
  Reader r("<a t1=\"TRUE\" t2=\"true\" t3=\"1\" t4=\"True\" f1=\"yes\" f2=\"0\" f3=\"truE1\"/>");
  for (const char* name : {"t1", "t2", "t3", "t4"}) EXPECT_TRUE(r.reader.ReadBoolAttribute(name));
  for (const char* name : {"f1", "f2", "f3", "absent"}) {
    EXPECT_FALSE(r.reader.ReadBoolAttribute(name)) << name;
  }
}

TEST(XMLTextReader, CurrentElementNameAndIsElement) {
  struct Case {
    std::string text;
    std::string name;
  };
  const std::vector<Case> cases = {
      {"<a x=\"1\">", "a"},
      {"<a/>", "a"},
      {"<a>", "a"},
      {"<a x=\"1/2\"/>", "a"},
      {"<подпись>", "подпись"},
      {"</a>", ""},
      {"", ""},
      {"text", ""},
      {"<a\tx=\"1\"/>", "a"},
      {"<a\nx=\"1\">", "a"},
      {"<a\r\nx=\"1\">", "a"},
  };
  for (const Case& c : cases) {
    CXMLTextReader reader;
    reader.SetXML(c.text);
    EXPECT_EQ(reader.CurrentElementName(), c.name) << c.text;
    if (!c.name.empty()) {
      EXPECT_TRUE(reader.IsElement(c.name)) << c.text;
    }
  }
  // A tag that names another element inside a value is not that element.
  Reader r("<ab\tx=\"<a \" y=\"<a>\"/>");
  EXPECT_TRUE(r.reader.IsElement("ab"));
  EXPECT_FALSE(r.reader.IsElement("a"));
  EXPECT_FALSE(r.reader.IsElement("AB"));
}

TEST(XMLTextReader, ReadElementChecksTheNameAndMovesToTheNextTag) {
  Reader r(
      "<?xml version=\"1.0\"?>\r\n<a>\r\n<!-- c -->text</x><?pi?><b y=\"1\"/><![CDATA[<c>]]></a>");
  DebugCapture debug;
  EXPECT_EQ(ErrorOf([&] { r.reader.ReadElement("b"); }),
            "Не найден ожидаемый узел [b] (вместо найденного <a>)");
  EXPECT_EQ(debug.Lines().size(), 3u);
  EXPECT_EQ(r.reader.CurrentElementName(), "a");  // stays where the check failed
  r.reader.ReadElement("a");
  EXPECT_EQ(r.reader.ReadAttribute("y"), "1");
  r.reader.ReadElement("");
  EXPECT_EQ(r.reader.CurrentElementName(), "");
  EXPECT_EQ(ErrorOf([&] { r.reader.ReadElement("c"); }),
            "Не найден ожидаемый узел [c] (вместо найденного )");
}

TEST(XMLTextReader, FindElementStaysOnTheCurrentOneAndFailsAtTheEnd) {
  Reader r("<a/><b n=\"1\"/><c/><b n=\"2\"/>");
  r.reader.FindElement("a");
  EXPECT_EQ(r.reader.CurrentElementName(), "a");
  r.reader.FindElement("b");
  r.reader.FindElement("b");
  EXPECT_EQ(r.reader.ReadAttribute("n"), "1");
  r.reader.ReadElement("b");
  r.reader.FindElement("b");
  EXPECT_EQ(r.reader.ReadAttribute("n"), "2");
  EXPECT_EQ(ErrorOf([&] { r.reader.FindElement("a"); }), "Элемент [a] не найден");
  EXPECT_EQ(r.reader.CurrentElementName(), "");
}

TEST(XMLTextReader, NextTagOrEndStopsOnEndTagsWhereSkipToTagPassesThem) {
  const std::string text = "<подпись a=\"1\">\r\n\t<подпись a=\"2\"/>\r\n</подпись >\r\n<x/>";
  Reader r(text);
  r.reader.NextTagOrEnd();
  EXPECT_TRUE(r.reader.IsEmptyElement());
  EXPECT_EQ(r.reader.ReadAttribute("a"), "2");
  r.reader.NextTagOrEnd();
  EXPECT_TRUE(r.reader.IsEndElement("подпись"));
  EXPECT_FALSE(r.reader.IsEndElement("подп"));
  EXPECT_FALSE(r.reader.IsEmptyElement());
  r.reader.NextTagOrEnd();
  EXPECT_EQ(r.reader.CurrentElementName(), "x");
  r.reader.NextTagOrEnd();
  r.reader.NextTagOrEnd();
  EXPECT_FALSE(r.reader.IsEndElement(""));

  Reader skip(text);
  skip.reader.ReadElement("подпись");
  skip.reader.ReadElement("подпись");
  EXPECT_EQ(skip.reader.CurrentElementName(), "x");
}

TEST(XMLTextReader, ConvertsFromUtf8WhenTheFirstLineSaysSoInLowerCase) {
  const std::string cyrillic = "Значение";
  const std::string utf8 = AnsiToUtf8(cyrillic);
  struct Case {
    std::string declaration;
    std::string line_end;
    bool converted;
  };
  const std::vector<Case> cases = {
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?>", "\r\n", true},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\r\n", false},
      {"<?xml version=\"1.0\" encoding='utf-8'?>", "\r\n", false},
      {"<?xml version=\"1.0\"?>", "\r\n<!-- encoding=\"utf-8\" -->\r\n", false},
      {"<?xml version=\"1.0\"?>", "\n<!-- encoding=\"utf-8\" -->\n", true},
  };
  for (const Case& c : cases) {
    Reader r(c.declaration + c.line_end + "<a v=\"" + utf8 + "\"/>");
    r.reader.FindElement("a");
    EXPECT_EQ(r.reader.ReadAttribute("v"), c.converted ? cyrillic : utf8) << c.declaration;
  }
}

TEST(XMLTextReader, FailedSetXMLLeavesTheReaderWhereItWas) {
  Reader r("<a/><b v=\"1\"/>");
  r.reader.ReadElement("a");
  EXPECT_EQ(ErrorOf([&] { r.reader.SetXML("<x"); }), "Тег не закрыт до конца документа: [<x]");
  EXPECT_EQ(r.reader.ReadAttribute("v"), "1");
}

TEST(XMLTextReader, ClearedOrFreshReaderStandsAtTheEnd) {
  Reader r("<a/>");
  r.reader.Clear();
  EXPECT_EQ(r.reader.CurrentElementName(), "");
  EXPECT_EQ(ErrorOf([&] { r.reader.FindElement("a"); }), "Элемент [a] не найден");
  CXMLTextReader fresh;
  fresh.ReadElement("");
  EXPECT_EQ(ErrorOf([&] { fresh.ReadElement("a"); }),
            "Не найден ожидаемый узел [a] (вместо найденного )");
}

TEST(XMLTextReader, TagErrorsOfTheTokenizerReachTheCaller) {
  Reader r("<a/>\r\n<b x=\"" + std::string(TXMLTokenizer::kWindowSize, 'x') + "\"/>");
  const std::string error = ErrorOf([&] { r.reader.ReadElement("a"); });
  EXPECT_TRUE(error.starts_with("Тег длиннее 1048575 байт не может быть прочитан: [<b x=\"xxx"))
      << error;
  EXPECT_EQ(ErrorOf([&] { r.reader.FindElement("b"); }), "Элемент [b] не найден");
}
