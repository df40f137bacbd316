// The key command as a user runs it: texts in UTF-8 on the command line.
#include <gtest/gtest.h>

#include <string>

#include "platform/kernel/codepage.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/keys_tool.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"

namespace {

CommandResult Tool(const std::string& arguments) { return KeysTool(arguments + " 2>/dev/null"); }

// A container's name on the command line, in UTF-8 as a user types it.
std::string QuotedName(const std::string& cp1251) { return Quoted(AnsiToUtf8(cp1251)); }

TEST(TarvexKeysTest, ImportsListsAndLeavesNothingOfAFailedImport) {
  CryptRoots roots;
  EXPECT_EQ("", Tool("list").output);
  const std::string key = Quoted(PkiPath("signer.key"));
  // The key with another signer's certificate: refused, and the new
  // container goes again.
  EXPECT_EQ(1,
            Tool("import " + QuotedName("чужой") + " " + key + " " + Quoted(PkiPath("signer2.cer")))
                .status);
  EXPECT_EQ(1, Tool("import " + QuotedName("нет ключа") + " " + Quoted(PkiPath("root.cer")) + " " +
                    Quoted(PkiPath("signer.cer")))
                   .status);
  EXPECT_EQ("", Tool("list").output);

  ASSERT_EQ(0, Tool("import " + QuotedName("\\\\.\\HDIMAGE\\Иванов") + " " + key + " " +
                    Quoted(PkiPath("signer.cer")))
                   .status);
  ASSERT_EQ(0, Tool("import --machine " + QuotedName("машинный") + " " + key + " " +
                    Quoted(PkiPath("signer.cer")))
                   .status);
  // Each container with its certificate's thumbprint and subject.
  const std::string certificate =
      "    " + OpensslSha1(PkiPath("signer.cer")) + "  C=RU, CN=Иванов Иван Иванович\n";
  EXPECT_EQ(AnsiToUtf8("\\\\.\\HDIMAGE\\Иванов\n" + certificate), Tool("list").output);
  EXPECT_EQ(AnsiToUtf8("машинный\n" + certificate), Tool("list --machine").output);
  // An existing container is never overwritten.
  EXPECT_EQ(1, Tool("import " + QuotedName("\\\\.\\HDIMAGE\\Иванов") + " " + key + " " +
                    Quoted(PkiPath("signer.cer")))
                   .status);
  EXPECT_EQ(2, Tool("import only-two-arguments").status);
}

}  // namespace
