#include "lib/xml/xml_text_writer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "lib/foundation/exception.h"
#include "tests/support/debug_capture.h"
#include "tests/support/error_of.h"

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n";

}  // namespace

TEST(XMLTextWriter, WritesNestedElementsAfterTheDeclaration) {
  CXMLTextWriter writer;
  writer.StartDocument();
  writer.StartElement("a");
  writer.WriteAttribute("x", "1");
  writer.WriteBoolAttribute("t", true);
  writer.WriteBoolAttribute("f", false);
  writer.StartElement("b");
  writer.EndElement();
  writer.EndElement();
  writer.EndDocument();
  EXPECT_EQ(writer.GetXML(),
            kDeclaration + "<a x=\"1\" t=\"true\" f=\"false\">\r\n\t<b/>\r\n</a>\r\n");
}

TEST(XMLTextWriter, AttributeAfterAChildStartedNeverReachesTheOutput) {
  CXMLTextWriter writer;
  writer.StartElement("a");
  writer.StartElement("b");
  writer.WriteAttribute("late", "1");  // b's tag is still held back: it gets it
  writer.StartElement("c");
  writer.WriteAttribute("lost", "1");  // c's, kept back until c ends
  writer.EndElement();
  writer.WriteAttribute("lost", "2");  // b's tag is out
  writer.EndDocument();
  EXPECT_EQ(writer.GetXML(),
            "<a>\r\n\t<b late=\"1\">\r\n\t\t<c lost=\"1\"/>\r\n\t</b>\r\n</a>\r\n");
}

TEST(XMLTextWriter, EndDocumentClosesEveryOpenElementAndEndsWriting) {
  CXMLTextWriter writer;
  writer.StartDocument();
  writer.StartElement("a");
  writer.StartElement("b");
  writer.StartElement("c");
  // Taking the text in between changes nothing; b's start tag is not closed yet.
  EXPECT_EQ(writer.GetXML(), kDeclaration + "<a>\r\n\t<b");
  writer.EndDocument();
  const std::string text = kDeclaration + "<a>\r\n\t<b>\r\n\t\t<c/>\r\n\t</b>\r\n</a>\r\n";
  EXPECT_EQ(writer.GetXML(), text);

  EXPECT_EQ(ErrorOf([&] { writer.StartElement("d"); }),
            "Нельзя добавить элемент, уже есть содержимое");
  EXPECT_EQ(ErrorOf([&] { writer.WriteAttribute("x", "1"); }),
            "Нельзя добавить атрибут, уже есть содержимое");
  EXPECT_EQ(writer.GetXML(), text);

  writer.Reset();
  EXPECT_EQ(writer.GetXML(), "");
  writer.StartElement("e");
  writer.EndDocument();
  EXPECT_EQ(writer.GetXML(), "<e/>\r\n");
}

TEST(XMLTextWriter, AttributesWithoutAnOpenElementAreIgnored) {
  CXMLTextWriter writer;
  writer.WriteAttribute("x", "1");
  writer.WriteAttribute("x", "");
  writer.StartElement("a");
  writer.EndElement();
  writer.WriteAttribute("y", "");
  EXPECT_EQ(writer.GetXML(), "<a/>");
}

TEST(XMLTextWriter, EmptyValueIsRefusedAndTheElementStaysOpen) {
  CXMLTextWriter writer;
  DebugCapture debug;
  writer.StartElement("a");
  EXPECT_EQ(ErrorOf([&] { writer.WriteAttribute("имя", ""); }),
            "Попытка записи пустого значения в атрибут [имя]");
  EXPECT_EQ(debug.Lines(), std::vector<std::string>(
                               3, "[EXCEPTION Попытка записи пустого значения в атрибут [имя]]"));
  writer.WriteAttribute("x", "1");
  writer.EndDocument();
  EXPECT_EQ(writer.GetXML(), "<a x=\"1\"/>\r\n");
}

TEST(XMLTextWriter, SaxWriterFailuresRaiseWithTheirCodeAndText) {
  CXMLTextWriter writer;
  EXPECT_EQ(ErrorOf([&] { writer.EndElement(); }),
            "0x8000FFFF (-2147418113): Закрывающий тег [] без открытого элемента");
  writer.StartElement("a");
  EXPECT_EQ(ErrorOf([&] { writer.WriteAttribute("1x", "v"); }),
            "0x80070057 (-2147024809): Недопустимое имя атрибута [1x]");
  EXPECT_EQ(ErrorOf([&] { writer.WriteAttribute("x", "\x01"); }),
            "0x80070057 (-2147024809): Недопустимый символ с кодом 0x01 в значении атрибута [x]");
  writer.WriteAttribute("x", "1");
  EXPECT_EQ(ErrorOf([&] { writer.WriteAttribute("x", "2"); }),
            "0x80070057 (-2147024809): Атрибут [x] уже задан");
  // A bad element name shows when its start tag is passed on.
  writer.StartElement("b c");
  EXPECT_EQ(ErrorOf([&] { writer.EndElement(); }),
            "0x80070057 (-2147024809): Недопустимое имя элемента [b c]");
  EXPECT_EQ(writer.GetXML(), "<a x=\"1\"");
  // A second root element.
  CXMLTextWriter second;
  second.StartElement("a");
  second.EndElement();
  second.StartElement("b");
  EXPECT_EQ(ErrorOf([&] { second.EndDocument(); }),
            "0x8000FFFF (-2147418113): Элемент [b] вне корневого элемента документа");
}
