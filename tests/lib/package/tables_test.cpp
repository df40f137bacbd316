#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "lib/foundation/exception.h"
#include "lib/package/role_words.h"
#include "lib/package/tarvex_tool.h"

namespace {

// The result of a lookup as text, or the message it failed with.
std::string Outcome(const std::function<std::string()>& lookup) {
  try {
    return lookup();
  } catch (const Exception& e) {
    return "! " + e.Message();
  }
}

std::string DocType(const rTarvexDocType& r) {
  return std::string(r.code) + " " + r.name + " " + r.stem + " " + std::to_string(r.number) +
         (r.encrypt ? " encrypt" : " plain") + " " + std::to_string(r.flow_kind);
}
std::string Transact(const rTarvexTransactType& r) {
  return std::string(r.code) + " " + r.name + " " + std::to_string(r.number) + " " +
         std::to_string(r.flow_kind);
}
std::string Thread(const rTarvexThreadType& r) {
  return std::string(r.code) + " " + r.name + " " + std::to_string(r.flow_kind);
}

struct Case {
  std::function<std::string()> lookup;
  std::string expected;
};

void RunCases(const std::vector<Case>& cases) {
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(Outcome(cases[i].lookup), cases[i].expected) << "case " << i;
  }
}

}  // namespace

TEST(RoleWords, ConversionsAndRefusals) {
  RunCases({
      {[] { return std::string(SubjectTypeToText(1)); }, "абонент"},
      {[] { return std::string(SubjectTypeToText(4)); }, "абонент"},
      {[] { return std::string(SubjectTypeToText(2)); }, "налоговыйОрган"},
      {[] { return std::string(SubjectTypeToText(11)); }, "ФЦОД"},
      {[] { return std::string(SubjectTypeToText(0)); }, "! Неизвестный тип субъекта: [0]"},
      {[] { return std::string(SubjectTypeToText(12)); }, "! Неизвестный тип субъекта: [12]"},
      {[] { return std::to_string(SubjectTypeFromText("абонент")); }, "4"},
      {[] { return std::to_string(SubjectTypeFromText("спецоператор")); }, "3"},
      {[] { return std::to_string(SubjectTypeFromText("ФЦОД")); }, "11"},
      {[] { return std::to_string(SubjectTypeFromText("Абонент")); },
       "! Неизвестный тип субъекта: [Абонент]"},
      {[] { return std::to_string(SubjectTypeFromText("")); }, "! Неизвестный тип субъекта: []"},
      {[] { return std::string(SignRoleToText(5)); }, "заявитель"},
      {[] { return std::string(SignRoleToText(1)); }, "абонент"},
      {[] { return std::string(SignRoleToText(0)); }, "! Неизвестная роль: [0]"},
      {[] { return std::string(SignRoleToText(255)); }, "! Неизвестная роль: [255]"},
      {[] { return std::to_string(SignRoleFromText("абонент")); }, "4"},
      {[] { return std::to_string(SignRoleFromText("ИОнотариус")); }, "9"},
      {[] { return std::to_string(SignRoleFromText("NOTARY")); }, "! Неизвестная роль: {NOTARY}"},
      {[] { return std::to_string(SignRoleFromText("нотариус ")); },
       "! Неизвестная роль: {нотариус }"},
  });
}

// Every code but the write-only alias 1 reads back as itself.
TEST(RoleWords, WordsRoundTrip) {
  for (const rTarvexRoleWord& row : TarvexRoleWords()) {
    const uint8_t expected = row.code == 1 ? 4 : row.code;
    EXPECT_EQ(SubjectTypeFromText(SubjectTypeToText(row.code)), expected) << row.word;
    EXPECT_EQ(SignRoleFromText(SignRoleToText(row.code)), expected) << row.word;
  }
}

TEST(CTarvexTool, Lookups) {
  using T = CTarvexTool;
  RunCases({
      {[] { return DocType(T::DocTypeByCode(1, "01")); }, "01 ЗаявлениеЮЛ ZayavUL 1 encrypt 1"},
      {[] { return DocType(T::DocTypeByCode(2, "01")); }, "01 ЗаявлениеИП ZayavIP 20 encrypt 2"},
      {[] { return DocType(T::DocTypeByCode(1, "30")); },
       "30 УведомлениеПриемФУ UvedPriemFU 12 plain 1"},
      {[] { return DocType(T::DocTypeByCode(2, "33")); },
       "33 СвидетельствоРегИП SvidQuenda 30 plain 2"},
      {[] { return DocType(T::DocTypeByCode(2, "30")); }, "! Неизвестный тип документа: [30]"},
      {[] { return DocType(T::DocTypeByCode(1, "36")); }, "! Неизвестный тип документа: [36]"},
      {[] { return DocType(T::DocTypeByCode(0, "01")); }, "! Неизвестный тип документа: [01]"},
      {[] { return DocType(T::DocTypeByCode(1, "1")); }, "! Неизвестный тип документа: [1]"},
      {[] { return DocType(T::DocTypeByNumber(1, 11)); },
       "31 РаспискаПриемДокум RaspPriemDokum 11 plain 1"},
      {[] { return DocType(T::DocTypeByNumber(1, 12)); },
       "30 УведомлениеПриемФУ UvedPriemFU 12 plain 1"},
      {[] { return DocType(T::DocTypeByNumber(1, 19)); },
       "42 УведомлениеБезРасм UvedOtkazRassm 19 encrypt 1"},
      {[] { return DocType(T::DocTypeByNumber(2, 28)); },
       "32 РешениеОбОтказе ReshOtkazReg 28 plain 2"},
      {[] { return DocType(T::DocTypeByNumber(2, 29)); },
       "31 РаспискаПриемДокум RaspPriemDokum 29 plain 2"},
      {[] { return DocType(T::DocTypeByNumber(2, 35)); },
       "38 ВыпискаЗапЕГРИП VypZapEGRIP 35 encrypt 2"},
      {[] { return DocType(T::DocTypeByNumber(2, 1)); }, "! Неизвестный тип документа: [1]"},
      {[] { return DocType(T::DocTypeByNumber(2, 27)); }, "! Неизвестный тип документа: [27]"},
      {[] { return DocType(T::DocTypeByNumber(1, 0)); }, "! Неизвестный тип документа: [0]"},
      {[] { return Transact(T::TransactionByNumber(3)); }, "04 РаспискаПриемДокум 3 1"},
      {[] { return Transact(T::TransactionByNumber(8)); }, "03 РаспискаПриемДокум 8 2"},
      {[] { return Transact(T::TransactionByNumber(10)); }, "05 СведенияОРегистрации 10 2"},
      {[] { return Transact(T::TransactionByNumber(0)); }, "! Неизвестный тип транзакции: [0]"},
      {[] { return Transact(T::TransactionByNumber(11)); }, "! Неизвестный тип транзакции: [11]"},
      {[] { return Transact(T::TransactionNumber(1, "04")); }, "04 РаспискаПриемДокум 3 1"},
      {[] { return Transact(T::TransactionNumber(2, "03")); }, "03 РаспискаПриемДокум 8 2"},
      {[] { return Transact(T::TransactionNumber(1, "06")); }, "06 СведенияОРегистрации 5 1"},
      {[] { return Transact(T::TransactionNumber(1, "03")); },
       "! Неизвестный тип транзакции: [03]"},
      {[] { return Transact(T::TransactionNumber(2, "06")); },
       "! Неизвестный тип транзакции: [06]"},
      {[] { return Thread(T::KindByFlowTypeCode("ЮЛ")); }, "ЮЛ РегистрацияЮЛ 1"},
      {[] { return Thread(T::KindByFlowTypeCode("ИП")); }, "ИП РегистрацияИП 2"},
      {[] { return Thread(T::KindByFlowTypeCode("ип")); },
       "! Неизвестный тип документооборота: [ип]"},
      {[] { return Thread(T::KindByFlowTypeCode("")); }, "! Неизвестный тип документооборота: []"},
      {[] { return Thread(T::FlowTypeByKind(1)); }, "ЮЛ РегистрацияЮЛ 1"},
      {[] { return Thread(T::FlowTypeByKind(2)); }, "ИП РегистрацияИП 2"},
      {[] { return Thread(T::FlowTypeByKind(0)); }, "! Неизвестный тип документооборота: [0]"},
      {[] { return Thread(T::FlowTypeByKind(3)); }, "! Неизвестный тип документооборота: [3]"},
      {[] { return Thread(T::FlowTypeByTransaction(1)); }, "ЮЛ РегистрацияЮЛ 1"},
      {[] { return Thread(T::FlowTypeByTransaction(6)); }, "ИП РегистрацияИП 2"},
      {[] { return Thread(T::FlowTypeByTransaction(-1)); }, "! Неизвестный тип транзакции: [-1]"},
  });
}

// Codes are unique within a flow kind and numbers over the whole table
// (1-35 without 27), so both lookups find every row of the table.
TEST(CTarvexTool, EveryDocTypeRowIsReachableBothWays) {
  std::set<int> numbers;
  for (const rTarvexDocType& row : TarvexDocTypes()) {
    EXPECT_EQ(&CTarvexTool::DocTypeByCode(row.flow_kind, row.code), &row) << row.name;
    EXPECT_EQ(&CTarvexTool::DocTypeByNumber(row.flow_kind, row.number), &row) << row.name;
    numbers.insert(row.number);
  }
  EXPECT_EQ(TarvexDocTypes().size(), 34u);
  EXPECT_EQ(numbers.size(), 34u);
  EXPECT_EQ(numbers.count(27), 0u);
  EXPECT_EQ(*numbers.begin(), 1);
  EXPECT_EQ(*numbers.rbegin(), 35);
}

TEST(CTarvexTool, EveryTransactionRowIsReachableBothWays) {
  for (const rTarvexTransactType& row : TarvexTransactTypes()) {
    EXPECT_EQ(&CTarvexTool::TransactionByNumber(row.number), &row) << row.name;
    EXPECT_EQ(&CTarvexTool::TransactionNumber(row.flow_kind, row.code), &row) << row.name;
    EXPECT_EQ(CTarvexTool::FlowTypeByTransaction(row.number).flow_kind, row.flow_kind);
  }
}
