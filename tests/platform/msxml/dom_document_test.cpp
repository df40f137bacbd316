#include "platform/msxml/dom_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/kernel/codepage.h"
#include "tests/support/temp_dir.h"

namespace {

class DomDocumentTest : public testing::Test {
 protected:
  // Writes the bytes under a cp1251 name and loads them.
  bool Load(const std::string& bytes) {
    std::ofstream(dir_.Path() + "/" + AnsiToUtf8("книга.xml"), std::ios::binary) << bytes;
    return doc_.load(Utf8ToAnsi(dir_.Path()) + "\\книга.xml");
  }
  std::vector<DOMNode> Children() { return doc_.documentElement()->childNodes(); }

  TempDir dir_;
  DOMDocument40 doc_;
};

TEST_F(DomDocumentTest, Cp1251AndUtf8BooksReadTheSame) {
  const std::string body = "<Книга><Запись Наим=\"Общество &amp; «Ромашка»\" Тип=\"0\"/></Книга>";
  for (const std::string& bytes : {"<?xml version=\"1.0\" encoding=\"windows-1251\"?>" + body,
                                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + AnsiToUtf8(body),
                                   "\xEF\xBB\xBF" + AnsiToUtf8(body)}) {
    ASSERT_TRUE(Load(bytes)) << AnsiToUtf8(bytes);
    EXPECT_EQ(doc_.documentElement()->nodeName(), "Книга");
    std::vector<DOMNode> entries = Children();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].nodeType(), NODE_ELEMENT);
    EXPECT_EQ(entries[0].nodeName(), "Запись");
    EXPECT_EQ(entries[0].getAttribute("Наим"), "Общество & «Ромашка»");
    EXPECT_EQ(entries[0].getAttribute("Тип"), "0");
    EXPECT_EQ(entries[0].getAttribute("тип"), std::nullopt);  // names are exact
    EXPECT_EQ(entries[0].getAttribute("Актуал"), std::nullopt);
  }
}

TEST_F(DomDocumentTest, BlankTextIsDroppedUnlessPreserved) {
  const std::string bytes =
      "<r>\n  <a x=''/>\n  <!-- note -->\n  text\n  <?pi data?><![CDATA[c]]></r>";
  ASSERT_TRUE(Load(bytes));
  std::vector<std::pair<DOMNodeType, std::string>> seen;
  for (const DOMNode& node : Children()) seen.emplace_back(node.nodeType(), node.nodeName());
  const std::vector<std::pair<DOMNodeType, std::string>> expected = {
      {NODE_ELEMENT, "a"},
      {NODE_COMMENT, "#comment"},
      {NODE_TEXT, "#text"},
      {NODE_PROCESSING_INSTRUCTION, "pi"},
      {NODE_CDATA_SECTION, "#cdata-section"}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(Children()[0].getAttribute("x"), "");
  EXPECT_EQ(Children()[2].getAttribute("x"), std::nullopt);
  doc_.preserveWhiteSpace = true;
  ASSERT_TRUE(Load(bytes));
  EXPECT_EQ(Children().size(), 7u);
}

TEST_F(DomDocumentTest, WhatIsNoDocumentFailsToLoad) {
  ASSERT_TRUE(Load("<r/>"));
  for (const std::string& bytes :
       {std::string(), std::string("<r>"), std::string("<a/><b/>"),
        std::string("<?xml version='1.0' encoding='no-such'?><r/>"), std::string("not xml")}) {
    EXPECT_FALSE(Load(bytes)) << bytes;
    EXPECT_FALSE(doc_.documentElement());
  }
  EXPECT_FALSE(doc_.load(Utf8ToAnsi(dir_.File("missing.xml"))));
  EXPECT_FALSE(doc_.load(Utf8ToAnsi(dir_.Path())));
}

// Entities stay unexpanded in the tree and nothing outside the file is read.
TEST_F(DomDocumentTest, ExternalEntitiesAndDtdsAreNotFetched) {
  std::ofstream(dir_.File("secret.txt")) << "SECRET";
  const std::string secret = "file://" + dir_.File("secret.txt");
  ASSERT_TRUE(Load("<!DOCTYPE r [<!ENTITY s SYSTEM \"" + secret + "\">]><r>&s;<a v='1'/></r>"));
  for (const DOMNode& node : Children()) {
    EXPECT_NE(node.nodeType(), NODE_TEXT);
    EXPECT_EQ(node.getAttribute("v").value_or("1"), "1");
  }
  EXPECT_EQ(Children().front().nodeType(), NODE_ENTITY_REFERENCE);
  EXPECT_TRUE(Children().front().childNodes().empty());
  // An external DTD: read, it would add a default attribute.
  std::ofstream(dir_.File("book.dtd")) << "<!ATTLIST a d CDATA 'from-dtd'>";
  ASSERT_TRUE(Load("<!DOCTYPE r SYSTEM \"" + dir_.File("book.dtd") + "\"><r><a/></r>"));
  EXPECT_EQ(Children()[0].getAttribute("d"), std::nullopt);
}

// An internal entity would be expanded wherever an attribute refers to it:
// a document that declares one is refused, naming it, whether it is used
// or not; what needs no declaration reads as before.
TEST_F(DomDocumentTest, ADocumentDeclaringAnInternalEntityIsRefused) {
  const std::string refused = "], а объявления сущностей не допускаются";
  const struct {
    const char* what;
    std::string bytes;
    std::string refusal;  // empty: loads, and the attribute v of a reads "<&>"
  } cases[] = {
      {"referred to in an attribute", "<!DOCTYPE r [<!ENTITY e 'x'>]><r><a v='&e;&e;'/></r>",
       "документ объявляет сущность [e" + refused},
      {"referred to in text", "<!DOCTYPE r [<!ENTITY текст 'x'>]><r><a v='1'>&текст;</a></r>",
       "документ объявляет сущность [текст" + refused},
      {"declared only, after a parameter entity",
       "<!DOCTYPE r [<!ENTITY % p 'x'><!ENTITY n 'y'><!ENTITY m 'z'>]><r/>",
       "документ объявляет сущность [n" + refused},
      {"nested", "<!DOCTYPE r [<!ENTITY a 'x'><!ENTITY b '&a;&a;'>]><r><a v='&b;'/></r>",
       "документ объявляет сущность [a" + refused},
      {"predefined and character references", "<r><a v='&lt;&#38;&#x3E;'/></r>", ""},
      // Declaring a predefined entity may only repeat its meaning.
      {"a predefined entity declared",
       "<!DOCTYPE r [<!ENTITY lt '&#38;#60;'><!ENTITY amp '&#38;#38;'>]>"
       "<r><a v='&lt;&amp;&gt;'/></r>",
       ""},
      {"an external entity",
       "<!DOCTYPE r [<!ENTITY s SYSTEM 'none.txt'>]><r><a v='&lt;&amp;>'/></r>", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bytes = "<?xml version='1.0' encoding='windows-1251'?>" + c.bytes;
    EXPECT_EQ(c.refusal.empty(), Load(bytes));
    EXPECT_EQ(c.refusal, doc_.refusal());
    DOMDocument40 text;
    EXPECT_EQ(c.refusal.empty(), text.loadXML(bytes));
    EXPECT_EQ(c.refusal, text.refusal());
    if (!c.refusal.empty()) {
      EXPECT_FALSE(doc_.documentElement());
      continue;
    }
    for (const DOMNode& node : Children()) {
      if (node.nodeType() == NODE_ELEMENT) {
        EXPECT_EQ("<&>", node.getAttribute("v"));
      }
    }
  }
  // The other predefined entities, and characters by their numbers.
  ASSERT_TRUE(Load("<r><a v='&quot;&apos;&#1041;&#x411;&#34;'/></r>"));
  EXPECT_EQ("\"'ББ\"", Children()[0].getAttribute("v"));
  // A syntax error is no refusal.
  EXPECT_FALSE(Load("<!DOCTYPE r [<!ENTITY e 'x'>]><r>"));
  EXPECT_EQ("", doc_.refusal());
}

}  // namespace
