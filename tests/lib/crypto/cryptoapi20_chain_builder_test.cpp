#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lib/crypto/chain_dates.h"
#include "lib/crypto/crypto_exception.h"
#include "lib/crypto/cryptoapi20_chain_builder_strict.h"
#include "lib/foundation/file_time.h"
#include "tests/lib/crypto/pki_server.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/debug_capture.h"
#include "tests/support/test_pki.h"

namespace {

using Config = CCryptoAPI20ChainBuilderStrictConfig;

// The outcome as the number the test helpers keep beside their sentinels.
constexpr int Num(CheckResult result) { return static_cast<int>(result); }

constexpr uint8_t kNoDownloads = Config::kCheckRevocation;

// What a BuildChain ended with: code -1 for a chain that holds, 0 for an
// error of the general family.
struct Outcome {
  int code = -1;
  std::string message;
};

Outcome OutcomeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const CCryptoAPI20Exception& e) {
    return {Num(e.Code()), e.Message()};
  } catch (const Exception& e) {
    return {0, e.Message()};
  }
  return {};
}

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class ChainBuilderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Moscow time all year: the dates in messages are local.
    ::setenv("TZ", "MSK-3", 1);
    ::tzset();
    server_ = new PkiServer();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  CertRef Cert(const std::string& name) const {
    return CertRef(CertCreateCertificateContext(kMsgEncoding, server_->Pki(name)));
  }
  CrlRef Crl(const std::string& name) const {
    return CrlRef(CertCreateCRLContext(kMsgEncoding, server_->Pki(name)));
  }

  // Puts PKI files (".cer" certificates, ".crl" lists) into a system store
  // of the current user.
  void Store(const char16_t* name, const std::vector<std::string>& files) {
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, kMsgEncoding, nullptr,
                                     CERT_SYSTEM_STORE_CURRENT_USER, name);
    ASSERT_NE(nullptr, store);
    for (const std::string& file : files) {
      if (EndsWith(file, ".crl")) {
        EXPECT_TRUE(CertAddCRLContextToStore(store, Crl(file).get(),
                                             CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
      } else {
        EXPECT_TRUE(CertAddCertificateContextToStore(store, Cert(file).get(),
                                                     CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
      }
    }
    CertCloseStore(store, 0);
  }

  // The usual stores: the root trusted, the intermediate and both lists known.
  void StoreWholeChain() {
    Store(u"ROOT", {"root.cer"});
    Store(u"CA", {"intermediate.cer", "intermediate.crl", "root.crl"});
  }

  std::unique_ptr<CCryptoAPI20ChainBuilderStrict> OpenStrict(uint8_t options, int margin = 0) {
    Config config;
    config.Options = options;
    config.MarginHours = margin;
    auto builder = std::make_unique<CCryptoAPI20ChainBuilderStrict>();
    EXPECT_TRUE(builder->Open(&config));
    return builder;
  }

  Outcome Build(CCryptoAPI20ChainBuilderBase& builder, const std::string& certificate,
                double date = 0) {
    CertRef context = Cert(certificate);
    return OutcomeOf([&] { builder.BuildChain(context.get(), date); });
  }

  double RevocationDate() const {
    CrlRef crl = Crl("intermediate.crl");
    EXPECT_EQ(1u, crl->Info().Entries.size());
    return FileTimeToDateTime(crl->Info().Entries.at(0).RevocationDate);
  }

  static PkiServer* server_;
  CryptRoots roots_;
  DebugCapture debug_;
};

PkiServer* ChainBuilderTest::server_ = nullptr;

TEST_F(ChainBuilderTest, IntermediateOnlyByAiaAndEachAddressFetchedOncePerBuilder) {
  Store(u"ROOT", {"root.cer"});
  server_->Serve({{"intermediate.cer", "intermediate.cer"},
                  {"intermediate.crl", "intermediate.crl"},
                  {"root.crl", "root.crl"}});
  auto builder = OpenStrict(Config().Options);
  const Outcome built = Build(*builder, "signer.cer");
  EXPECT_EQ(-1, built.code) << built.message;
  ASSERT_NE(nullptr, builder->RootCertificate());
  EXPECT_EQ(server_->Pki("root.cer"), builder->RootCertificate()->Encoded());

  // Later runs, and a failing one among them, fetch nothing again.
  EXPECT_EQ(Num(CheckResult::kCertificateDate), Build(*builder, "revoked.cer").code);
  EXPECT_EQ(-1, Build(*builder, "signer.cer").code);
  std::vector<std::string> requests = server_->Requests();
  std::sort(requests.begin(), requests.end());
  EXPECT_EQ((std::vector<std::string>{"/intermediate.cer", "/intermediate.crl", "/root.cer",
                                      "/root.crl"}),
            requests);

  // Another builder fetches for itself; without downloads the stores alone
  // know no intermediate.
  EXPECT_EQ(-1, Build(*OpenStrict(Config().Options), "signer.cer").code);
  EXPECT_EQ(8u, server_->Requests().size());
  EXPECT_EQ(Num(CheckResult::kCaCertificateNotFound),
            Build(*OpenStrict(Config::kDownloadCRLs | kNoDownloads), "signer.cer").code);
}

TEST_F(ChainBuilderTest, CrlOnlyByCdp) {
  Store(u"ROOT", {"root.cer"});
  Store(u"CA", {"intermediate.cer", "root.crl"});
  server_->Serve({{"intermediate.crl", "intermediate.crl"}});
  const Outcome built = Build(*OpenStrict(Config::kDownloadCRLs | kNoDownloads), "signer.cer");
  EXPECT_EQ(-1, built.code) << built.message;
  // The root's list comes from "CA" when its address gives nothing.
  EXPECT_EQ((std::vector<std::string>{"/intermediate.crl", "/root.crl"}), server_->Requests());
  EXPECT_EQ(Num(CheckResult::kCrlNotFound), Build(*OpenStrict(kNoDownloads), "signer.cer").code);
}

TEST_F(ChainBuilderTest, MissingCrlIsCode34WithItsAddress) {
  Store(u"ROOT", {"root.cer"});
  Store(u"CA", {"intermediate.cer", "root.crl"});
  server_->Serve({});
  auto builder = OpenStrict(Config().Options);
  const std::string expected = "Список отозванных сертификатов для [Тестовый УЦ] не найден. " +
                               std::string("URL для скачивания: [") +
                               server_->Url("intermediate.crl") + "]";
  for (int run = 0; run < 2; ++run) {
    const Outcome built = Build(*builder, "signer.cer");
    EXPECT_EQ(Num(CheckResult::kCrlNotFound), built.code);
    EXPECT_EQ(expected, built.message);
  }
  EXPECT_EQ((std::vector<std::string>{"/intermediate.cer", "/intermediate.crl"}),
            server_->Requests());
  const auto& lines = debug_.Lines();
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(),
                                   "[Не удалось скачать список отозванных сертификатов]"));
}

TEST_F(ChainBuilderTest, MissingCaCertificateIsCode35WithItsAddress) {
  const std::string missing = "Не найден сертификат УЦ [Тестовый УЦ]. URL для скачивания: [" +
                              server_->Url("intermediate.cer") + "]";
  struct Case {
    std::vector<std::string> root, ca;
    std::map<std::string, std::string> served;
    std::string message;
    std::string debug_line;  // its start
  } cases[] = {
      {{"root.cer"}, {}, {}, missing, "[Не удалось скачать корневой сертификат]"},
      {{"root.cer"},
       {},
       {{"intermediate.cer", "signer.key"}},
       missing,
       "[По URL [" + server_->Url("intermediate.cer") + "] не CRT: 0x"},
      // A root that comes by download is not trusted.
      {{},
       {"intermediate.cer"},
       {{"root.cer", "root.cer"}},
       "Не найден сертификат УЦ [Тестовый корневой УЦ]. URL для скачивания: [" +
           server_->Url("root.cer") + "]",
       "[Не удалось скачать корневой сертификат]"},
  };
  for (const Case& c : cases) {
    CryptRoots roots;
    Store(u"ROOT", c.root);
    Store(u"CA", c.ca);
    server_->Serve(c.served);
    debug_.Clear();
    const Outcome built = Build(*OpenStrict(Config::kDownloadCACertificates), "signer.cer");
    EXPECT_EQ(Num(CheckResult::kCaCertificateNotFound), built.code);
    EXPECT_EQ(c.message, built.message);
    EXPECT_NE(debug_.Lines().end(), std::find_if(debug_.Lines().begin(), debug_.Lines().end(),
                                                 [&](const std::string& line) {
                                                   return line.rfind(c.debug_line, 0) == 0;
                                                 }))
        << c.debug_line;
  }
}

TEST_F(ChainBuilderTest, ADownloadStoppedByItsLimitIsNamedWithTheAddressAndTheLimit) {
  const std::string crl = server_->Url("intermediate.crl");
  const std::string ca = server_->Url("intermediate.cer");
  const struct {
    std::vector<std::string> ca_store;
    std::string served;
    uint8_t options;
    int code;
    std::string message;
  } cases[] = {
      {{"intermediate.cer", "root.crl"},
       "intermediate.crl",
       Config().Options,
       Num(CheckResult::kCrlNotFound),
       "Список отозванных сертификатов для [Тестовый УЦ] не найден. URL для скачивания: [" + crl +
           "]. Ответ сервера по адресу [" + crl + "] больше 67108864 байт"},
      {{},
       "intermediate.cer",
       Config::kDownloadCACertificates,
       Num(CheckResult::kCaCertificateNotFound),
       "Не найден сертификат УЦ [Тестовый УЦ]. URL для скачивания: [" + ca +
           "]. Ответ сервера по адресу [" + ca + "] больше 67108864 байт"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.served);
    CryptRoots roots;
    Store(u"ROOT", {"root.cer"});
    Store(u"CA", c.ca_store);
    server_->Serve({{c.served, PkiServer::kEndless}});
    auto builder = OpenStrict(c.options);
    // The next run fetches nothing again and still knows why.
    for (int run = 0; run < 2; ++run) {
      const Outcome built = Build(*builder, "signer.cer");
      EXPECT_EQ(c.code, built.code);
      EXPECT_EQ(c.message, built.message);
    }
    const std::vector<std::string> requests = server_->Requests();
    EXPECT_EQ(1, std::count(requests.begin(), requests.end(), "/" + c.served));
  }
}

TEST_F(ChainBuilderTest, CertificateWithoutAddressesLeavesDebugLinesOnly) {
  // The forged pair is a chain of its own, and its intermediate names no
  // address at all.
  Store(u"ROOT", {"forged-root.cer"});
  server_->Serve({});
  const Outcome built = Build(*OpenStrict(Config().Options), "forged-intermediate.cer");
  EXPECT_EQ(Num(CheckResult::kCrlNotFound), built.code);
  EXPECT_EQ("Список отозванных сертификатов для [Тестовый корневой УЦ] не найден", built.message);
  const auto& lines = debug_.Lines();
  for (const char* line :
       {"[EXCEPTION В сертификате [Тестовый УЦ] нет URL для корневого УЦ [Тестовый корневой УЦ]]",
        "[Не удалось скачать корневой сертификат]",
        "[EXCEPTION В сертификате [Тестовый УЦ] нет URL со списком отозванных сертификатов "
        "[Тестовый корневой УЦ]]",
        "[Не удалось скачать список отозванных сертификатов]"}) {
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line)) << line;
  }
  EXPECT_TRUE(server_->Requests().empty());
  EXPECT_EQ(-1, Build(*OpenStrict(Config().Options & ~Config::kCheckRevocation),
                      "forged-intermediate.cer")
                    .code);
}

TEST_F(ChainBuilderTest, RevocationAtTheSigningDate) {
  StoreWholeChain();
  const double revoked = RevocationDate();
  struct Case {
    double date;
    int margin;
    int code;
    std::string tail;
  } cases[] = {
      {revoked - 2, 0, -1, ""},
      {revoked - 2, 24, -1, ""},
      {0, 0, Num(CheckResult::kCertificateDate),
       "] сертификат был отозван [" + DateText(revoked) + "]"},
      {revoked - 1.0 / 24, 24, Num(CheckResult::kCertificateDate),
       "] недопустимо близка к дате отзыва сертификата [" + DateText(revoked) + "]"},
  };
  for (const Case& c : cases) {
    const Outcome built = Build(*OpenStrict(kNoDownloads, c.margin), "revoked.cer", c.date);
    EXPECT_EQ(c.code, built.code) << built.message;
    EXPECT_TRUE(EndsWith(built.message, c.tail)) << built.message;
  }
  // The same stores pass a signer that no list names.
  EXPECT_EQ(-1, Build(*OpenStrict(kNoDownloads), "signer.cer").code);
}

TEST_F(ChainBuilderTest, ValidityOfTheSignerWithItsMargin) {
  StoreWholeChain();
  CertRef expired = Cert("expired.cer");
  const double not_before = FileTimeToDateTime(expired->Info().NotBefore);
  const double not_after = FileTimeToDateTime(expired->Info().NotAfter);
  const std::string period = " [01.01.2021 3:00:00 - 01.01.2022 3:00:00]";
  struct Case {
    double date;
    int margin;
    int code;
    std::string message;  // the whole message, or its end after "..."
  } cases[] = {
      {not_before, 0, -1, ""},
      {not_after - 25.0 / 24, 24, -1, ""},
      {not_after, 0, Num(CheckResult::kCertificateDate),
       "Дата подписи [01.01.2022 3:00:00] вне срока действия сертификата" + period},
      {0, 0, Num(CheckResult::kCertificateDate), "...] вне срока действия сертификата" + period},
      {not_after - 23.0 / 24, 24, Num(CheckResult::kCertificateDate),
       "Дата подписи [31.12.2021 4:00:00] недопустимо близка к окончанию срока действия "
       "сертификата" +
           period},
      // The future is refused before any other date test.
      {LocalNow() + 1, 0, Num(CheckResult::kChainError),
       "...] больше текущей даты [" + DateText(LocalNow())},
  };
  for (const Case& c : cases) {
    const Outcome built = Build(*OpenStrict(kNoDownloads, c.margin), "expired.cer", c.date);
    EXPECT_EQ(c.code, built.code) << built.message;
    if (c.message.rfind("...", 0) == 0) {
      EXPECT_NE(std::string::npos, built.message.find(c.message.substr(3))) << built.message;
    } else {
      EXPECT_EQ(c.message, built.message);
    }
  }
}

TEST_F(ChainBuilderTest, CrlPastItsNextUpdate) {
  Store(u"ROOT", {"root.cer"});
  Store(u"CA", {"intermediate.cer", "root.crl"});
  server_->Serve({{"intermediate.crl", "stale-intermediate.crl"}});
  const Outcome built = Build(*OpenStrict(Config().Options), "signer.cer");
  EXPECT_EQ(Num(CheckResult::kChainError), built.code);
  EXPECT_EQ(0u, built.message.find("Нет актуального списка отозванных сертификатов "
                                   "[01.01.2023 3:00:00] на дату подписи ["))
      << built.message;
  EXPECT_TRUE(
      EndsWith(built.message, "]. URL для скачивания: [" + server_->Url("intermediate.crl") + "]"))
      << built.message;
}

TEST_F(ChainBuilderTest, ForgedIntermediateIsNoIssuer) {
  const std::string missing = "Не найден сертификат УЦ [Тестовый УЦ]. URL для скачивания: [" +
                              server_->Url("intermediate.cer") + "]";
  {
    // Fetched by its address.
    Store(u"ROOT", {"root.cer"});
    server_->Serve({{"intermediate.cer", "forged-intermediate.cer"},
                    {"intermediate.crl", "intermediate.crl"},
                    {"root.crl", "root.crl"}});
    const Outcome built = Build(*OpenStrict(Config().Options), "signer.cer");
    EXPECT_EQ(Num(CheckResult::kCaCertificateNotFound), built.code);
    EXPECT_EQ(missing, built.message);
  }
  struct Case {
    std::vector<std::string> ca;
    int code;
  } cases[] = {
      {{"forged-intermediate.cer"}, Num(CheckResult::kCaCertificateNotFound)},
      {{"forged-intermediate.cer", "intermediate.cer"}, -1},
  };
  for (const Case& c : cases) {
    CryptRoots roots;
    Store(u"ROOT", {"root.cer"});
    Store(u"CA", c.ca);
    CCryptoAPI20ChainBuilderBaseConfig config;
    CCryptoAPI20ChainBuilderBase builder;
    ASSERT_TRUE(builder.Open(&config));
    const Outcome built = Build(builder, "signer.cer");
    EXPECT_EQ(c.code, built.code) << built.message;
    if (c.code == Num(CheckResult::kCaCertificateNotFound)) {
      EXPECT_EQ(missing, built.message);
    }
  }
}

TEST_F(ChainBuilderTest, ForgedCrlIsNotTaken) {
  const std::string missing = "Список отозванных сертификатов для [Тестовый УЦ] не найден. " +
                              std::string("URL для скачивания: [") +
                              server_->Url("intermediate.crl") + "]";
  struct Case {
    std::vector<std::string> ca;
    bool served;  // the forged list at the CDP address
    int code;
  } cases[] = {
      {{"intermediate.cer", "root.crl"}, true, Num(CheckResult::kCrlNotFound)},
      // A forged list newer than the true one does not take its place.
      {{"intermediate.cer", "intermediate.crl", "root.crl"},
       true,
       Num(CheckResult::kCertificateDate)},
      {{"intermediate.cer", "forged-intermediate.crl", "root.crl"},
       false,
       Num(CheckResult::kCrlNotFound)},
  };
  for (const Case& c : cases) {
    CryptRoots roots;
    Store(u"ROOT", {"root.cer"});
    Store(u"CA", c.ca);
    server_->Serve(c.served ? std::map<std::string, std::string>{{"intermediate.crl",
                                                                  "forged-intermediate.crl"}}
                            : std::map<std::string, std::string>{});
    const Outcome built = Build(*OpenStrict(Config::kDownloadCRLs | kNoDownloads), "revoked.cer");
    EXPECT_EQ(c.code, built.code) << built.message;
    if (c.code == Num(CheckResult::kCrlNotFound)) {
      EXPECT_EQ(missing, built.message);
    }
  }
}

TEST_F(ChainBuilderTest, SelfSignedSignerIsARootOnlyWhenTrusted) {
  server_->Serve({});
  const Outcome untrusted = Build(*OpenStrict(Config().Options), "selfsigned.cer");
  EXPECT_EQ(Num(CheckResult::kCaCertificateNotFound), untrusted.code);
  EXPECT_EQ("Не найден сертификат УЦ [Самозванец]", untrusted.message);

  Store(u"ROOT", {"selfsigned.cer"});
  auto builder = OpenStrict(Config().Options);
  EXPECT_EQ(-1, Build(*builder, "selfsigned.cer").code);
  EXPECT_EQ(server_->Pki("selfsigned.cer"), builder->RootCertificate()->Encoded());
  EXPECT_TRUE(server_->Requests().empty());
}

TEST_F(ChainBuilderTest, BaseWalkSkipsAnIssuerOutOfDate) {
  StoreWholeChain();
  CCryptoAPI20ChainBuilderBaseConfig config;
  CCryptoAPI20ChainBuilderBase builder;
  ASSERT_TRUE(builder.Open(&config));
  // The base walk checks no signing date against the clock.
  const double in_2030 = 47484, mid_2050 = 54940;
  EXPECT_EQ(-1, Build(builder, "signer.cer", in_2030).code);
  const Outcome late = Build(builder, "signer.cer", mid_2050);
  EXPECT_EQ(Num(CheckResult::kCaCertificateNotFound), late.code);
  EXPECT_EQ("Не найден сертификат УЦ [Тестовый УЦ]. URL для скачивания: [" +
                server_->Url("intermediate.cer") + "]",
            late.message);
  EXPECT_EQ(nullptr, builder.RootCertificate());
}

TEST_F(ChainBuilderTest, LifecycleAndArguments) {
  CCryptoAPI20ChainBuilderStrict builder;
  EXPECT_FALSE(builder.IsOpened());
  EXPECT_EQ("Документ не открыт", Build(builder, "signer.cer").message);
  EXPECT_EQ("Передан пустой аргумент: config",
            OutcomeOf([&] {
              builder.Open(static_cast<CCryptoAPI20ChainBuilderBaseConfig*>(nullptr));
            }).message);

  CCryptoAPI20ChainBuilderBaseConfig base_config;
  EXPECT_EQ(
      "Конфигурация построителя цепочки не подходит: нужна CCryptoAPI20ChainBuilderStrictConfig",
      OutcomeOf([&] { builder.Open(&base_config); }).message);
  EXPECT_FALSE(builder.IsOpened());

  Config config;
  config.StoreLocation = 7;
  EXPECT_EQ("Недоступное хранилище: [7]", OutcomeOf([&] { builder.Open(&config); }).message);
  EXPECT_FALSE(builder.IsOpened());

  EXPECT_EQ("Неверное значение аргумента [29.12.1899]",
            OutcomeOf([&] { config.SetVerificationTime(-1.25); }).message);
  config.SetVerificationTime(0);
  EXPECT_NEAR(LocalNow(), config.VerificationTime, 1.0 / 86400);

  config.StoreLocation = 2;
  EXPECT_TRUE(builder.Open(&config));
  EXPECT_TRUE(builder.IsOpened());
  EXPECT_TRUE(builder.Close());
  EXPECT_FALSE(builder.IsOpened());
  EXPECT_TRUE(builder.Close());
}

TEST(ChainDatesTest, TextsAndLocalClock) {
  struct Case {
    double date;
    const char* date_time;
    const char* date_only;
  } cases[] = {
      {0, "30.12.1899", "30.12.1899"},
      {45000, "15.03.2023", "15.03.2023"},
      {45000 + (9 * 3600 + 5 * 60 + 7) / 86400.0, "15.03.2023 9:05:07", "15.03.2023"},
      {45000.5, "15.03.2023 12:00:00", "15.03.2023"},
      {45000 + 86399.9996 / 86400, "16.03.2023", "16.03.2023"},
      {-1.5, "29.12.1899 12:00:00", "29.12.1899"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.date_time, DateTimeText(c.date)) << c.date;
    EXPECT_EQ(c.date_only, DateText(c.date)) << c.date;
  }

  ::setenv("TZ", "MSK-3", 1);
  ::tzset();
  const double utc_now = static_cast<double>(std::time(nullptr)) / 86400 + 25569;
  EXPECT_NEAR(utc_now + 3.0 / 24, LocalNow(), 2.0 / 86400);
}

}  // namespace
