// What the writer writes, read by independent parsers (ElementTree and
// xmllint) and by the library's reader: every value comes back as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/xml/xml_text_reader.h"
#include "lib/xml/xml_text_writer.h"
#include "platform/kernel/codepage.h"
#include "tests/support/file_bytes.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace {

struct Element {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
};

std::string Hex(const std::string& cp1251) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : AnsiToUtf8(cp1251)) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

// The elements ElementTree reads from the file, one "name attr=value" line
// each, the texts in hex of their UTF-8 bytes.
CommandResult DumpElements(const std::string& file) {
  return RunCommand("python3 " + Quoted(TARVEX_TEST_DIR "/dump_elements.py") + " " + Quoted(file) +
                    " 2>&1");
}

// The element's line as DumpElements gives it.
std::string DumpLine(const Element& element) {
  // Appended piece by piece: GCC 12 at -O3 sees an overlap in " " + text.
  std::string line = Hex(element.name);
  for (const auto& [name, value] : element.attributes) {
    line += ' ';
    line += Hex(name);
    line += '=';
    line += Hex(value);
  }
  line += '\n';
  return line;
}

// A root holding one child per element given, written as the library writes.
std::string Write(const std::vector<Element>& elements) {
  CXMLTextWriter writer;
  writer.StartDocument();
  writer.StartElement("корень");
  for (const Element& e : elements) {
    writer.StartElement(e.name);
    for (const auto& [name, value] : e.attributes) writer.WriteAttribute(name, value);
    writer.EndElement();
  }
  writer.EndDocument();
  return writer.GetXML();
}

// Values the writer accepts: no control characters and no 0x98, and, so
// that the reader's normalising of tags leaves them as they are, no CR, LF,
// tab or two spaces in a row.
std::vector<std::string> Values() {
  std::vector<std::string> values = {
      "<",
      ">",
      "&",
      "\"",
      "'",
      "<&>\"'",
      "&amp;",
      "&lt;",
      "&gt;",
      "&quot;",
      "&amp;lt;",
      "&amp;amp;",
      "&amp;quot;",
      "&#38;",
      "&#x26;",
      "&apos;",
      "&&;",
      ";amp&",
      " lead",
      "trail ",
      " ",
      "a b",
      "Устав А&Б.pdf",
      "ЗЮК:1.0",
      "=\"",
      " x=\"y\"",
      "x='y'",
      "<a b=\"c\">",
      "]]>",
      "<!-- -->",
      "?>",
      "/>",
      "ЁёЂђЃѓЄєІіЇїЎўҐґ№€™«»",
  };
  for (int c = 0x20; c < 0x100; ++c) {
    if (c != 0x98) values.emplace_back(1, static_cast<char>(c));
  }
  // Random texts over the same bytes and pieces of references, reproducible.
  std::vector<std::string> pieces;
  for (int c = 0x20; c < 0x100; ++c) {
    if (c != 0x98) pieces.emplace_back(1, static_cast<char>(c));
  }
  for (int i = 0; i < 8; ++i) {
    for (const char* piece : {"&amp;", "&lt;", "&gt;", "&quot;", "&", ";", "amp;", "\""}) {
      pieces.emplace_back(piece);
    }
  }
  uint32_t seed = 12345;
  for (int i = 0; i < 300; ++i) {
    std::string value;
    for (int j = 0; j < 1 + i % 30; ++j) {
      seed = seed * 1103515245u + 12345u;
      const std::string& piece = pieces[(seed >> 16) % pieces.size()];
      if (piece == " " && !value.empty() && value.back() == ' ') continue;
      value += piece;
    }
    values.push_back(value);
  }
  return values;
}

std::vector<Element> Document() {
  // Every name byte the writer takes, in one element name.
  std::string every_name = "_";
  for (int c = 0x80; c < 0x100; ++c) {
    const char16_t wide = AnsiToWideChar(static_cast<unsigned char>(c));
    if (wide >= 0x0400 && wide <= 0x04FF) every_name += static_cast<char>(c);
  }
  every_name += "AZaz09-.";
  std::vector<Element> elements = {{every_name, {{every_name, "имя"}}}};
  const std::vector<std::string> values = Values();
  for (size_t i = 0; i < values.size(); ++i) {
    if (i % 20 == 0) elements.push_back({i % 40 == 0 ? "документ" : "e", {}});
    std::string name = "a";
    name += std::to_string(i);
    elements.back().attributes.emplace_back(std::move(name), values[i]);
  }
  return elements;
}

}  // namespace

TEST(XMLPeers, ElementTreeAndXmllintReadWhatTheWriterWrites) {
  const std::vector<Element> elements = Document();
  TempDir dir;
  const std::string file = dir.File("out.xml");
  WriteBytes(file, Write(elements));

  const CommandResult lint = RunCommand("xmllint --noout " + Quoted(file) + " 2>&1");
  EXPECT_EQ(lint.status, 0) << lint.output;

  std::string expected = Hex("корень") + "\n";
  for (const Element& e : elements) {
    expected += DumpLine(e);
  }
  const CommandResult dumped = DumpElements(file);
  EXPECT_EQ(dumped.status, 0) << dumped.output;
  EXPECT_EQ(dumped.output, expected);
}

TEST(XMLPeers, TheReaderGetsBackEveryValueTheWriterTook) {
  const std::vector<Element> elements = Document();
  CXMLTextReader reader;
  reader.SetXML(Write(elements));
  reader.ReadElement("корень");
  for (const Element& e : elements) {
    ASSERT_EQ(reader.CurrentElementName(), e.name);
    for (const auto& [name, value] : e.attributes) {
      EXPECT_EQ(reader.ReadAttribute(name), value) << name;
    }
    reader.ReadElement(e.name);
  }
  EXPECT_EQ(reader.CurrentElementName(), "");
}

TEST(XMLPeers, OnCraftedTagsTheReaderAgreesWithElementTree) {
  // Text that looks like a pair inside another pair's value, and pairs
  // spread over lines.
  const std::vector<std::pair<std::string, Element>> crafted = {
      {"<e v=' x=\"1\" ' x=\"2\"/>", {"e", {{"v", " x=\"1\" "}, {"x", "2"}}}},
      {"<e w=\"y=&quot;3&quot; z=\" y='4'/>", {"e", {{"w", "y=\"3\" z="}, {"y", "4"}}}},
      {"<e\ta=\"1\"\r\n\tb = '2'/>", {"e", {{"a", "1"}, {"b", "2"}}}},
      {"<документ исходноеИмяФайла=' идентификаторДокумента=\"A\"' "
       "идентификаторДокумента=\"B\"/>",
       {"документ",
        {{"исходноеИмяФайла", " идентификаторДокумента=\"A\""}, {"идентификаторДокумента", "B"}}}},
  };
  std::string text = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<корень>\r\n";
  std::string expected = Hex("корень") + "\n";
  for (const auto& [tag, element] : crafted) {
    text += tag + "\r\n";
    expected += DumpLine(element);
  }
  text += "</корень>\r\n";

  TempDir dir;
  const std::string file = dir.File("crafted.xml");
  WriteBytes(file, text);
  const CommandResult dumped = DumpElements(file);
  EXPECT_EQ(dumped.status, 0) << dumped.output;
  EXPECT_EQ(dumped.output, expected);

  CXMLTextReader reader;
  reader.SetXML(text);
  reader.ReadElement("корень");
  for (const auto& [tag, element] : crafted) {
    ASSERT_EQ(reader.CurrentElementName(), element.name) << tag;
    for (const auto& [name, value] : element.attributes) {
      EXPECT_EQ(reader.ReadAttribute(name), value) << tag;
    }
    reader.ReadElement(element.name);
  }
}
