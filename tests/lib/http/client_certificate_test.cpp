// The client certificate of the current user's "MY" store, offered to a GOST
// TLS server (openssl s_server) that asks for one.
#include <gtest/gtest.h>

#include <string>

#include "lib/foundation/exception.h"
#include "lib/http/https_client.h"
#include "platform/crypt/cert_store.h"
#include "tests/lib/http/failure_of.h"
#include "tests/platform/inet/gost_tls_server.h"
#include "tests/platform/inet/test_http_server.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/keys_tool.h"
#include "tests/support/openssl.h"
#include "tests/support/test_pki.h"

namespace {

const std::string kNeeded =
    "Ошибка при отправке запроса: [Не удалось соединиться с сервером: сервер требует сертификат "
    "клиента, а его нет или сервер его не принял (код 12044)]";

class ClientCertificateTest : public testing::Test {
 protected:
  void SetUp() override {
    // Key and certificate go in as a user puts them: with the command.
    ASSERT_EQ(0, ImportKeyFiles("Клиент", PkiPath("signer2.key"), PkiPath("signer2.cer")));
    client_.Config().ClientCertSha1 = OpensslSha1(PkiPath("signer2.cer"));
  }

  CryptRoots roots_;
  CHttpsClient client_;
};

TEST_F(ClientCertificateTest, OfferedWhenTheServerAsks) {
  GostTlsServer server({PkiPath("root.cer"), PkiPath("intermediate.cer")});
  server.Put("intermediate.crl", Pki("intermediate.crl"));
  EXPECT_EQ(Pki("intermediate.crl"), client_.Get(server.Url("/intermediate.crl")));
  // The first send goes without it, as the server has not asked yet.
  EXPECT_EQ(1, server.RefusedClientCertificates(1));
}

TEST_F(ClientCertificateTest, ServerThatKeepsAskingFailsTheRequest) {
  GostTlsServer server({PkiPath("signer.cer")});  // trusts another issuer
  EXPECT_EQ(kNeeded, FailureOf(client_, server.Url("/a.crl")));
  // Once without the certificate, then twice with it.
  EXPECT_EQ(3, server.RefusedClientCertificates(3));
}

// An EC server over TLS 1.3 (Python's) has no use for a GOST certificate:
// it keeps asking, and the request ends as with any server that does.
TEST_F(ClientCertificateTest, ServerOfAnotherAlgorithm) {
  TestHttpServer server({.tls_name = "127.0.0.1", .client_cert = true});
  EXPECT_EQ(kNeeded, FailureOf(client_, server.Url("/a.crl")));
}

TEST_F(ClientCertificateTest, NoCertificateToAttach) {
  {
    // In "MY", but bound to no key container.
    HCERTSTORE my = CertOpenSystemStoreA(nullptr, "MY");
    ASSERT_NE(nullptr, my);
    PCCERT_CONTEXT root = CertCreateCertificateContext(kMsgEncoding, Pki("root.cer"));
    ASSERT_TRUE(CertAddCertificateContextToStore(my, root, CERT_STORE_ADD_NEW, nullptr));
    CertFreeCertificateContext(root);
    CertCloseStore(my, 0);
  }
  GostTlsServer server({PkiPath("root.cer"), PkiPath("intermediate.cer")});
  const std::string attach = "Ошибка при отправке запроса: [Ошибка установки сертификата: [";
  const std::pair<std::string, std::string> cases[] = {
      {OpensslSha1(PkiPath("signer.cer")), attach + "Ошибка получения контекста сертификата]]"},
      {OpensslSha1(PkiPath("root.cer")),
       attach + "Не удалось соединиться с сервером: Client authorization is not set up on this "
                "computer. (код 12046)]]"},
      {"", kNeeded},  // none is set: nothing to attach
  };
  for (const auto& [sha1, message] : cases) {
    SCOPED_TRACE(sha1);
    client_.Config().ClientCertSha1 = sha1;
    EXPECT_EQ(message, FailureOf(client_, server.Url("/a.crl")));
  }
  EXPECT_EQ(3, server.RefusedClientCertificates(3));
}

}  // namespace
