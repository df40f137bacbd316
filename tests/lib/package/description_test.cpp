#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <typeinfo>

#include "lib/foundation/exception.h"
#include "lib/foundation/guid_routines.h"
#include "lib/package/tarvex_tool.h"
#include "lib/package/xml_gpr_package.h"
#include "tests/support/error_of.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

namespace {

std::string TextOf(CXMLGprPackage& package) {
  CXMLTextWriter writer;
  package.SaveTo(&writer);
  return writer.GetXML();
}

std::unique_ptr<CXMLGprExtPackage> Read(const std::string& text) {
  auto package = CXMLGprExtPackage::Create();
  package->SetXMLText(text);
  package->Load();
  return package;
}

CXMLGprExtSignature* AddSignature(CXMLGprExtSignatureCollection& list, const std::string& name,
                                  uint8_t role) {
  CXMLGprExtSignature* signature = list.Add();
  signature->SetFileName(name);
  signature->SetRole(role);
  return signature;
}

// A legal entity's registration with all three parties, one document with
// content, an original name that needs escaping and three levels of
// countersignatures, and one bare document. tests/lib/package/
// check_description.py knows this sample.
std::unique_ptr<CXMLGprExtPackage> Sample() {
  auto package = CXMLGprExtPackage::Create();
  const rTarvexThreadType& flow = CTarvexTool::FlowTypeByTransaction(1);
  const rTarvexTransactType& transaction = CTarvexTool::TransactionByNumber(1);
  package->SetThreadType(flow.name);
  package->SetThreadTypeCode(flow.code);
  package->SetTransactType(transaction.name);
  package->SetTransactTypeCode(transaction.code);
  package->SetProgVersion("QimTarvex");
  package->Sender().SetSubjectIdentifier("7701");
  package->Sender().SetSubjectType(5);
  package->SpecialOperator().SetSubjectIdentifier("2ae-op");
  package->SpecialOperator().SetSubjectType(3);
  package->Receiver().SetSubjectIdentifier("0046");
  package->Receiver().SetSubjectType(2);

  CXMLGprExtDocument* first = package->Documents().Add();
  const rTarvexDocType& type = CTarvexTool::DocTypeByNumber(1, 1);
  first->SetDocumentTypeCode(type.code);
  first->SetDocumentType(type.name);
  first->SetContentType("xml");
  first->SetEncrypted(true);
  first->SetDocumentCode(NewGuidHex());
  first->SetOriginalFileName("заявление \"А&Б\" <1>.xml");
  first->SetFileName(std::string(type.stem) + "_" + first->DocumentCode() + ".xml");
  CXMLGprExtSignature* a = AddSignature(first->Signatures(), "a.p7s", 5);
  CXMLGprExtSignature* a1 = AddSignature(a->Resigns(), "a.p7s_1.p7s", 6);
  CXMLGprExtSignature* a11 = AddSignature(a1->Resigns(), "a.p7s_1.p7s_1.p7s", 4);
  AddSignature(a11->Resigns(), "a.p7s_1.p7s_1.p7s_1.p7s", 7);
  AddSignature(a->Resigns(), "a.p7s_2.p7s", 9);
  AddSignature(first->Signatures(), "b.p7s", 1);

  CXMLGprExtDocument* second = package->Documents().Add();
  second->SetDocumentTypeCode("04");
  second->SetDocumentType("ПДГоспошлина");
  second->SetContentType("pdf");
  second->SetCompressed(true);
  return package;
}

// "name role [countersignatures]" of a signature tree.
std::string Tree(CXMLGprExtSignatureCollection& list) {
  std::string text;
  for (int i = 0; i < list.Count(); ++i) {
    CXMLGprExtSignature* s = list.Item(i);
    if (!text.empty()) text += " ";
    text += s->FileName() + ":" + std::to_string(s->Role());
    if (s->Resigns().Count() > 0) text += " [" + Tree(s->Resigns()) + "]";
  }
  return text;
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n";
const std::string kRoot =
    "<ТрансИнф версияФормата=\"ЗЮК:0.9\" кодТипаДокументооборота=\"ИП\" "
    "типДокументооборота=\"РегистрацияИП\" кодТипаТранзакции=\"01\" "
    "типТранзакции=\"ДокумРегистрацияИП\" "
    "идентификаторДокументооборота=\"0123456789abcdef0123456789abcdef\" ВерсПрог=\"Другая 2.0\">";
const std::string kParties =
    "<отправитель идентификаторСубъекта=\"1\" типСубъекта=\"заявитель\"/>"
    "<получатель идентификаторСубъекта=\"2\" типСубъекта=\"налоговыйОрган\"/>";
const std::string kCode32 = "0123456789abcdef0123456789abcdef";

// A description whose only document carries `attributes` and `children`.
std::string WithDocument(const std::string& attributes, const std::string& children = "") {
  return kDeclaration + kRoot + kParties + "<документ " + attributes + ">" + children +
         "</документ></ТрансИнф>";
}

const std::string kDocumentAttributes =
    "кодТипаДокумента=\"01\" типДокумента=\"ЗаявлениеИП\" типСодержимого=\"xml\" сжат=\"false\" "
    "зашифрован=\"false\" идентификаторДокумента=\"" +
    kCode32 + "\"";

// `blank` separates the element name from the first attribute.
std::string Signature(const std::string& name, const std::string& inner = "",
                      const std::string& blank = " ") {
  const std::string head = "<подпись" + blank + "имяФайла=\"" + name + "\" роль=\"заявитель\"";
  return inner.empty() ? head + "/>" : head + ">" + inner + "</подпись>";
}

std::string Document(const std::string& children, const std::string& blank = " ") {
  return "<документ" + blank + kDocumentAttributes + ">" + children + "</документ>";
}

std::string Described(const std::string& documents) {
  return kDeclaration + kRoot + kParties + documents + "</ТрансИнф>";
}

// The signature trees of the documents, " / " between documents.
std::string Trees(CXMLGprExtPackage& package) {
  std::string text;
  for (int i = 0; i < package.Documents().Count(); ++i) {
    if (i > 0) text += " / ";
    text += Tree(package.Documents().Item(i)->Signatures());
  }
  return text;
}

}  // namespace

TEST(XMLGprPackage, ExtendedPackageMakesExtendedParts) {
  auto extended = CXMLGprExtPackage::Create();
  CXMLGprPackage& as_base = *extended;
  EXPECT_EQ(typeid(as_base.Documents()), typeid(CXMLGprExtDocumentCollection));
  CXMLGprDocument* document = as_base.Documents().Add();
  EXPECT_EQ(typeid(*document), typeid(CXMLGprExtDocument));
  EXPECT_EQ(typeid(document->Signatures()), typeid(CXMLGprExtSignatureCollection));
  CXMLGprSignature* signature = document->Signatures().Add();
  ASSERT_EQ(typeid(*signature), typeid(CXMLGprExtSignature));
  auto& ext = static_cast<CXMLGprExtSignature&>(*signature);
  EXPECT_EQ(ext.Depth(), 0);
  EXPECT_EQ(ext.Resigns().Add()->Depth(), 1);

  auto base = CXMLGprPackage::Create();
  EXPECT_EQ(typeid(base->Documents()), typeid(CXMLGprDocumentCollection));
  CXMLGprDocument* plain = base->Documents().Add();
  EXPECT_EQ(typeid(*plain), typeid(CXMLGprDocument));
  EXPECT_EQ(typeid(plain->Signatures()), typeid(CXMLGprSignatureCollection));
  EXPECT_EQ(typeid(*plain->Signatures().Add()), typeid(CXMLGprSignature));
  EXPECT_EQ(base->SpecialOperator().ElementName(), "спецоператор");
}

TEST(XMLGprPackage, WriteReadWriteGivesTheSameBytes) {
  TempDir dir;
  auto package = Sample();
  package->SaveToFile(dir.File("first.xml"));
  const std::string first = ReadBytes(dir.File("first.xml"));

  auto read = Read(first);
  EXPECT_EQ(read->Documents().Count(), 2);
  EXPECT_EQ(Tree(read->Documents().Item(0)->Signatures()),
            "a.p7s:5 [a.p7s_1.p7s:6 [a.p7s_1.p7s_1.p7s:4 [a.p7s_1.p7s_1.p7s_1.p7s:7]] "
            "a.p7s_2.p7s:9] b.p7s:4");
  EXPECT_EQ(read->Documents().Item(0)->OriginalFileName(), "заявление \"А&Б\" <1>.xml");
  read->SaveToFile(dir.File("second.xml"));
  EXPECT_EQ(ReadBytes(dir.File("second.xml")), first);
}

TEST(XMLGprPackage, IndependentParserSeesTheFormat) {
  TempDir dir;
  const std::string file = dir.File("packageDescription.xml");
  Sample()->SaveToFile(file);
  const std::string command = "python3 '" TARVEX_TEST_DIR "/check_description.py' '" + file + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST(XMLGprPackage, MissingIdentifiersAreMadeOnceAndKept) {
  auto package = Sample();
  package->SetFlowIdentifier("");
  CXMLGprExtDocument* bare = package->Documents().Item(1);
  const std::string text = TextOf(*package);
  const std::string flow = package->FlowIdentifier();
  EXPECT_EQ(flow.size(), 32u);
  EXPECT_EQ(flow.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(bare->DocumentCode().size(), 32u);
  EXPECT_NE(text.find("идентификаторДокументооборота=\"" + flow + "\""), std::string::npos);
  EXPECT_NE(text.find("идентификаторДокумента=\"" + bare->DocumentCode() + "\""),
            std::string::npos);
  EXPECT_EQ(TextOf(*package), text);
}

TEST(XMLGprPackage, ReadHeaderIsKeptAndOptionalPartsLeftOut) {
  auto package = Read(kDeclaration + kRoot + kParties + "</ТрансИнф>");
  EXPECT_EQ(package->ThreadTypeCode(), "ИП");
  EXPECT_EQ(package->TransactType(), "ДокумРегистрацияИП");
  EXPECT_EQ(package->SpecialOperator().SubjectIdentifier(), "");
  EXPECT_EQ(package->Receiver().SubjectType(), 2);
  EXPECT_EQ(package->Documents().Count(), 0);
  const std::string text = TextOf(*package);
  EXPECT_NE(text.find("версияФормата=\"ЗЮК:1.0\""), std::string::npos) << text;
  EXPECT_NE(text.find("ВерсПрог=\"Другая 2.0\""), std::string::npos) << text;
  EXPECT_EQ(text.find("спецоператор"), std::string::npos) << text;
  EXPECT_EQ(text.find("документ"), std::string::npos) << text;

  auto with_operator =
      Read(kDeclaration + kRoot +
           "<отправитель идентификаторСубъекта=\"1\" типСубъекта=\"заявитель\"/>"
           "<спецоператор типСубъекта=\"спецоператор\" идентификаторСубъекта=\"op\"/>"
           "<получатель идентификаторСубъекта=\"2\" типСубъекта=\"абонент\"/></ТрансИнф>");
  EXPECT_EQ(with_operator->SpecialOperator().SubjectIdentifier(), "op");
  EXPECT_EQ(with_operator->SpecialOperator().SubjectType(), 3);
  EXPECT_EQ(with_operator->Receiver().SubjectType(), 4);
}

// Attributes in any order; a missing flag is false, "1" or "true" in any
// case is true.
TEST(XMLGprDocument, ReadsAttributesInAnyOrderAndFlags) {
  struct Case {
    std::string flags;
    bool compressed, encrypted;
  } cases[] = {
      {"", false, false},
      {"сжат=\"1\" зашифрован=\"TRUE\"", true, true},
      {"сжат=\"True\" зашифрован=\"yes\"", true, false},
      {"сжат=\"0\" зашифрован=\"true\"", false, true},
  };
  for (const Case& c : cases) {
    auto package = Read(WithDocument(
        "идентификаторДокумента=\"" + kCode32 +
            "\" типСодержимого=\"pdf\" типДокумента=\"ЗаявлениеИП\" кодТипаДокумента=\"01\" " +
            c.flags,
        "<содержимое имяФайла=\"z.pdf\"/>" + Signature("s.p7s")));
    ASSERT_EQ(package->Documents().Count(), 1) << c.flags;
    CXMLGprExtDocument* d = package->Documents().Item(0);
    EXPECT_EQ(d->Compressed(), c.compressed) << c.flags;
    EXPECT_EQ(d->Encrypted(), c.encrypted) << c.flags;
    EXPECT_EQ(d->DocumentTypeCode(), "01");
    EXPECT_EQ(d->DocumentType(), "ЗаявлениеИП");
    EXPECT_EQ(d->ContentType(), "pdf");
    EXPECT_EQ(d->DocumentCode(), kCode32);
    EXPECT_EQ(d->OriginalFileName(), "");
    EXPECT_EQ(d->FileName(), "z.pdf");
    EXPECT_EQ(Tree(d->Signatures()), "s.p7s:5");
  }
}

TEST(XMLGprPackage, ReaderRefusals) {
  const std::string long_type(51, 'x');
  struct Case {
    std::string text;
    std::string expected;
  } cases[] = {
      {kDeclaration + "<Файл ВерсФорм=\"9.02\"/>", "Элемент [ТрансИнф] не найден"},
      {kDeclaration + kRoot +
           "<отправитель типСубъекта=\"заявитель\"/><получатель идентификаторСубъекта=\"2\" "
           "типСубъекта=\"абонент\"/></ТрансИнф>",
       "Передан пустой аргумент: SubjectIdentifier"},
      {kDeclaration + kRoot +
           "<получатель идентификаторСубъекта=\"2\" типСубъекта=\"абонент\"/>"
           "</ТрансИнф>",
       "Не найден ожидаемый узел [отправитель] (вместо найденного <получатель "
       "идентификаторСубъекта=\"2\" типСубъекта=\"абонент\"/>)"},
      {kDeclaration + kRoot +
           "<отправитель идентификаторСубъекта=\"1\" типСубъекта=\"Заявитель\"/></ТрансИнф>",
       "Неизвестный тип субъекта: [Заявитель]"},
      {WithDocument(
           "типДокумента=\"ЗаявлениеИП\" типСодержимого=\"xml\" идентификаторДокумента=\"" +
           kCode32 + "\""),
       "Передан пустой аргумент: DocumentTypeCode"},
      {WithDocument("кодТипаДокумента=\"01\" типДокумента=\"" + long_type + "\""),
       "Длина переменной [DocumentType] больше [50]"},
      {WithDocument("кодТипаДокумента=\"011\" типДокумента=\"ЗаявлениеИП\""),
       "Длина переменной [DocumentTypeCode = \"011\"] должна быть равной [2]"},
      {WithDocument("кодТипаДокумента=\"01\" типДокумента=\"ЗаявлениеИП\""),
       "Передан пустой аргумент: ContentType"},
      {WithDocument("кодТипаДокумента=\"01\" типДокумента=\"ЗаявлениеИП\" типСодержимого=\"x\" "
                    "идентификаторДокумента=\"abc\""),
       "Длина переменной [DocumentCode = \"abc\"] должна быть равной [32]"},
      {WithDocument(kDocumentAttributes, "<подпись имяФайла=\"s.p7s\" роль=\"покупатель\"/>"),
       "Неизвестная роль: {покупатель}"},
      // A countersignature left open runs into the document's end.
      {WithDocument(kDocumentAttributes,
                    "<подпись имяФайла=\"s.p7s\" роль=\"заявитель\">" + Signature("c.p7s")),
       "Не найден ожидаемый узел [подпись] (вместо найденного )"},
      {WithDocument(kDocumentAttributes, "<подпись имяФайла=\"s.p7s\" роль=\"заявитель\">" +
                                             Signature("c.p7s") + "</документ>" + Signature("d")),
       "Не найден ожидаемый узел [подпись] (вместо найденного )"},
      {WithDocument(kDocumentAttributes, Signature("s.p7s", "<отметка/>")),
       "Не найден ожидаемый узел [подпись] (вместо найденного <отметка/>)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { Read(c.text); }), c.expected) << c.text;
  }
}

TEST(XMLGprPackage, WriterRefusals) {
  struct Case {
    std::function<void(CXMLGprExtPackage&)> spoil;
    std::string expected;
  } cases[] = {
      {[](CXMLGprExtPackage& p) { p.Sender().SetSubjectType(0); }, "Неизвестный тип субъекта: [0]"},
      {[](CXMLGprExtPackage& p) { p.Receiver().SetSubjectType(12); },
       "Неизвестный тип субъекта: [12]"},
      {[](CXMLGprExtPackage& p) { p.Documents().Item(0)->Signatures().Item(0)->SetRole(0); },
       "Неизвестная роль: [0]"},
      {[](CXMLGprExtPackage& p) {
         p.Documents().Item(0)->Signatures().Item(0)->Resigns().Item(0)->SetFileName("");
       },
       "Попытка записи пустого значения в атрибут [имяФайла]"},
      {[](CXMLGprExtPackage& p) { p.Documents().Add(); },
       "Попытка записи пустого значения в атрибут [кодТипаДокумента]"},
  };
  for (const Case& c : cases) {
    auto package = Sample();
    c.spoil(*package);
    EXPECT_EQ(ErrorOf([&] { TextOf(*package); }), c.expected);
  }
  auto unnamed = CXMLGprExtPackage::Create();
  EXPECT_EQ(ErrorOf([&] { TextOf(*unnamed); }),
            "Попытка записи пустого значения в атрибут [кодТипаДокументооборота]");
}

TEST(XMLGprPackage, SaveToFileWritesNothingOnFailure) {
  TempDir dir;
  const std::string file = dir.File("packageDescription.xml");
  std::ofstream(file) << "old";
  auto package = Sample();
  package->Sender().SetSubjectType(0);
  EXPECT_EQ(ErrorOf([&] { package->SaveToFile(file); }), "Неизвестный тип субъекта: [0]");
  EXPECT_EQ(ReadBytes(file), "old");
}

TEST(XMLGprPackage, Setters) {
  auto package = CXMLGprExtPackage::Create();
  CXMLGprExtDocument* d = package->Documents().Add();
  CXMLGprExtSignature* s = d->Signatures().Add();
  const std::string fifty(50, 'x'), fifty_one(51, 'x'), forty_one(41, 'x');
  struct Case {
    std::function<void()> set;
    std::string expected;
  } cases[] = {
      {[&] { package->Sender().SetSubjectIdentifier(""); },
       "Передан пустой аргумент: SubjectIdentifier"},
      {[&] { d->SetContentType(""); }, "Передан пустой аргумент: ContentType"},
      {[&] { d->SetDocumentCode(kCode32 + "0"); },
       "Длина переменной [DocumentCode = \"" + kCode32 + "0\"] должна быть равной [32]"},
      {[&] { d->SetDocumentCode(""); }, "Передан пустой аргумент: DocumentCode"},
      {[&] { d->SetDocumentType(fifty_one); }, "Длина переменной [DocumentType] больше [50]"},
      {[&] { d->SetDocumentType(fifty); }, "no error"},
      {[&] { d->SetDocumentTypeCode("1"); },
       "Длина переменной [DocumentTypeCode = \"1\"] должна быть равной [2]"},
      {[&] { package->SetProgVersion(""); },
       "ProgVersion: длина строки должна быть от 1 до 40 символов"},
      {[&] { package->SetProgVersion(forty_one); },
       "ProgVersion: длина строки должна быть от 1 до 40 символов"},
      {[&] { package->SetThreadType(""); }, "Передан пустой аргумент: ThreadType"},
      {[&] { package->SetThreadType(fifty_one); }, "Длина переменной [ThreadType] больше [50]"},
      {[&] { package->SetThreadTypeCode("Ю"); },
       "Длина переменной [ThreadTypeCode = \"Ю\"] должна быть равной [2]"},
      {[&] { package->SetTransactType(fifty_one); }, "Длина переменной [TransactType] больше [50]"},
      {[&] { package->SetTransactTypeCode(""); }, "Передан пустой аргумент: TransactTypeCode"},
      // The extended family takes file names of any length, empty included.
      {[&] { d->SetFileName("short.pdf"); }, "no error"},
      {[&] { s->SetFileName(""); }, "no error"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ErrorOf(cases[i].set), cases[i].expected) << "case " << i;
  }
}

TEST(XMLGprPackage, BaseFamilyKeepsFileNamesOf36Characters) {
  auto package = CXMLGprPackage::Create();
  CXMLGprDocument* d = package->Documents().Add();
  CXMLGprSignature* s = d->Signatures().Add();
  const std::string n35(35, 'a'), n36(36, 'a'), n37(37, 'a');
  EXPECT_EQ(ErrorOf([&] { s->SetFileName(n35); }),
            "Длина переменной [FileName = \"" + n35 + "\"] должна быть равной [36]");
  EXPECT_EQ(ErrorOf([&] { s->SetFileName(n37); }),
            "Длина переменной [FileName = \"" + n37 + "\"] должна быть равной [36]");
  EXPECT_EQ(ErrorOf([&] { s->SetFileName(""); }), "Передан пустой аргумент: FileName");
  EXPECT_EQ(ErrorOf([&] { d->SetFileName(n35); }),
            "Длина переменной [FileName = \"" + n35 + "\"] должна быть равной [36]");
  EXPECT_EQ(ErrorOf([&] { s->SetFileName(n36); }), "no error");
  EXPECT_EQ(ErrorOf([&] { d->SetFileName(n36); }), "no error");
  EXPECT_EQ(ErrorOf([&] { d->SetFileName(""); }), "no error");
  EXPECT_EQ(s->FileName(), n36);

  // Read by the base family, nested signatures become signatures of the
  // document; the extended family keeps the tree.
  const std::string text = WithDocument(
      kDocumentAttributes, Signature(n36, Signature(n36 + "1")) + Signature(n36 + "2"));
  auto base = CXMLGprPackage::Create();
  base->SetXMLText(text);
  EXPECT_EQ(ErrorOf([&] { base->Load(); }),
            "Длина переменной [FileName = \"" + n36 + "1\"] должна быть равной [36]");
  EXPECT_EQ(Tree(Read(text)->Documents().Item(0)->Signatures()),
            n36 + ":5 [" + n36 + "1:5] " + n36 + "2:5");
}

TEST(XMLGprExtSignature, NestingDepthIsBounded) {
  const int max = CXMLGprExtSignature::kMaxResignDepth;
  auto package = Sample();
  CXMLGprExtSignature* deepest = package->Documents().Item(1)->Signatures().Add();
  deepest->SetFileName("d.p7s");
  deepest->SetRole(5);
  for (int depth = 1; depth <= max; ++depth) {
    deepest = AddSignature(deepest->Resigns(), std::to_string(depth) + ".p7s", 6);
  }
  EXPECT_EQ(deepest->Depth(), max);
  EXPECT_EQ(ErrorOf([&] { deepest->Resigns().Add(); }),
            "Глубина вложенности подписей [65] больше [64]");
  EXPECT_EQ(deepest->Resigns().Count(), 0);

  const std::string text = TextOf(*package);
  auto read = Read(text);
  EXPECT_EQ(TextOf(*read), text);

  std::string nested = Signature("x.p7s");
  for (int depth = 0; depth <= max; ++depth) nested = Signature("x.p7s", nested);
  EXPECT_EQ(ErrorOf([&] { Read(WithDocument(kDocumentAttributes, nested)); }),
            "Глубина вложенности подписей [65] больше [64]");
}

// A value may hold text that looks like another attribute: the document is
// read as an XML parser reads it, and saving it changes nothing of it.
TEST(XMLGprDocument, AttributeTextInsideAValueIsReadAsThatValueAndSavedSo) {
  const std::string decoy = "ffffffffffffffffffffffffffffffff";
  const std::string original = " идентификаторДокумента=\"" + decoy + "\" ";
  auto package = Read(WithDocument("исходноеИмяФайла='" + original + "' " + kDocumentAttributes));
  ASSERT_EQ(package->Documents().Count(), 1);
  const CXMLGprExtDocument* read = package->Documents().Item(0);
  EXPECT_EQ(read->DocumentCode(), kCode32);
  EXPECT_EQ(read->OriginalFileName(), original);

  auto again = Read(TextOf(*package));
  const CXMLGprExtDocument* reread = again->Documents().Item(0);
  EXPECT_EQ(reread->DocumentCode(), kCode32);
  EXPECT_EQ(reread->OriginalFileName(), original);

  EXPECT_EQ(ErrorOf([&] { Read(WithDocument("исходноеИмяФайла=\"a.pdf")); }),
            "Не закрыта кавычка значения атрибута [исходноеИмяФайла]: <документ "
            "исходноеИмяФайла=\"a.pdf>");
}

// A run of documents, signatures or countersignatures ends only where the
// description says: an element of another name inside it would otherwise
// end it unnoticed, and the package would open without what follows.
TEST(XMLGprPackage, ARunCutShortByAnotherElementIsRefused) {
  const std::string other = "<прочее a=\"1\"/>";
  const std::string content = "<содержимое имяФайла=\"z.pdf\"/>";
  // After a document comes its first signature or the next document: the
  // run of its signatures is the one that sees the stranger.
  const std::string expected =
      "Не найден ожидаемый узел [подпись] (вместо найденного " + other + ")";
  struct Case {
    std::string documents;
    std::string expected;
  } cases[] = {
      {Document("") + other + Document(""), expected},
      {Document(Signature("a")) + other + Document(Signature("b")), expected},
      {Document(Signature("a")) + Document(Signature("b")) + other, expected},
      {Document(Signature("a") + other + Signature("b")), expected},
      {Document(content + other + Signature("a")), expected},
      {Document(Signature("a") + content),
       "Не найден ожидаемый узел [подпись] (вместо найденного " + content + ")"},
      {Document(Signature("a", Signature("a1") + other + Signature("a2"))), expected},
      {Document(Signature("a", other + Signature("a1"))), expected},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { Read(Described(c.documents)); }), c.expected) << c.documents;
  }
}

// What lies between the elements of a run and changes nothing of it: it is
// read whole.
TEST(XMLGprPackage, RunsReadWholeWithInstructionsCommentsAndBrokenLines) {
  struct Case {
    std::string between;  // between two elements of a run
    std::string blank;    // between an element name and its first attribute
  } cases[] = {
      {"<?обработка x=\"1\"?>", " "},
      {"\r\n<!-- <прочее/> -->\r\n<![CDATA[<прочее/>]]>", " "},
      {"", "\r\n"},
      {"", "\n\r"},
      {"\r\n", "\r\n\t"},
  };
  for (const Case& c : cases) {
    const std::string& b = c.between;
    const std::string documents =
        Document(Signature("a", Signature("a1", "", c.blank) + b + Signature("a2", "", c.blank)) +
                     b + Signature("b", "", c.blank),
                 c.blank) +
        b + Document(Signature("c"), c.blank) + b + Document("", c.blank);
    std::string description;
    ASSERT_EQ(ErrorOf([&] { description = Trees(*Read(Described(documents))); }), "no error")
        << documents;
    EXPECT_EQ(description, "a:5 [a1:5 a2:5] b:5 / c:5 / ") << documents;
  }
}