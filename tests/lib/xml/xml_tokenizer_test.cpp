#include "lib/xml/xml_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lib/foundation/exception.h"

namespace {

using Token = std::pair<XMLToken, std::string>;
constexpr size_t kWindow = TXMLTokenizer::kWindowSize;

// Every token up to the end of the input, or the message the tokenizer
// raised as a last token of kind End.
std::vector<Token> Tokens(const std::string& document) {
  CMemoryStream stream(document);
  std::vector<Token> tokens;
  try {
    TXMLTokenizer tokenizer(stream);
    // Far more steps than any input here has tokens: a tokenizer that stops
    // making progress ends the test instead of hanging it.
    for (size_t guard = 0; guard < 2 * document.size() + 2; ++guard) {
      if (tokenizer.TokenKind() == XMLToken::End) {
        EXPECT_EQ(tokenizer.TokenString(), "");
        EXPECT_EQ(tokenizer.NextToken(), XMLToken::End);
        return tokens;
      }
      tokens.emplace_back(tokenizer.TokenKind(), tokenizer.TokenString());
      tokenizer.NextToken();
    }
    ADD_FAILURE() << "no end of input";
  } catch (const Exception& e) {
    tokens.emplace_back(XMLToken::End, e.Message());
  }
  return tokens;
}

// The tags of the tokens, in order.
std::vector<std::string> Tags(const std::vector<Token>& tokens) {
  std::vector<std::string> tags;
  for (const auto& [kind, text] : tokens) {
    if (kind != XMLToken::Text) tags.push_back(text);
  }
  return tags;
}

}  // namespace

TEST(XMLTokenizer, CutsTagsAndTextRunsAndClassifiesThem) {
  const std::string document =
      "<?xml version=\"1.0\"?>\r\n<!-- a > b -->\r\n <a x=\"1\">text  and \t more \r\n</a><b/>"
      "<![CDATA[x>y]>]]><!DOCTYPE d><?pi x?></B ><?XML?><![cdata[>]]></><>";
  const std::vector<Token> expected = {
      {XMLToken::Declaration, "<?xml version=\"1.0\"?>"},
      {XMLToken::Comment, "<!-- a >"},
      {XMLToken::Text, "b -->"},
      {XMLToken::StartTag, "<a x=\"1\">"},
      {XMLToken::Text, "text and \t more"},
      {XMLToken::EndTag, "</a>"},
      {XMLToken::EmptyTag, "<b/>"},
      {XMLToken::CData, "<![CDATA[x>y]>]]>"},
      {XMLToken::StartTag, "<!DOCTYPE d>"},
      {XMLToken::Declaration, "<?pi x?>"},
      {XMLToken::EndTag, "</B >"},
      {XMLToken::Declaration, "<?XML?>"},
      {XMLToken::CData, "<![cdata[>]]>"},
      {XMLToken::EmptyTag, "</>"},
      {XMLToken::StartTag, "<>"},
  };
  EXPECT_EQ(Tokens(document), expected);
  EXPECT_TRUE(Tokens("").empty());
  EXPECT_TRUE(Tokens(" \r\n\t ").empty());
}

TEST(XMLTokenizer, TokenStringDropsLineBreakPairsAndDoubleSpacesOutsideCData) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      // In a tag, outside its values, a pair separates like a blank.
      {"<a\r\nb=\"1  2\">", "<a b=\"1 2\">"},
      {"<a\n\rb=\"x\">", "<a b=\"x\">"},
      {"<a b=\"1\r\n2\"\r\nc='3\n\r4'/>", "<a b=\"12\" c='34'/>"},
      {"<a x='\"'\r\ny=\"'\r\n'\"/>", "<a x='\"' y=\"''\"/>"},
      {"</a\r\n>", "</a >"},
      {"<!-- a\r\nb -->", "<!-- ab -->"},
      {"<?pi a\r\nb?>", "<?pi ab?>"},
      {"a\r\nb", "ab"},
      {"<a\nb>", "<a\nb>"},
      {"<a\rb>", "<a\rb>"},
      {"<a \n\r\n b>", "<a \n b>"},
      {"<a     b>", "<a b>"},
      {"<![CDATA[a\r\n  b]]>", "<![CDATA[a\r\n  b]]>"},
  };
  for (const auto& [document, text] : cases) {
    const std::vector<Token> tokens = Tokens(document);
    ASSERT_EQ(tokens.size(), 1u) << document;
    EXPECT_EQ(tokens[0].second, text) << document;
  }
}

TEST(XMLTokenizer, ZeroByteEndsTheInput) {
  EXPECT_EQ(Tags(Tokens(std::string("<a/>\0<b/>", 9))), std::vector<std::string>{"<a/>"});
  EXPECT_EQ(Tags(Tokens(std::string("<a/>te\0xt<b/>", 13))), std::vector<std::string>{"<a/>"});
}

TEST(XMLTokenizer, RefusesATagItCannotReadWholeAndStandsAtTheEnd) {
  struct Case {
    std::string document;
    std::vector<std::string> tags;  // the message last
  };
  const std::string big(kWindow + 10, 'x');
  const std::vector<Case> cases = {
      {"<a/><b x=\"1\"", {"<a/>", "Тег не закрыт до конца документа: [<b x=\"1\"]"}},
      {"<a/><!-- x", {"<a/>", "Тег не закрыт до конца документа: [<!-- x]"}},
      {"<a/><![CDATA[ x>", {"<a/>", "Тег не закрыт до конца документа: [<![CDATA[ x>]"}},
      {std::string("<a/><b\0>", 8), {"<a/>", "Тег не закрыт до конца документа: [<b]"}},
      {"<a/><b x=\"" + big + "\"/><c/>",
       {"<a/>", "Тег длиннее 1048575 байт не может быть прочитан: [<b x=\"" + std::string(58, 'x') +
                    "...]"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Tags(Tokens(c.document)), c.tags);
}

TEST(XMLTokenizer, TagsUpToTheWindowSizeAreReadWhole) {
  for (const size_t size : {kWindow - 1, kWindow}) {
    const std::string tag = "<b x=\"" + std::string(size - 9, 'y') + "\"/>";
    ASSERT_EQ(tag.size(), size);
    EXPECT_EQ(Tags(Tokens("<a>" + tag + "<c/>")), (std::vector<std::string>{"<a>", tag, "<c/>"}));
  }
}

// Documents longer than the window: every tag comes back exactly once and
// whole, wherever the window ends.
TEST(XMLTokenizer, ReadsLongDocumentsAcrossRefills) {
  struct Case {
    std::string name;
    std::string line_end;
    size_t size;
  };
  const std::vector<Case> cases = {
      {"CR LF", "\r\n", 3 << 20},
      {"LF", "\n", 3 << 20},
      {"no line feed", "", 2 << 20},
  };
  for (const Case& c : cases) {
    std::string document = "<root>" + c.line_end;
    std::vector<std::string> expected = {"<root>"};
    for (int i = 0; document.size() < c.size; ++i) {
      const std::string tag = "<e n=\"" + std::to_string(i) + "\" имя=\"Значение\"/>";
      document += "\t" + tag + c.line_end;
      expected.push_back(tag);
    }
    document += "</root>";
    expected.push_back("</root>");
    EXPECT_EQ(Tags(Tokens(document)), expected) << c.name;
  }
}

TEST(XMLTokenizer, TagCrossingTheEndOfTheWindowIsReadWhole) {
  const std::string tag = "<t a=\"1\"\r\n b=\"2  3\"/>";
  const std::string normalised = "<t a=\"1\" b=\"2 3\"/>";
  // The tag starts this many bytes before the end of the first window: from
  // ending on its last byte to starting on it, and right after it.
  for (const size_t before :
       {tag.size(), tag.size() - 1, size_t{10}, size_t{2}, size_t{1}, size_t{0}}) {
    const std::string head = "<r>\r\n";
    const std::string filler(kWindow - before - head.size(), 'f');
    const std::string document = head + filler + tag + "\r\n<z/>";
    ASSERT_EQ(document.find(tag), kWindow - before);
    EXPECT_EQ(Tags(Tokens(document)), (std::vector<std::string>{"<r>", normalised, "<z/>"}))
        << before;
  }
}

TEST(XMLTokenizer, CDataSectionsMayCrossAndExceedTheWindow) {
  for (const size_t length : {kWindow - 20, kWindow + 7, 2 * kWindow}) {
    // "]]" and ">" inside, wherever a window ends among them, do not end it.
    std::string body;
    while (body.size() < length) body += "x]]x>]";
    const std::vector<Token> tokens = Tokens("<a/><![CDATA[" + body + "]]><b/>");
    ASSERT_EQ(tokens.size(), 3u) << length;
    EXPECT_EQ(tokens[1].first, XMLToken::CData);
    EXPECT_EQ(tokens[2].second, "<b/>");
  }
}

TEST(XMLTokenizer, CDataEndMarkSplitByTheEndOfTheWindowIsFound) {
  const std::string head = "<a/><![CDATA[>";
  for (const size_t at : {kWindow - 3, kWindow - 2, kWindow - 1, kWindow}) {
    const std::string document = head + std::string(at - head.size(), 'x') + "]]><b/>";
    ASSERT_EQ(document.find("]]>"), at);
    EXPECT_EQ(Tags(Tokens(document)).back(), "<b/>") << at;
  }
}
