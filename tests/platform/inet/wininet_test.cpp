#include "platform/inet/wininet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/crypt/cert_context.h"
#include "platform/crypt/crypt_prov.h"
#include "platform/crypt/crypt_refs.h"
#include "platform/inet/internet_handle.h"
#include "platform/kernel/codepage.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sys_messages.h"
#include "tests/platform/inet/gost_tls_server.h"
#include "tests/platform/inet/test_http_server.h"
#include "tests/support/crypt_roots.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_pki.h"
#include "tests/support/time_out.h"

namespace {

constexpr uint32_t kHttpsFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE;
constexpr uint32_t kAllIgnored =
    INTERNET_FLAG_IGNORE_CERT_DATE_INVALID | INTERNET_FLAG_IGNORE_CERT_CN_INVALID;

struct OpenedRequest {
  UniqueInternetHandle internet;
  UniqueInternetHandle connection;
  UniqueInternetHandle request;
};

struct Target {
  uint16_t port = 0;
  const char* object = "";
  uint32_t flags = INTERNET_FLAG_RELOAD;
  const char* host = "127.0.0.1";
  uint32_t access = INTERNET_OPEN_TYPE_PRECONFIG;
  const char* proxy = nullptr;
};

OpenedRequest Open(const Target& target) {
  OpenedRequest opened;
  opened.internet.reset(InternetOpenA("tarvex-test/1", target.access, target.proxy, nullptr, 0));
  EXPECT_TRUE(opened.internet);
  opened.connection.reset(InternetConnectA(opened.internet.get(), target.host, target.port, nullptr,
                                           nullptr, INTERNET_SERVICE_HTTP, 0, 1));
  EXPECT_TRUE(opened.connection);
  opened.request.reset(HttpOpenRequestA(opened.connection.get(), "GET", target.object, "HTTP/1.1",
                                        nullptr, nullptr, target.flags, 2));
  EXPECT_TRUE(opened.request);
  return opened;
}

void SetNumber(HINTERNET request, uint32_t option, uint32_t value) {
  ASSERT_TRUE(InternetSetOptionA(request, option, &value, sizeof value));
}

// The error of a failed send, 0 when it succeeds.
uint32_t Send(HINTERNET request) {
  return HttpSendRequestA(request, nullptr, 0, nullptr, 0) ? 0 : GetLastError();
}

// Reads to the end in chunks of `chunk` bytes; `error` is the read's error.
std::string ReadBody(HINTERNET request, uint32_t chunk, uint32_t& error) {
  std::string body;
  std::string buffer(chunk, '\0');
  error = 0;
  uint32_t read = 0;
  do {
    if (!InternetReadFile(request, buffer.data(), chunk, &read)) {
      error = GetLastError();
      break;
    }
    body.append(buffer.data(), read);
  } while (read != 0);
  return body;
}

uint32_t StatusCode(HINTERNET request) {
  uint32_t code = 0;
  uint32_t length = sizeof code;
  EXPECT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code,
                             &length, nullptr));
  return code;
}

TEST(WinInet, SendsTheRequestTheServerLogs) {
  TestHttpServer server;
  OpenedRequest opened =
      Open({.port = static_cast<uint16_t>(server.Port()), .object = "crl/ca 1.crl?x=%41"});
  ASSERT_EQ(0u, Send(opened.request.get()));
  EXPECT_EQ(200u, StatusCode(opened.request.get()));
  uint32_t error = 0;
  EXPECT_EQ("ok", ReadBody(opened.request.get(), 1024, error));
  EXPECT_EQ(0u, error);

  const std::vector<LoggedRequest> requests = server.Requests();
  ASSERT_EQ(1u, requests.size());
  const LoggedRequest& logged = requests[0];
  EXPECT_EQ("GET", logged.method);
  // The leading "/" is added, a blank escaped, an escape left as it is.
  EXPECT_EQ("/crl/ca%201.crl?x=%41", logged.target);
  EXPECT_EQ("HTTP/1.1", logged.version);
  EXPECT_EQ(server.Port(), logged.port);
  EXPECT_EQ("tarvex-test/1", logged.headers.at("user-agent"));
  EXPECT_EQ("127.0.0.1:" + std::to_string(server.Port()), logged.headers.at("host"));
  // Reload: nothing on the way may answer from a cache.
  EXPECT_EQ("no-cache", logged.headers.at("cache-control"));
  EXPECT_EQ("no-cache", logged.headers.at("pragma"));
}

TEST(WinInet, StatusQueriesAndBodyInChunks) {
  TestHttpServer server;
  const auto port = static_cast<uint16_t>(server.Port());

  OpenedRequest missing = Open({.port = port, .object = "status/404"});
  ASSERT_EQ(0u, Send(missing.request.get()));
  HINTERNET request = missing.request.get();
  EXPECT_EQ(404u, StatusCode(request));
  char text[64];
  uint32_t length = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
  EXPECT_EQ("404", std::string(text, length));
  length = 4;
  EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, text, &length, nullptr));
  EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
  EXPECT_EQ(10u, length);
  ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_TEXT, text, &length, nullptr));
  EXPECT_EQ("Not Found", std::string(text, length));
  uint32_t error = 0;
  EXPECT_EQ("status 404", ReadBody(request, 1024, error));

  // An odd chunk size that does not divide the body.
  OpenedRequest large = Open({.port = port, .object = "bytes/100000"});
  ASSERT_EQ(0u, Send(large.request.get()));
  EXPECT_EQ(PatternBytes(100000), ReadBody(large.request.get(), 777, error));
  EXPECT_EQ(0u, error);
}

TEST(WinInet, FollowsAtMostFiveRedirects) {
  TestHttpServer server;
  const auto port = static_cast<uint16_t>(server.Port());
  OpenedRequest five = Open({.port = port, .object = "redirect/5"});
  ASSERT_EQ(0u, Send(five.request.get()));
  EXPECT_EQ(200u, StatusCode(five.request.get()));
  uint32_t error = 0;
  EXPECT_EQ("redirected", ReadBody(five.request.get(), 1024, error));

  OpenedRequest six = Open({.port = port, .object = "redirect/6"});
  EXPECT_EQ(ERROR_HTTP_REDIRECT_FAILED, Send(six.request.get()));
}

TEST(WinInet, ServerCertificateChecksFollowTheFlags) {
  TestHttpServer right_name({.tls_name = "127.0.0.1"});
  TestHttpServer wrong_name({.tls_name = "tarvex.invalid"});
  TestHttpServer expired({.tls_name = "127.0.0.1", .expired = true});
  struct Case {
    const TestHttpServer& server;
    uint32_t request_flags;
    bool ignore_unknown_ca;
    uint32_t expected;
  };
  const Case cases[] = {
      {right_name, 0, false, ERROR_INTERNET_INVALID_CA},
      {right_name, 0, true, 0},
      {wrong_name, 0, true, ERROR_INTERNET_SEC_CERT_CN_INVALID},
      {wrong_name, INTERNET_FLAG_IGNORE_CERT_CN_INVALID, true, 0},
      {expired, 0, true, ERROR_INTERNET_SEC_CERT_DATE_INVALID},
      {expired, INTERNET_FLAG_IGNORE_CERT_DATE_INVALID, true, 0},
      {expired, kAllIgnored, false, ERROR_INTERNET_INVALID_CA},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "port " << c.server.Port() << " flags " << c.request_flags
                                    << " unknown CA ignored " << c.ignore_unknown_ca);
    OpenedRequest opened = Open({.port = static_cast<uint16_t>(c.server.Port()),
                                 .object = "bytes/3",
                                 .flags = kHttpsFlags | c.request_flags});
    HINTERNET request = opened.request.get();
    uint32_t flags = 0;
    uint32_t length = sizeof flags;
    ASSERT_TRUE(InternetQueryOptionA(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &length));
    EXPECT_EQ(c.request_flags, flags);
    if (c.ignore_unknown_ca) {
      SetNumber(request, INTERNET_OPTION_SECURITY_FLAGS, flags | SECURITY_FLAG_IGNORE_UNKNOWN_CA);
    }
    EXPECT_EQ(c.expected, Send(request));
    if (c.expected == 0) {
      uint32_t error = 0;
      EXPECT_EQ(PatternBytes(3), ReadBody(request, 1024, error));
    }
  }
}

TEST(WinInet, ServerAskingForAClientCertificate) {
  TestHttpServer server({.tls_name = "127.0.0.1", .client_cert = true});
  OpenedRequest opened =
      Open({.port = static_cast<uint16_t>(server.Port()), .flags = kHttpsFlags | kAllIgnored});
  SetNumber(opened.request.get(), INTERNET_OPTION_SECURITY_FLAGS,
            kAllIgnored | SECURITY_FLAG_IGNORE_UNKNOWN_CA);
  EXPECT_EQ(ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, Send(opened.request.get()));
}

// The test PKI's certificate `name`, bound to a container of the current
// user that holds the key `key`.
CertRef BoundCertificate(const std::string& name, const std::string& key) {
  const std::string container = "клиент " + name + " " + key;
  HCRYPTPROV prov = nullptr;
  EXPECT_TRUE(
      CryptAcquireContextA(&prov, container.c_str(), nullptr, kGostProviderType, CRYPT_NEWKEYSET));
  EXPECT_TRUE(CryptImportPemKey(prov, Pki(key + ".key"), nullptr));
  CryptReleaseContext(prov, 0);
  CertRef certificate(CertCreateCertificateContext(kMsgEncoding, Pki(name + ".cer")));
  CryptKeyProvInfo info;
  info.ContainerName = AnsiToWide(container);
  info.ProvType = kGostProviderType;
  info.KeySpec = AT_KEYEXCHANGE;
  EXPECT_TRUE(
      CertSetCertificateContextProperty(certificate.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &info));
  return certificate;
}

OpenedRequest OpenGost(const GostTlsServer& server, const char* object) {
  OpenedRequest opened = Open({.port = static_cast<uint16_t>(server.Port()),
                               .object = object,
                               .flags = kHttpsFlags | kAllIgnored});
  SetNumber(opened.request.get(), INTERNET_OPTION_SECURITY_FLAGS,
            kAllIgnored | SECURITY_FLAG_IGNORE_UNKNOWN_CA);
  return opened;
}

bool SetClientCertificate(HINTERNET request, PCCERT_CONTEXT certificate) {
  return InternetSetOptionA(request, INTERNET_OPTION_CLIENT_CERT_CONTEXT, certificate,
                            sizeof *certificate);
}

// The way the platform's callers go: send, hear that a certificate is
// needed, attach one and send again. The server checks the GOST client
// certificate against the test PKI and the key's signature in the handshake.
TEST(WinInet, GostClientCertificateAttachedAfterTheServerAsked) {
  CryptRoots roots;
  GostTlsServer server({PkiPath("root.cer"), PkiPath("intermediate.cer")});
  server.Put("a.crl", PatternBytes(3000));
  OpenedRequest opened = OpenGost(server, "a.crl");
  HINTERNET request = opened.request.get();
  EXPECT_EQ(ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, Send(request));

  CertRef certificate = BoundCertificate("signer2", "signer2");
  ASSERT_TRUE(SetClientCertificate(request, certificate.get()));
  certificate.reset();  // the request holds what it needs
  ASSERT_EQ(0u, Send(request));
  EXPECT_EQ(200u, StatusCode(request));
  uint32_t error = 0;
  EXPECT_EQ(PatternBytes(3000), ReadBody(request, 1024, error));
  EXPECT_EQ(0u, error);
  EXPECT_EQ(1, server.RefusedClientCertificates(1));
}

TEST(WinInet, ClientCertificateTheServerDoesNotTrust) {
  CryptRoots roots;
  GostTlsServer server({PkiPath("signer.cer")});
  OpenedRequest opened = OpenGost(server, "a.crl");
  CertRef certificate = BoundCertificate("signer2", "signer2");
  ASSERT_TRUE(SetClientCertificate(opened.request.get(), certificate.get()));
  EXPECT_EQ(ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED, Send(opened.request.get()));
  EXPECT_EQ(1, server.RefusedClientCertificates(1));
}

TEST(WinInet, ClientCertificatesRefusedAndOneNotAskedFor) {
  CryptRoots roots;
  GostTlsServer server;
  server.Put("a.cer", "certificate");
  OpenedRequest opened = OpenGost(server, "a.cer");
  HINTERNET request = opened.request.get();
  CertRef good = BoundCertificate("signer2", "signer2");
  CertRef free_standing(CertCreateCertificateContext(kMsgEncoding, Pki("signer2.cer")));
  CertRef other_key = BoundCertificate("signer2", "signer");
  EXPECT_FALSE(InternetSetOptionA(request, INTERNET_OPTION_CLIENT_CERT_CONTEXT, good.get(), 20));
  EXPECT_EQ(ERROR_INTERNET_BAD_OPTION_LENGTH, GetLastError());
  EXPECT_FALSE(SetClientCertificate(request, free_standing.get()));
  EXPECT_EQ(ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP, GetLastError());
  EXPECT_FALSE(SetClientCertificate(request, other_key.get()));
  EXPECT_EQ(ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP, GetLastError());
  // A server that does not ask is offered nothing.
  ASSERT_TRUE(SetClientCertificate(request, good.get()));
  ASSERT_EQ(0u, Send(request));
  uint32_t error = 0;
  EXPECT_EQ("certificate", ReadBody(request, 1024, error));
}

TEST(WinInet, ProxyKinds) {
  TestHttpServer proxy;
  TestHttpServer origin;
  const ScopedEnv http_proxy("http_proxy", proxy.Url(""));

  // Preconfigured: the environment's proxy gets the absolute address.
  OpenedRequest preconfigured = Open({.port = 80, .object = "a.crl", .host = "tarvex.invalid"});
  ASSERT_EQ(0u, Send(preconfigured.request.get()));
  // Direct: the environment is ignored.
  OpenedRequest direct = Open({.port = static_cast<uint16_t>(origin.Port()),
                               .object = "direct",
                               .access = INTERNET_OPEN_TYPE_DIRECT});
  ASSERT_EQ(0u, Send(direct.request.get()));
  // Named: that proxy, with credentials, and no bypass even for 127.0.0.1.
  const std::string named_proxy = "127.0.0.1:" + std::to_string(proxy.Port());
  OpenedRequest named = Open({.port = static_cast<uint16_t>(origin.Port()),
                              .object = "named",
                              .access = INTERNET_OPEN_TYPE_PROXY,
                              .proxy = named_proxy.c_str()});
  ASSERT_TRUE(InternetSetOptionA(named.request.get(), INTERNET_OPTION_PROXY_USERNAME, "user", 4));
  ASSERT_TRUE(InternetSetOptionA(named.request.get(), INTERNET_OPTION_PROXY_PASSWORD, "secret", 6));
  ASSERT_EQ(0u, Send(named.request.get()));

  const std::vector<LoggedRequest> at_proxy = proxy.Requests();
  ASSERT_EQ(2u, at_proxy.size());
  EXPECT_TRUE(at_proxy[0].target.starts_with("http://tarvex.invalid")) << at_proxy[0].target;
  EXPECT_TRUE(at_proxy[0].target.ends_with("/a.crl")) << at_proxy[0].target;
  EXPECT_EQ(0u, at_proxy[0].headers.count("proxy-authorization"));
  EXPECT_EQ(origin.Url("/named"), at_proxy[1].target);
  EXPECT_EQ("Basic dXNlcjpzZWNyZXQ=", at_proxy[1].headers.at("proxy-authorization"));
  const std::vector<LoggedRequest> at_origin = origin.Requests();
  ASSERT_EQ(1u, at_origin.size());
  EXPECT_EQ("/direct", at_origin[0].target);
}

TEST(WinInet, TimeOuts) {
  using std::chrono::milliseconds;
  TestServerOptions silent_options;
  silent_options.silent = true;
  TestHttpServer silent(silent_options);
  TestHttpServer server;

  // Connected, but no response comes.
  OpenedRequest request = Open({.port = static_cast<uint16_t>(silent.Port())});
  SetNumber(request.request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 200);
  ExpectEndedByTimeOut(milliseconds(200),
                       [&] { EXPECT_EQ(ERROR_INTERNET_TIMEOUT, Send(request.request.get())); });
  // The TLS handshake never completes: that is still the connection's time.
  OpenedRequest handshake =
      Open({.port = static_cast<uint16_t>(silent.Port()), .flags = kHttpsFlags});
  SetNumber(handshake.request.get(), INTERNET_OPTION_CONNECT_TIMEOUT, 200);
  ExpectEndedByTimeOut(milliseconds(200),
                       [&] { EXPECT_EQ(ERROR_INTERNET_TIMEOUT, Send(handshake.request.get())); });
  // The body stops halfway.
  OpenedRequest body = Open({.port = static_cast<uint16_t>(server.Port()), .object = "stall-body"});
  SetNumber(body.request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, 200);
  ExpectEndedByTimeOut(milliseconds(200), [&] {
    ASSERT_EQ(0u, Send(body.request.get()));
    uint32_t error = 0;
    EXPECT_EQ(std::string(10, 'x'), ReadBody(body.request.get(), 1024, error));
    EXPECT_EQ(ERROR_INTERNET_TIMEOUT, error);
  });
}

TEST(WinInet, TransferTimeOutEndsAServerThatDrips) {
  using std::chrono::milliseconds;
  TestHttpServer server;
  const auto port = static_cast<uint16_t>(server.Port());
  // A byte every 100 ms: never silent long enough for the receive time-out.
  OpenedRequest head = Open({.port = port, .object = "drip-head"});
  SetNumber(head.request.get(), INTERNET_OPTION_TRANSFER_TIMEOUT, 300);
  ExpectEndedByTimeOut(milliseconds(300),
                       [&] { EXPECT_EQ(ERROR_INTERNET_TIMEOUT, Send(head.request.get())); });

  OpenedRequest body = Open({.port = port, .object = "drip-body"});
  SetNumber(body.request.get(), INTERNET_OPTION_TRANSFER_TIMEOUT, 300);
  uint32_t limit = 0;
  uint32_t length = sizeof limit;
  ASSERT_TRUE(
      InternetQueryOptionA(body.request.get(), INTERNET_OPTION_TRANSFER_TIMEOUT, &limit, &length));
  EXPECT_EQ(300u, limit);
  ExpectEndedByTimeOut(milliseconds(300), [&] {
    ASSERT_EQ(0u, Send(body.request.get()));
    uint32_t error = 0;
    EXPECT_LT(ReadBody(body.request.get(), 1024, error).size(), 50u);
    EXPECT_EQ(ERROR_INTERNET_TIMEOUT, error);
  });
}

TEST(WinInet, BrokenConnections) {
  TestHttpServer server;
  OpenedRequest refused = Open({.port = static_cast<uint16_t>(UnusedPort())});
  EXPECT_EQ(ERROR_INTERNET_CANNOT_CONNECT, Send(refused.request.get()));

  OpenedRequest truncated =
      Open({.port = static_cast<uint16_t>(server.Port()), .object = "truncated"});
  ASSERT_EQ(0u, Send(truncated.request.get()));
  uint32_t error = 0;
  EXPECT_EQ(std::string(100, 'x'), ReadBody(truncated.request.get(), 1024, error));
  EXPECT_EQ(ERROR_INTERNET_CONNECTION_ABORTED, error);
}

// The code and the text of the cause with which a GET of the target ends,
// at its send or at a read of its body.
std::pair<uint32_t, std::string> FailureOf(const Target& target) {
  OpenedRequest opened = Open(target);
  uint32_t error = Send(opened.request.get());
  if (error == 0) ReadBody(opened.request.get(), 1024, error);
  uint32_t described = 0;
  char text[512];
  uint32_t length = sizeof text;
  EXPECT_TRUE(InternetGetLastResponseInfoA(&described, text, &length));
  EXPECT_EQ(error, described);
  return {error, std::string(text, length)};
}

TEST(WinInet, EveryWayATransferEndsHasItsCodeAndATextOfItsCause) {
  TestHttpServer server;
  const auto port = static_cast<uint16_t>(server.Port());
  const std::string broken =
      "соединение с сервером разорвано при получении ответа, или ответ искажён";
  const struct {
    Target target;
    uint32_t code;
    const char* text;
  } cases[] = {
      {{.port = static_cast<uint16_t>(UnusedPort())},
       ERROR_INTERNET_CANNOT_CONNECT,
       "не удалось подключиться к серверу"},
      {{.port = port, .object = "no-status"},
       ERROR_HTTP_INVALID_SERVER_RESPONSE,
       "ответ сервера не начинается со строки состояния HTTP"},
      {{.port = port, .object = "weird-status"},
       ERROR_HTTP_INVALID_SERVER_RESPONSE,
       "ответ сервера не начинается со строки состояния HTTP"},
      {{.port = port, .object = "long-header"},
       ERROR_HTTP_INVALID_SERVER_RESPONSE,
       "строка заголовка ответа сервера длиннее 100 КБ"},
      {{.port = port, .object = "many-headers"},
       ERROR_HTTP_INVALID_SERVER_RESPONSE,
       "заголовок ответа сервера длиннее 300 КБ"},
      {{.port = port, .object = "nothing"},
       ERROR_HTTP_INVALID_SERVER_RESPONSE,
       "сервер закрыл соединение, ничего не ответив"},
      {{.port = port, .object = "bad-chunk"}, ERROR_INTERNET_CONNECTION_RESET, broken.c_str()},
      {{.port = port, .object = "truncated"},
       ERROR_INTERNET_CONNECTION_ABORTED,
       "сервер оборвал ответ, не передав его до объявленной длины"},
      {{.port = port, .object = "redirect-ftp"},
       ERROR_HTTP_REDIRECT_FAILED,
       "сервер перенаправил запрос по адресу со схемой, отличной от http и https"},
      {{.port = port, .object = "redirect/6"},
       ERROR_HTTP_REDIRECT_FAILED,
       "сервер перенаправил запрос больше пяти раз"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target.object);
    EXPECT_EQ(std::make_pair(c.code, std::string(c.text)), FailureOf(c.target));
  }
  // A request that goes well leaves nothing of the last failure.
  OpenedRequest fine = Open({.port = port, .object = "fine"});
  ASSERT_EQ(0u, Send(fine.request.get()));
  uint32_t described = 1;
  uint32_t length = 0;
  EXPECT_TRUE(InternetGetLastResponseInfoA(&described, nullptr, &length) ||
              GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(0u, described);
  EXPECT_EQ(1u, length);
}

TEST(WinInet, ReportedCodesHaveSystemTexts) {
  for (const uint32_t code : {ERROR_INTERNET_TIMEOUT,
                              ERROR_INTERNET_INTERNAL_ERROR,
                              ERROR_INTERNET_INVALID_URL,
                              ERROR_INTERNET_NAME_NOT_RESOLVED,
                              ERROR_INTERNET_INVALID_OPTION,
                              ERROR_INTERNET_BAD_OPTION_LENGTH,
                              ERROR_INTERNET_INCORRECT_HANDLE_TYPE,
                              ERROR_INTERNET_INCORRECT_HANDLE_STATE,
                              ERROR_INTERNET_CANNOT_CONNECT,
                              ERROR_INTERNET_CONNECTION_ABORTED,
                              ERROR_INTERNET_CONNECTION_RESET,
                              ERROR_INTERNET_SEC_CERT_DATE_INVALID,
                              ERROR_INTERNET_SEC_CERT_CN_INVALID,
                              ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED,
                              ERROR_INTERNET_INVALID_CA,
                              ERROR_INTERNET_CLIENT_AUTH_NOT_SETUP,
                              ERROR_HTTP_HEADER_NOT_FOUND,
                              ERROR_HTTP_INVALID_SERVER_RESPONSE,
                              ERROR_HTTP_REDIRECT_FAILED,
                              ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
                              ERROR_INTERNET_PROXY_SERVER_UNREACHABLE,
                              ERROR_INTERNET_SEC_INVALID_CERT,
                              ERROR_INTERNET_SEC_CERT_REVOKED}) {
    char text[256];
    EXPECT_NE(0u, FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, code, text, sizeof text)) << code;
  }
}

TEST(WinInet, HandleAndOptionMisuse) {
  uint32_t value = 0;
  uint32_t length = sizeof value;
  EXPECT_FALSE(InternetCloseHandle(nullptr));
  EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());

  OpenedRequest opened = Open({.port = 1});
  HINTERNET request = opened.request.get();
  EXPECT_FALSE(HttpSendRequestA(opened.internet.get(), nullptr, 0, nullptr, 0));
  EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_TYPE, GetLastError());
  EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, &value, &length, nullptr));
  EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_STATE, GetLastError());
  EXPECT_FALSE(InternetReadFile(request, &value, sizeof value, &length));
  EXPECT_EQ(ERROR_INTERNET_INCORRECT_HANDLE_STATE, GetLastError());
  EXPECT_FALSE(InternetSetOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, 2));
  EXPECT_EQ(ERROR_INTERNET_BAD_OPTION_LENGTH, GetLastError());
  EXPECT_FALSE(InternetQueryOptionA(request, 12345, &value, &length));
  EXPECT_EQ(ERROR_INTERNET_INVALID_OPTION, GetLastError());
  ASSERT_TRUE(InternetQueryOptionA(request, INTERNET_OPTION_RECEIVE_TIMEOUT, &value, &length));
  EXPECT_EQ(30000u, value);
  EXPECT_FALSE(
      HttpOpenRequestA(opened.connection.get(), "POST", "", nullptr, nullptr, nullptr, 0, 2));
  EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
}

}  // namespace
