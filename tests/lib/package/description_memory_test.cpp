// Reading a large transport description: what it allocates grows linearly
// with the number of documents. Every allocation of this binary is counted.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "lib/package/xml_gpr_package.h"
#include "tests/support/counting_allocator.h"

namespace {

// The description of `count` documents, each with a signature.
std::string Description(int count) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
      "<ТрансИнф версияФормата=\"ЗЮК:1.0\" кодТипаДокументооборота=\"ИП\" "
      "типДокументооборота=\"РегистрацияИП\" кодТипаТранзакции=\"01\" "
      "типТранзакции=\"ДокумРегистрацияИП\" "
      "идентификаторДокументооборота=\"0123456789abcdef0123456789abcdef\" "
      "ВерсПрог=\"QimTarvex\">\r\n"
      "<отправитель идентификаторСубъекта=\"1\" типСубъекта=\"заявитель\"/>\r\n"
      "<получатель идентификаторСубъекта=\"2\" типСубъекта=\"налоговыйОрган\"/>\r\n";
  char code[33];
  for (int i = 0; i < count; ++i) {
    std::snprintf(code, sizeof code, "%032x", i);
    text += std::string("<документ кодТипаДокумента=\"01\" типДокумента=\"ЗаявлениеИП\" ") +
            "типСодержимого=\"xml\" сжат=\"false\" зашифрован=\"false\" " +
            "идентификаторДокумента=\"" + code + "\">\r\n<содержимое имяФайла=\"" + code +
            ".xml\"/>\r\n<подпись имяФайла=\"" + code + "_1.p7s\" роль=\"заявитель\"/>\r\n" +
            "</документ>\r\n";
  }
  return text + "</ТрансИнф>\r\n";
}

// Bytes asked of the allocator while the description is read into a
// package that then goes.
size_t BytesToRead(const std::string& text) {
  const size_t before = RequestedBytes();
  {
    auto package = CXMLGprExtPackage::Create();
    package->SetXMLText(text);
    package->Load();
    EXPECT_GT(package->Documents().Count(), 0);
  }
  return RequestedBytes() - before;
}

}  // namespace

TEST(DescriptionMemory, ReadingAllocatesLinearlyInTheNumberOfDocuments) {
  const std::string small = Description(10000);
  const std::string large = Description(40000);
  const size_t small_bytes = BytesToRead(small);
  const size_t large_bytes = BytesToRead(large);
  // About 3 KB a document today, the text's copies included. A reader
  // window of its own for each element object was 1 MiB each; a list that
  // grew by a few slots at a time copied itself over and over.
  EXPECT_LT(large_bytes / 40000, 8192u) << large_bytes;
  EXPECT_LT(large_bytes, small_bytes * 4 + small_bytes / 2) << small_bytes << " " << large_bytes;
}
