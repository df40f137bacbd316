// The index of document rows by code, held to the packet's own look-up:
// the same row for every code, the letters a-z folded and nothing else.
#include "editor/model/reg_doc_index.h"

#include <gtest/gtest.h>

#include <memory>

#include "editor/model/packet.h"

namespace {

TEST(RegDocIndexTest, FindsTheRowThePacketsLookUpFinds) {
  TPacket packet;
  for (const char* code : {"0123abcdef", "0123ABCDEF", "ёжик", "ЁЖИК", "Z9", ""}) {
    packet.Documents.push_back(std::make_unique<TRegDoc>());
    packet.Documents.back()->DocumentCode = code;
  }
  const TRegDocIndex index(packet.Documents);
  for (const char* code : {"0123abcdef", "0123ABCDEF", "0123AbCdEf", "ёжик", "ЁЖИК", "Ёжик", "z9",
                           "Z9", "", "0123abcde", "нет"}) {
    EXPECT_EQ(index.Find(code), packet.FindDocument(code)) << code;
  }
  // The first row of a folded code wins; Cyrillic letters stay apart.
  EXPECT_EQ(index.Find("0123ABCDEF"), packet.Documents[0].get());
  EXPECT_EQ(index.Find("ЁЖИК"), packet.Documents[3].get());
  EXPECT_EQ(index.Find("Ёжик"), nullptr);
}

}  // namespace
