#include "lib/http/https_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "lib/http/download_limit_exception.h"
#include "lib/http/http_status_exception.h"
#include "lib/http/internet_error_texts.h"
#include "tests/lib/http/failure_of.h"
#include "tests/platform/inet/test_http_server.h"
#include "tests/support/debug_capture.h"
#include "tests/support/time_out.h"

namespace {

std::string ConnectFailure(const char* step, const char* text, int code) {
  return std::string(step) + ": [Не удалось соединиться с сервером: " + text + " (код " +
         std::to_string(code) + ")]";
}

TEST(HttpsClient, RequestAsTheServerLogsIt) {
  TestHttpServer server;
  CHttpsClient client;
  EXPECT_EQ("ok", client.Get(server.Url("/aia/ca.cer")));
  client.Config().UserAgent = "Agent/2";
  EXPECT_EQ("ok", client.Get(server.Url("/second")));

  const std::vector<LoggedRequest> requests = server.Requests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ("GET", requests[0].method);
  EXPECT_EQ("/aia/ca.cer", requests[0].target);
  EXPECT_EQ(server.Port(), requests[0].port);
  EXPECT_EQ("QIM-KESTRIN-HTTPSClient", requests[0].headers.at("user-agent"));
  EXPECT_EQ("no-cache", requests[0].headers.at("cache-control"));
  EXPECT_EQ("Agent/2", requests[1].headers.at("user-agent"));
}

TEST(HttpsClient, WholeBodies) {
  TestHttpServer server;
  CHttpsClient client;
  for (const size_t size : {size_t{0}, size_t{1024}, size_t{2} << 20}) {
    SCOPED_TRACE(size);
    EXPECT_EQ(PatternBytes(size), client.Get(server.Url("/bytes/" + std::to_string(size))));
  }
}

TEST(HttpsClient, AcceptsAnyServerCertificate) {
  TestServerOptions expired{.tls_name = "127.0.0.1"};
  expired.expired = true;
  const TestServerOptions servers[] = {
      {.tls_name = "127.0.0.1"}, {.tls_name = "wrong.tarvex.invalid"}, expired};
  CHttpsClient client;
  for (const TestServerOptions& options : servers) {
    TestHttpServer server(options);
    SCOPED_TRACE(options.tls_name + (options.expired ? " expired" : ""));
    EXPECT_EQ(PatternBytes(16), client.Get(server.Url("/bytes/16")));
  }
}

TEST(HttpsClient, StatusCheckedOnlyWhenAsked) {
  TestHttpServer server;
  CHttpsClient client;
  EXPECT_EQ("status 404", client.Get(server.Url("/status/404")));

  client.Config().CheckStatus = true;
  EXPECT_EQ("ok", client.Get(server.Url("/fine")));
  DebugCapture debug;
  try {
    client.Get(server.Url("/status/404"));
    ADD_FAILURE();
  } catch (const CHttpStatusException& error) {
    EXPECT_EQ(404u, error.StatusCode());
    EXPECT_EQ("Not Found", error.Message());  // no step message around it
  }
  EXPECT_EQ(std::vector<std::string>{"[EXCEPTION Not Found]"}, debug.Lines());
}

TEST(HttpsClient, FailureMessages) {
  TestHttpServer server;
  TestHttpServer client_cert({.tls_name = "127.0.0.1", .client_cert = true});
  const std::string refused = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/a.crl";
  const std::pair<std::string, std::string> cases[] = {
      {"", "Передан пустой URL"},
      {"ca.example", "Ошибка при разборе URL [ca.example]: [Нет разделителя \"://\" после схемы]"},
      {refused,
       ConnectFailure("Ошибка при отправке запроса", "не удалось подключиться к серверу", 12029)},
      {client_cert.Url("/a.crl"),
       ConnectFailure("Ошибка при отправке запроса",
                      "сервер требует сертификат клиента, а его нет или сервер его не принял",
                      12044)},
      // The body breaks off: no partial body passes for a whole one.
      {server.Url("/truncated"),
       ConnectFailure("Ошибка при получении ответа",
                      "сервер оборвал ответ, не передав его до объявленной длины", 12030)},
      // Causes that share a code are told apart by the platform's text.
      {server.Url("/no-status"),
       ConnectFailure("Ошибка при отправке запроса",
                      "ответ сервера не начинается со строки состояния HTTP", 12152)},
      {server.Url("/long-header"),
       ConnectFailure("Ошибка при отправке запроса",
                      "строка заголовка ответа сервера длиннее 100 КБ", 12152)},
  };
  CHttpsClient client;
  for (const auto& [url, message] : cases) {
    SCOPED_TRACE(url);
    EXPECT_EQ(message, FailureOf(client, url));
  }
}

TEST(HttpsClient, SilentServerEndsWithTheReceiveTimeOut) {
  TestServerOptions options;
  options.silent = true;
  TestHttpServer silent(options);
  CHttpsClient client;
  client.Config().ReceiveTimeout = 300;
  ExpectEndedByTimeOut(std::chrono::milliseconds(300), [&] {
    EXPECT_EQ(ConnectFailure("Ошибка при отправке запроса",
                             "сервер молчит дольше отведённого времени", 12002),
              FailureOf(client, silent.Url("/a.crl")));
  });
}

// The message of a failed download of `url` and, when one of the limits
// stopped it, that limit's sentence, which a chain check adds to its own.
std::pair<std::string, std::string> StoppedBy(CHttpsClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const CDownloadLimitException& error) {
    return {error.Message(), error.Limit()};
  } catch (const Exception& error) {
    return {error.Message(), "(no limit)"};
  }
  return {"(no error)", "(no limit)"};
}

TEST(HttpsClient, DownloadsAreBoundedInSizeAndInTime) {
  TestHttpServer server;
  CHttpsClient client;
  client.Config().MaxBodySize = 4096;
  client.Config().TransferTimeout = 500;
  EXPECT_EQ(PatternBytes(4096), client.Get(server.Url("/bytes/4096")));

  const std::string endless = server.Url("/endless");
  const std::string too_long = "Ответ сервера по адресу [" + endless + "] больше 4096 байт";
  EXPECT_EQ(std::make_pair("Ошибка при получении ответа: [" + too_long + "]", too_long),
            StoppedBy(client, endless));
  // A byte every 100 ms keeps the receive time-out from ever running out.
  const std::pair<std::string, std::string> drips[] = {
      {server.Url("/drip-head"), "Ошибка при отправке запроса"},
      {server.Url("/drip-body"), "Ошибка при получении ответа"},
  };
  for (const auto& [url, step] : drips) {
    const std::string too_slow = "Загрузка с адреса [" + url + "] не завершилась за 500 мс";
    ExpectEndedByTimeOut(std::chrono::milliseconds(500), [&] {
      EXPECT_EQ(std::make_pair(step + ": [" + too_slow + "]", too_slow), StoppedBy(client, url));
    });
  }
}

TEST(HttpsClient, ProxyConfiguration) {
  TestHttpServer proxy;
  TestHttpServer origin;
  CHttpsClient client;
  client.Config().Proxy = {"127.0.0.1", std::to_string(proxy.Port()), "user", "secret"};
  EXPECT_EQ("ok", client.Get(origin.Url("/via-proxy")));
  client.Config().UseProxy = false;
  EXPECT_EQ("ok", client.Get(origin.Url("/direct")));

  const std::vector<LoggedRequest> at_proxy = proxy.Requests();
  ASSERT_EQ(1u, at_proxy.size());
  EXPECT_EQ(origin.Url("/via-proxy"), at_proxy[0].target);
  EXPECT_EQ("Basic dXNlcjpzZWNyZXQ=", at_proxy[0].headers.at("proxy-authorization"));
  const std::vector<LoggedRequest> at_origin = origin.Requests();
  ASSERT_EQ(1u, at_origin.size());
  EXPECT_EQ("/direct", at_origin[0].target);
}

TEST(HttpsClient, InternetErrorTexts) {
  // Every code of the table has its own text; the ranges leave no gaps.
  std::vector<uint32_t> codes = {6, 18, 234, 259, 12052, 12053};
  for (uint32_t code = 12001; code <= 12033; ++code) codes.push_back(code);
  for (uint32_t code = 12036; code <= 12050; ++code) codes.push_back(code);
  for (uint32_t code = 12150; code <= 12171; ++code) codes.push_back(code);
  for (const uint32_t code : codes) EXPECT_NE("Error", InternetErrorText(code)) << code;
  for (const uint32_t code : {0u, 5u, 12034u, 12035u, 12051u, 12054u, 12149u, 12172u}) {
    EXPECT_EQ("Error", InternetErrorText(code)) << code;
  }
  EXPECT_EQ("The server is requesting client authentication.", InternetErrorText(12044));
  EXPECT_EQ("SSL certificate common name (host name field) is incorrect.",
            InternetErrorText(12038));

  try {
    CHttpsClient::RaiseInternetError(12345);
  } catch (const Exception& error) {
    EXPECT_EQ("Не удалось соединиться с сервером: Error (код 12345)", error.Message());
  }
}

}  // namespace
