#include "lib/http/http_client_tool.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "lib/foundation/exception.h"
#include "lib/http/download_limit_exception.h"
#include "tests/platform/inet/test_http_server.h"
#include "tests/support/debug_capture.h"

namespace {

std::string FailureOf(const std::string& list) {
  try {
    CHTTPClientTool::Download(list);
  } catch (const Exception& error) {
    return error.Message();
  }
  return "(no error)";
}

std::string RefusedUrl(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(UnusedPort()) + path;
}

// The list fetcher's client keeps the defaults: a server that sends
// without end is cut off at 64 MiB.
TEST(HttpClientTool, BodyWithoutEndStopsAtTheDefaultSizeLimit) {
  TestHttpServer server;
  const std::string endless = server.Url("/endless");
  DebugCapture debug;
  const std::string limit = "Ответ сервера по адресу [" + endless + "] больше 67108864 байт";
  try {
    CHTTPClientTool::Download(endless + "," + server.Url("/status/404"));
    ADD_FAILURE();
  } catch (const CDownloadLimitException& error) {
    // The limit's sentence goes with the error, for the check that failed
    // for want of the download to name.
    EXPECT_EQ("Ошибка при получении ответа: [" + limit + "][" + endless +
                  "], Сервер вернул ответ 404 Not Found[" + server.Url("/status/404") + "]",
              error.Message());
    EXPECT_EQ(limit, error.Limit());
  }
}

TEST(HttpClientTool, ErrorPageThenWorkingMirror) {
  TestHttpServer primary;
  TestHttpServer mirror;
  EXPECT_EQ(PatternBytes(300),
            CHTTPClientTool::Download(primary.Url("/status/404") + "," + mirror.Url("/bytes/300")));
  EXPECT_EQ(1u, primary.Requests().size());
  EXPECT_EQ(1u, mirror.Requests().size());
}

TEST(HttpClientTool, FirstSuccessWinsAndBlankPiecesAreSkipped) {
  TestHttpServer server;
  std::string list = " ";
  list += RefusedUrl("/a.crl");
  list += " , ,  ";
  list += server.Url("/first");
  list += ',';
  list += server.Url("/second");
  DebugCapture debug;
  EXPECT_EQ("ok", CHTTPClientTool::Download(list));
  const std::vector<LoggedRequest> requests = server.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ("/first", requests[0].target);
  // The failure of the first address stays a note of the loop: nothing is raised.
  EXPECT_TRUE(std::none_of(debug.Lines().begin(), debug.Lines().end(),
                           [](const std::string& line) { return line.find(", ") != line.npos; }));
}

TEST(HttpClientTool, EveryFailureNotedInListOrder) {
  TestHttpServer server;
  const std::string refused = RefusedUrl("/ca%20one.crl");
  const std::string missing = server.Url("/status/404");
  const std::string expected =
      "Ошибка при отправке запроса: [Не удалось соединиться с сервером: не удалось подключиться "
      "к серверу (код 12029)][" +
      refused.substr(0, refused.find('%')) + " 20one.crl], Сервер вернул ответ 404 Not Found[" +
      missing + "]";
  DebugCapture debug;
  EXPECT_EQ(expected, FailureOf(refused + "," + missing));
  const std::vector<std::string>& lines = debug.Lines();
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "[" + expected + "]"));
  EXPECT_EQ("[EXCEPTION " + expected + "]", lines.back());
}

TEST(HttpClientTool, EmptyAndBlankLists) {
  EXPECT_EQ("Передан пустой аргумент: url", FailureOf(""));
  DebugCapture debug;
  EXPECT_EQ("", CHTTPClientTool::Download(", ,,"));
  EXPECT_TRUE(debug.Lines().empty());
}

}  // namespace
