#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/model/reg_doc.h"
#include "editor/model/reg_opf.h"
#include "editor/model/reg_org.h"
#include "platform/kernel/codepage.h"
#include "tests/support/bounded_child.h"
#include "tests/support/temp_dir.h"

namespace {

// Books are written in cp1251, as they are shipped.
const std::string kRegDoc = R"(<?xml version="1.0" encoding="windows-1251"?>
<Справочник>
  <Заявитель Актуал="1" Тип="1" Наим="Индивидуальный предприниматель">
    <Заявление КодРег="11001a" НаимРег="Регистрация ИП" ПолнНаим="Заявление о регистрации ИП"
               КратНаим="Р21001" КодСВДРЕГ="21001" КодТипДок="01" МинКол="1" МаксКол="1" ОГРН="0">
      <Документ КодТипДок="03" ПолнНаим="Копия паспорта" КратНаим="Паспорт" КодСВДРЕГ="02001"
                МинКол="1" МаксКол="1"/>
      <Документ КодТипДок="04" ПолнНаим="Квитанция об уплате" КратНаим="Госпошлина"
                КодСВДРЕГ="03001" МинКол="0" МаксКол="2"/>
    </Заявление>
    <Заявление КодРег="14001" НаимРег="Изменение сведений об ИП" ПолнНаим="Заявление об изменениях"
               КратНаим="Р24001" КодСВДРЕГ="24001" КодТипДок="01" МинКол="1" МаксКол="3" ОГРН="1"/>
  </Заявитель>
  <Заявитель Актуал="0" Тип="2" Наим="Старый вид">
    <Заявление КодРег="11001A" НаимРег="Устаревшее" ПолнНаим="-" КратНаим="-" КодСВДРЕГ="9"
               КодТипДок="01" МинКол="1" МаксКол="1" ОГРН="0"/>
  </Заявитель>
  <Заявитель Актуал="1" Тип="0" Наим="Юридическое лицо">
    <Заявление КодРег="11001A" НаимРег="Регистрация ЮЛ" ПолнНаим="Заявление о регистрации ЮЛ"
               КратНаим="Р11001" КодСВДРЕГ="11001" КодТипДок="01" МинКол="1" МаксКол="1" ОГРН="1">
      <Документ КодТипДок="03" ПолнНаим="Устав" КратНаим="Устав" КодСВДРЕГ="02001" МинКол="1"
                МаксКол="1"/>
    </Заявление>
  </Заявитель>
</Справочник>
)";

const std::string kRegOrg = R"(<?xml version="1.0" encoding="windows-1251"?>
<Справочник>
  <Орган Тип="0" КодСОУН="7701" Наим="ИФНС 1" НаимПолн="Инспекция № 1" КодСПРО="7701"/>
  <Орган Тип="1" КодСОУН="" Наим="Минюст" НаимПолн="Министерство юстиции" КодСПРО="0001"/>
  <Орган Тип="0" КодСОУН="7746" Наим="МИФНС 46" НаимПолн="Межрайонная инспекция № 46"
         КодСПРО="7746"/>
</Справочник>
)";

const std::string kDocPrefix = "Ошибка загрузки справочника регистрационных документов:\r\n";
const std::string kOrgPrefix = "Ошибка загрузки справочника рег.органов:\r\n";
const std::string kOpfPrefix =
    "Ошибка загрузки справочника видов организационно-правовых форм:\r\n";

class ReferenceBooksTest : public testing::Test {
 protected:
  // The book's cp1251 path. Short fixtures get the declaration of the
  // shipped books.
  std::string Book(const std::string& name, const std::string& bytes) {
    const std::string declared = bytes.rfind("<?xml", 0) == 0
                                     ? bytes
                                     : "<?xml version='1.0' encoding='windows-1251'?>" + bytes;
    std::ofstream(dir_.Path() + "/" + AnsiToUtf8(name), std::ios::binary) << declared;
    return Utf8ToAnsi(dir_.Path()) + "\\" + name;
  }
  std::string Missing() const { return Utf8ToAnsi(dir_.Path()) + "\\нет.xml"; }

  TempDir dir_;
};

template <typename T>
std::vector<std::string> Texts(const TObjectList<T>& list) {
  std::vector<std::string> texts;
  for (const auto& item : list) texts.push_back(item.Text);
  return texts;
}

using Texts_ = std::vector<std::string>;

TEST_F(ReferenceBooksTest, LoadTypesAppendsTheCurrentApplicantKinds) {
  TXMLRegDoc reader;
  TObjectList<TRegType> types;
  types.push_back({"прежний", nullptr});
  std::string message;
  ASSERT_TRUE(reader.LoadTypes(Book("regdoc.xml", kRegDoc), types, message)) << message;
  EXPECT_EQ(Texts(types),
            (Texts_{"прежний", "Индивидуальный предприниматель", "Юридическое лицо"}));
  EXPECT_EQ(types[1].Object->Тип, 1);
  EXPECT_EQ(types[2].Object->Наим, "Юридическое лицо");
  EXPECT_EQ(TXMLRegDoc::IndexOfType(0, &types), 2);
  EXPECT_EQ(TXMLRegDoc::IndexOfType(2, &types), -1);
  EXPECT_EQ(TXMLRegDoc::IndexOfType(0, nullptr), -1);
}

TEST_F(ReferenceBooksTest, LoadKindsByTypeFilterAndKey) {
  const std::string path = Book("regdoc.xml", kRegDoc);
  TXMLRegDoc reader;
  std::string message;
  reader.KeyAttribute = "НаимРег";
  ASSERT_TRUE(reader.LoadKinds(path, message, -1)) << message;
  EXPECT_EQ(Texts(reader.Items),
            (Texts_{"Регистрация ИП", "Изменение сведений об ИП", "Регистрация ЮЛ"}));
  const TRegDocType& change = *reader.Items[1].Object;
  EXPECT_EQ(change.КодРег, "14001");
  EXPECT_EQ(change.Тип, 1);
  EXPECT_EQ(change.ПолнНаим, "Заявление об изменениях");
  EXPECT_EQ(change.КратНаим, "Р24001");
  EXPECT_EQ(change.КодСВДРЕГ, "24001");
  EXPECT_EQ(change.КодТипДок, "01");
  EXPECT_EQ(change.МинКол, 1);
  EXPECT_EQ(change.МаксКол, 3);
  EXPECT_EQ(change.IsKind, 0);
  EXPECT_EQ(change.OgrnRequired, 1);
  EXPECT_EQ(reader.Items[0].Object->OgrnRequired, 0);
  // Codes fold a-z only; the first match wins.
  EXPECT_EQ(reader.IndexOfRegCode("11001A"), 0);
  EXPECT_EQ(reader.IndexOfRegCode("14001"), 1);
  EXPECT_EQ(reader.IndexOfRegCode("9"), -1);
  EXPECT_EQ(reader.IndexOfSvdregCode("11001"), 2);

  reader.KeyAttribute = "";
  ASSERT_TRUE(reader.LoadKinds(path, message, 0));
  EXPECT_EQ(Texts(reader.Items), (Texts_{"Р11001"}));
  reader.KeyAttribute = "наимрег";  // Cyrillic does not fold: short names
  ASSERT_TRUE(reader.LoadKinds(path, message, 1));
  EXPECT_EQ(Texts(reader.Items), (Texts_{"Р21001", "Р24001"}));
  for (int filter : {2, 5}) {  // a group that is not current, a type nobody has
    ASSERT_TRUE(reader.LoadKinds(path, message, filter));
    EXPECT_TRUE(reader.Items.empty());
  }
}

TEST_F(ReferenceBooksTest, LoadDocumentsOffersWhatThePacketMayStillTake) {
  const std::string path = Book("regdoc.xml", kRegDoc);
  TXMLRegDoc reader;
  reader.KeyAttribute = "КодСВДРЕГ";
  std::string message;
  // Every current group's kind of that code, in document order.
  ASSERT_TRUE(reader.LoadDocuments(path, "11001A", message, {})) << message;
  EXPECT_EQ(Texts(reader.Items), (Texts_{"21001", "02001", "03001", "11001", "02001"}));
  EXPECT_EQ(reader.Items[0].Object->IsKind, 1);
  const TRegDocType& passport = *reader.Items[1].Object;
  EXPECT_EQ(passport.КодРег, "11001a");
  EXPECT_EQ(passport.НаимРег, "Регистрация ИП");
  EXPECT_EQ(passport.Тип, 1);
  EXPECT_EQ(passport.IsKind, 0);
  EXPECT_EQ(passport.OgrnRequired, 0);
  EXPECT_EQ(passport.КратНаим, "Паспорт");
  EXPECT_EQ(passport.ПолнНаим, "Копия паспорта");
  EXPECT_EQ(passport.КодТипДок, "03");
  const TRegDocType& charter = *reader.Items[4].Object;
  EXPECT_EQ(charter.НаимРег, "Регистрация ЮЛ");
  EXPECT_EQ(charter.Тип, 0);
  EXPECT_EQ(charter.OgrnRequired, 1);

  // Single documents already present go, repeatable ones stay; the kind's
  // documents are listed though its own entry is gone.
  ASSERT_TRUE(reader.LoadDocuments(path, "11001a", message, {"21001", "02001", "03001"}));
  EXPECT_EQ(Texts(reader.Items), (Texts_{"03001", "11001"}));
  ASSERT_TRUE(reader.LoadDocuments(path, "14001", message, {"24001"}));
  EXPECT_EQ(Texts(reader.Items), (Texts_{"24001"}));
  ASSERT_TRUE(reader.LoadDocuments(path, "99999", message, {}));
  EXPECT_TRUE(reader.Items.empty());
}

TEST_F(ReferenceBooksTest, RegOrgByTypeKeysAndCodes) {
  const std::string path = Book("regorg.xml", kRegOrg);
  TObjectList<TRegOrg> offices;
  std::string message;
  {
    TXMLRegOrg reader;
    reader.Items = &offices;
    ASSERT_TRUE(reader.Load(path, message, -1)) << message;
    EXPECT_EQ(Texts(offices), (Texts_{"ИФНС 1", "Минюст", "МИФНС 46"}));
    EXPECT_EQ(offices[1].Object->НаимПолн, "Министерство юстиции");
    EXPECT_EQ(offices[1].Object->Тип, 1);
    EXPECT_EQ(TXMLRegOrg::IndexOfSproCode("0001", &offices), 1);
    EXPECT_EQ(TXMLRegOrg::IndexOfSounCode("7746", &offices), 2);
    EXPECT_EQ(TXMLRegOrg::IndexOfSounCode("", &offices), -1);  // though Минюст has ""
    EXPECT_EQ(TXMLRegOrg::IndexOfSounCode("7701", nullptr), -1);

    reader.KeyAttribute = "КодСОУН";
    ASSERT_TRUE(reader.Load(path, message, 0));
    EXPECT_EQ(Texts(offices), (Texts_{"7701", "7746"}));
    reader.KeyAttribute = "НаимПолн";
    ASSERT_TRUE(reader.Load(path, message, 1));
    EXPECT_EQ(Texts(offices), (Texts_{"Министерство юстиции"}));
  }
  EXPECT_TRUE(offices.empty());  // the reader clears its list as it goes

  TXMLRegOrg unassigned;
  EXPECT_FALSE(unassigned.Load(path, message, -1));
  EXPECT_EQ(message.rfind(kOrgPrefix, 0), 0u);
}

TEST_F(ReferenceBooksTest, RegOpfAppendsNamesAndKeepsThemOnFailure) {
  TXMLRegOpf reader;
  std::vector<std::string> forms{"прежняя"};
  std::string message;
  ASSERT_TRUE(
      reader.Load(Book("regopf.xml", "<r><ф Наим='ООО'/><ф Наим='АО'/></r>"), forms, message));
  EXPECT_EQ(forms, (Texts_{"прежняя", "ООО", "АО"}));
  EXPECT_FALSE(reader.Load(Book("regopf.xml", "<r><ф Наим='ПАО'/><ф Код='1'/><ф Наим='НКО'/></r>"),
                           forms, message));
  EXPECT_EQ(forms, (Texts_{"прежняя", "ООО", "АО", "ПАО"}));
  EXPECT_EQ(message, kOpfPrefix + "У элемента \"ф\" нет атрибута \"Наим\"");
}

TEST_F(ReferenceBooksTest, FailuresCarryTheLoadersPrefix) {
  std::string message;
  TXMLRegDoc doc_reader;
  TObjectList<TRegType> types;
  EXPECT_FALSE(doc_reader.LoadKinds(Missing(), message, -1));
  EXPECT_EQ(message, kDocPrefix + "Файл " + Missing() + " не найден!");
  EXPECT_FALSE(doc_reader.LoadTypes(Missing(), types, message));
  EXPECT_EQ(message, kDocPrefix + "Файл " + Missing() + " не найден!");
  EXPECT_FALSE(doc_reader.LoadDocuments(Missing(), "1", message, {}));
  EXPECT_EQ(message, kDocPrefix + "Файл " + Missing() + " не найден");
  TObjectList<TRegOrg> offices;
  TXMLRegOrg org_reader;
  org_reader.Items = &offices;
  EXPECT_FALSE(org_reader.Load(Missing(), message, -1));
  EXPECT_EQ(message, kOrgPrefix + "Файл " + Missing() + " не найден");
  std::vector<std::string> forms;
  EXPECT_FALSE(TXMLRegOpf().Load(Missing(), forms, message));
  EXPECT_EQ(message, kOpfPrefix + "Файл " + Missing() + " не найден");
  EXPECT_FALSE(TXMLRegOpf().Load(Utf8ToAnsi(dir_.Path()), forms, message));  // a folder

  EXPECT_FALSE(doc_reader.LoadKinds(Book("bad.xml", "<r><unclosed></r>"), message, -1));
  EXPECT_EQ(message, kDocPrefix + "Невозможно загрузить справочник");

  const std::pair<std::string, std::string> broken[] = {
      {"<r><g Актуал='1' Тип='1x' Наим='a'/></r>",
       "Значение \"1x\" атрибута \"Тип\" элемента \"g\" не является целым числом"},
      {"<r><g Актуал='' Тип='1' Наим='a'/></r>",
       "Значение \"\" атрибута \"Актуал\" элемента \"g\" не является целым числом"},
      {"<r><g Актуал='99999999999' Тип='1' Наим='a'/></r>",
       "Значение \"99999999999\" атрибута \"Актуал\" элемента \"g\" не является целым числом"},
      {"<r><g Тип='1' Наим='a'/></r>", "У элемента \"g\" нет атрибута \"Актуал\""},
      {"<r><!-- старое --><g Актуал='1' Тип='1' Наим='a'/></r>",
       "Узел \"#comment\" внутри элемента \"r\" не является элементом"},
  };
  for (const auto& [xml, error] : broken) {
    types.clear();
    EXPECT_FALSE(doc_reader.LoadTypes(Book("broken.xml", xml), types, message));
    EXPECT_EQ(message, kDocPrefix + error) << AnsiToUtf8(xml);
  }
  // Signs are read as integers; "+-1" is none.
  EXPECT_TRUE(doc_reader.LoadTypes(Book("signs.xml", "<r><g Актуал='+1' Тип='-3' Наим='a'/></r>"),
                                   types, message));
  EXPECT_EQ(types.back().Object->Тип, -3);
  EXPECT_FALSE(doc_reader.LoadTypes(Book("signs.xml", "<r><g Актуал='+-1' Тип='1' Наим='a'/></r>"),
                                    types, message));

  // What was read before the error stays in the reader's own list.
  const std::string partial =
      "<r><g Актуал='1' Тип='1' Наим='a'><k КодРег='1' НаимРег='n' ПолнНаим='p' КратНаим='s' "
      "КодСВДРЕГ='c' КодТипДок='01' МинКол='1' МаксКол='1' ОГРН='0'/><k КодРег='2'/></g></r>";
  EXPECT_FALSE(doc_reader.LoadKinds(Book("partial.xml", partial), message, -1));
  EXPECT_EQ(Texts(doc_reader.Items), (Texts_{"s"}));
}

// A book of 110 KB whose one entity of 50,000 characters is referred to
// 20,000 times in an attribute would expand to 1 GB on reading: every
// loader refuses it at once, in little memory, naming the file.
TEST_F(ReferenceBooksTest, ABookDeclaringAnEntityIsRefusedInLittleTimeAndMemory) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the sanitizer's allocator ends the process where an allocation would fail";
#endif
  std::string bytes = "<!DOCTYPE Справочник [<!ENTITY e \"" + std::string(50000, 'x') +
                      "\">]><Справочник><Запись Актуал=\"1\" Тип=\"1\" КодСОУН=\"1\" "
                      "КодСПРО=\"1\" НаимПолн=\"1\" Наим=\"";
  for (int i = 0; i < 20000; ++i) bytes += "&e;";
  bytes += "\"/></Справочник>";
  const std::string path = Book("regdoc.xml", bytes);
  const std::string refused = "Невозможно загрузить справочник [" + path +
                              "]: документ объявляет сущность [e], а объявления сущностей не "
                              "допускаются";
  const struct {
    const char* loader;
    std::string prefix;
    std::function<bool(std::string&)> load;
  } cases[] = {
      {"LoadTypes", kDocPrefix,
       [&](std::string& message) {
         TObjectList<TRegType> types;
         return TXMLRegDoc().LoadTypes(path, types, message);
       }},
      {"LoadKinds", kDocPrefix,
       [&](std::string& message) { return TXMLRegDoc().LoadKinds(path, message, -1); }},
      {"LoadDocuments", kDocPrefix,
       [&](std::string& message) { return TXMLRegDoc().LoadDocuments(path, "1", message, {}); }},
      {"TXMLRegOrg", kOrgPrefix,
       [&](std::string& message) {
         TObjectList<TRegOrg> offices;
         TXMLRegOrg reader;
         reader.Items = &offices;
         return reader.Load(path, message, -1);
       }},
      {"TXMLRegOpf", kOpfPrefix,
       [&](std::string& message) {
         std::vector<std::string> forms;
         return TXMLRegOpf().Load(path, forms, message);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.loader);
    const TimedAnswer refusal = InBoundedChildTimed(
        64 << 20, 10,
        [&] {
          std::string message;
          return c.load(message) ? "read" : message;
        },
        dir_.File("answer"));
    EXPECT_LT(refusal.took, std::chrono::seconds(1));
    EXPECT_EQ(c.prefix + refused, refusal.answer);
  }
}

}  // namespace
