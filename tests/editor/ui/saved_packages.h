// Packages for the window to open, made as the editor's model makes them
// with the real library module, and the odd ones through the package
// object itself. Paths are cp1251.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "editor/model/ip_packet.h"
#include "editor/model/ole_check.h"
#include "editor/model/ole_string.h"
#include "editor/model/ul_packet.h"
#include "platform/com/com_ref.h"
#include "platform/kernel/codepage.h"
#include "tests/editor/model/signer_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"

class SavedPackages {
 public:
  explicit SavedPackages(const TempDir& folder) : folder_(folder) {}

  // The packages are signed with this thumbprint's key, put in already,
  // rather than with a signer of their own.
  void UseSigner(const std::string& sha1) { signer_ = sha1; }

  std::string Input(const std::string& name, const std::string& bytes) const {
    WriteBytes(folder_.File(AnsiToUtf8(name)), bytes);
    return Utf8ToAnsi(folder_.File(AnsiToUtf8(name)));
  }

  // An entrepreneur's registration: the application and a passport copy,
  // both signed, the paper documents sent by post.
  std::string Entrepreneur() {
    TNewIPPacket packet;
    Fill(packet, "21001");
    packet.ПрВысБум = "2";
    packet.Applicant = {"500100732259", "", "ivanov@example.ru", "Иванов", "Иван", "Иванович"};
    if (!Begin(packet)) return {};
    Add(packet, "заявление.pdf", "01", "21001", "Заявление");
    Add(packet, "паспорт.pdf", "03", "02001", "Паспорт");
    return Save(packet);
  }

  // A non-profit organisation's registration, decided by the justice body
  // of Moscow, with two applicants.
  std::string LegalEntity() {
    TULPacket packet;
    Fill(packet, "11101");
    packet.КодМЮиЦБ = "0077";
    packet.Entity = {"Автономная некоммерческая организация \"Ромашка\"", ""};
    packet.AddApplicant("Иванов", "Иван", "Иванович", "ivanov@example.ru", "500100732259");
    packet.AddApplicant("Петров", "Пётр", "", "petrov@example.ru", "");
    if (!Begin(packet)) return {};
    Add(packet, "заявление.pdf", "01", "11101", "Заявление");
    Add(packet, "устав.pdf", "03", "01002", "Устав");
    return Save(packet);
  }

  // A registration package of the entrepreneur's transaction without an
  // inventory.
  std::string WithoutInventory() {
    TPacket packet;
    Fill(packet, "21001");
    packet.TransactionType = TRANSACTION_TYPE_IP_REG_IP;
    packet.SenderType = SIGN_ROLE_TYPE_APPLICANT;
    packet.ReceiverType = SIGN_ROLE_TYPE_ZUK;
    if (!Begin(packet)) return {};
    Add(packet, "заявление.pdf", "01", "21001", "Заявление");
    std::string message;
    const std::string path = Utf8ToAnsi(folder_.File(AnsiToUtf8("без описи.zip")));
    EXPECT_TRUE(packet.ValidateAndSave(message, path)) << AnsiToUtf8(message);
    return path;
  }

  // The entrepreneur's package with one more document that its inventory
  // does not list; its document code in `code`.
  std::string WithUnlistedDocument(std::string& code) {
    const std::string listed = Entrepreneur();
    TPacket packet;
    std::string message;
    EXPECT_TRUE(packet.OpenPacket(listed, message)) << AnsiToUtf8(message);
    const int32_t index = packet.AddDocumentSafe(Input("лишний.pdf", "%PDF-1.4 лишний"), "03", "",
                                                 "Лишний", false, 0, message);
    EXPECT_GE(index, 0) << AnsiToUtf8(message);
    code = packet.Documents.back()->DocumentCode;
    return SavedAs(packet, "с лишним.zip");
  }

  // The entrepreneur's package with its inventory replaced by an unsigned
  // one of that name and text.
  std::string WithInventory(const std::string& name, const std::string& text) {
    TPacket packet;
    std::string message;
    EXPECT_TRUE(packet.OpenPacket(Entrepreneur(), message)) << AnsiToUtf8(message);
    EXPECT_TRUE(packet.DeleteDocumentSafe(packet.IndexOfFileByDocTypeCode("07"), message))
        << AnsiToUtf8(message);
    ITarvexFile* raw = nullptr;
    OleCheck(packet.Package->AddFile(OleString("ОписьДокументовИП").get(), OleString("07").get(),
                                     OleString("xml").get(), OleString(name).get(),
                                     OleString(text).get(), &raw));
    const ComRef<ITarvexFile> held(raw);
    return SavedAs(packet, "другая опись.zip");
  }

  // A receipt: a package of another transaction type, with one file.
  std::string Receipt() {
    TPacket packet;
    packet.TransactionType = TRANSACTION_TYPE_IP_RECEIPT;
    if (!Begin(packet)) return {};
    ITarvexFile* raw = nullptr;
    OleCheck(packet.Package->AddFile(OleString("РаспискаПриемДокум").get(), OleString("31").get(),
                                     OleString("pdf").get(), OleString("расписка.pdf").get(),
                                     OleString("%PDF-1.4 расписка").get(), &raw));
    const ComRef<ITarvexFile> held(raw);
    OleCheck(packet.Package->put_SenderType(SIGN_ROLE_TYPE_ZUK));
    OleCheck(packet.Package->put_ReceiverType(SIGN_ROLE_TYPE_APPLICANT));
    OleCheck(packet.Package->put_SenderIdentifier(OleString("7746").get()));
    OleCheck(packet.Package->put_ReceiverIdentifier(OleString("500100732259").get()));
    return SavedAs(packet, "расписка.zip");
  }

 private:
  void Fill(TPacket& packet, const std::string& kind) {
    if (signer_.empty()) signer_ = ImportSigner("signer");
    packet.OutputFolder = Utf8ToAnsi(folder_.Path());
    packet.SenderId = "500100732259";
    packet.ReceiverId = "7746";
    packet.DocTypeCode = "01";
    packet.КодСФРД = kind;
    packet.ProgramVersion = "Tarvex 1.0";
    packet.SignCertSha1 = signer_;
  }
  bool Begin(TPacket& packet) {
    std::string message;
    EXPECT_TRUE(packet.NewPacket(message)) << AnsiToUtf8(message);
    return message.empty();
  }
  void Add(TPacket& packet, const std::string& file, const std::string& type,
           const std::string& svdreg, const std::string& name) {
    std::string message;
    EXPECT_GE(packet.AddDocumentSafe(Input(file, "%PDF-1.4 " + name), type, svdreg, name, true, 0,
                                     message),
              0)
        << AnsiToUtf8(message);
  }
  // Saves the packet's package, as it is, under the name in the folder.
  std::string SavedAs(TPacket& packet, const std::string& name) {
    const std::string path = Utf8ToAnsi(folder_.File(AnsiToUtf8(name)));
    VARIANT_BOOL done = VARIANT_FALSE;
    OleCheck(packet.Package->Save(OleString(path).get(), &done));
    return path;
  }
  std::string Save(TPacket& packet) {
    std::string message;
    EXPECT_TRUE(packet.ValidateAndSave(message, "")) << AnsiToUtf8(message);
    return packet.PackagePath();
  }

  const TempDir& folder_;
  std::string signer_;
};
