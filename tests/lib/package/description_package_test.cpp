// A package whose description another program wrote, as Python writes it
// from the one the library saved: it opens with every document and
// signature, or not at all.
#include <gtest/gtest.h>

#include <string>

#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_signature.h"
#include "lib/package/xml_gpr_package.h"
#include "tests/lib/package/package_test_support.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace {

class RewrittenDescriptionTest : public PackageTest {
 protected:
  std::string Out(const std::string& name) const { return out_.File(name); }

  // Two documents: the statement with a signature, its countersignature
  // and that one's countersignature; the payment with two signatures. Eight
  // files with the description.
  void MakePackage(const std::string& file) {
    CTarvexDoc package;
    ASSERT_TRUE(package.New());
    package.SetDocTransactType(1);
    package.SetSenderType(5);
    package.SetSenderIdentifier("7701");
    package.SetReceiverType(2);
    package.SetReceiverIdentifier("0046");
    CTarvexDocument* statement = package.AddFile();
    statement->SetDocType(1);
    statement->SetContentType("xml");
    statement->SetOriginalFilename("заявление \"А&Б\".xml");
    statement->SetContent("<Заявление/>");
    CTarvexDocument* payment = package.AddFile();
    payment->SetDocType(4);
    payment->SetContentType("pdf");
    payment->SetOriginalFilename("C:\\Мои документы\\платёж.pdf");
    payment->SetContent("%PDF-1.4 платёж");
    auto signer = KeyOf("signer", 5);
    auto signer2 = KeyOf("signer2", 5);
    ASSERT_TRUE(package.SignFile("заявление \"А&Б\".xml", signer.get()));
    ASSERT_TRUE(package.ReSignFile("заявление \"А&Б\".xml", signer2.get()));
    package.GetFileResign(0, 0, 0)->Resign(signer.get());
    ASSERT_TRUE(package.SignFile("платёж.pdf", signer.get()));
    ASSERT_TRUE(package.SignFile("платёж.pdf", signer2.get()));
    ASSERT_TRUE(package.SaveAs(file));
  }

  // The package rewritten by the peer; its line of counts.
  std::string Rewrite(const std::string& package, const std::string& target,
                      const std::string& stranger = "") const {
    // Appended piece by piece: GCC 12 at -O3 sees an overlap in " " + text.
    std::string command = "python3 '" TARVEX_TEST_DIR "/rewrite_description.py'";
    for (const std::string* argument : {&package, &target, &stranger}) {
      if (argument->empty()) continue;
      command += ' ';
      command += Quoted(*argument);
    }
    const CommandResult result = RunCommand(command + " 2>&1");
    EXPECT_EQ(0, result.status) << result.output;
    return result.output;
  }

  TempDir out_;
};

}  // namespace

TEST_F(RewrittenDescriptionTest, OpensWithAllItsDocumentsAndSavesAllItsFiles) {
  MakePackage(Out("package.zip"));
  EXPECT_EQ("2 5\n", Rewrite(Out("package.zip"), Out("rewritten.zip")));

  CTarvexDoc read;
  ASSERT_EQ("no error", ErrorOf([&] { read.Open(Out("rewritten.zip")); }));
  ASSERT_EQ(2, read.GetFileCount());
  EXPECT_EQ("заявление \"А&Б\".xml", read.GetFile(0)->GetOriginalFilename());
  EXPECT_EQ("<Заявление/>", read.GetFile(0)->Content());
  EXPECT_EQ("платёж.pdf", read.GetFile(1)->GetOriginalFilename());
  EXPECT_EQ(1, read.GetFileSignatureCount(0));
  EXPECT_EQ(1, read.GetFileResignCount(0, 0));
  EXPECT_EQ(1, read.GetFileResign(0, 0, 0)->GetResignCount());
  EXPECT_EQ(2, read.GetFileSignatureCount(1));
  TrustChain(kUser);
  read.GetFile(0)->CheckSign(false, true);
  read.GetFile(1)->CheckSign(false, true);

  // Saved again, the package holds every file its description names, and
  // every signature verifies with openssl.
  ASSERT_TRUE(read.SaveAs(Out("saved.zip")));
  const std::string folder = out_.File("peer");
  ASSERT_EQ(0, RunCommand("mkdir " + Quoted(folder)).status);
  std::string command = "python3 '" TARVEX_TEST_DIR "/check_package.py'";
  for (const std::string& argument : {Out("saved.zip"), folder, File("chain.pem")}) {
    command += ' ';
    command += Quoted(argument);
  }
  const CommandResult checked = RunCommand(command + " 2>&1");
  EXPECT_EQ(0, checked.status) << checked.output;
}

TEST_F(RewrittenDescriptionTest, AnElementThatCutsARunShortRefusesThePackage) {
  MakePackage(Out("package.zip"));
  Rewrite(Out("package.zip"), Out("stranger.zip"), "<mark n=\"1\"/>");
  CTarvexDoc read;
  EXPECT_EQ("Не найден ожидаемый узел [подпись] (вместо найденного <mark n=\"1\"/>)",
            ErrorOf([&] { read.Open(Out("stranger.zip")); }));
  EXPECT_FALSE(read.IsOpened());
}
