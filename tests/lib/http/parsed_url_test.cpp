#include "lib/http/parsed_url.h"

#include <gtest/gtest.h>

#include "lib/foundation/exception.h"

namespace {

TEST(ParseUrl, SplitsAddresses) {
  struct Case {
    const char* url;
    const char* host;
    const char* object;
    int32_t port;
    bool https;
  };
  const Case cases[] = {
      {"http://127.0.0.1:8080/crl/ca.crl", "127.0.0.1", "crl/ca.crl", 8080, false},
      {"https://ca.example/aia/ca.cer", "ca.example", "aia/ca.cer", 0, true},
      // Only the word matters, case-sensitive.
      {"xhttpsx://ca.example/a", "ca.example", "a", 0, true},
      {"HTTPS://ca.example/a", "ca.example", "a", 0, false},
      {"ftp://ca.example/a.crl", "ca.example", "a.crl", 0, false},
      // A port that is not a number counts as not given.
      {"http://ca.example:web/a", "ca.example", "a", 0, false},
      {"http://ca.example:/a", "ca.example", "a", 0, false},
      // Without a path the root is asked for.
      {"http://ca.example", "ca.example", "", 0, false},
      {"http://ca.example:81/a/b?c=d://e", "ca.example", "a/b?c=d://e", 81, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const ParsedUrl parsed = ParseUrl(c.url);
    EXPECT_EQ(c.host, parsed.Host);
    EXPECT_EQ(c.object, parsed.ObjectName);
    EXPECT_EQ(c.port, parsed.Port);
    EXPECT_EQ(c.https, parsed.IsHttps);
  }
}

TEST(ParseUrl, RejectsWhatCannotBeConnectedTo) {
  const std::pair<const char*, const char*> cases[] = {
      {"ca.example/a.crl",
       "Ошибка при разборе URL [ca.example/a.crl]: [Нет разделителя \"://\" после схемы]"},
      {"http:///a.crl", "Ошибка при разборе URL [http:///a.crl]: [Не указано имя сервера]"},
      {"http://:8080/a.crl",
       "Ошибка при разборе URL [http://:8080/a.crl]: [Не указано имя сервера]"},
      {"http://ca.example:70000/a",
       "Ошибка при разборе URL [http://ca.example:70000/a]: "
       "[Недопустимый номер порта [70000]]"},
      {"http://ca.example:99999999999/a",
       "Ошибка при разборе URL [http://ca.example:99999999999/a]: "
       "[Недопустимый номер порта [99999999999]]"},
  };
  for (const auto& [url, message] : cases) {
    try {
      ParseUrl(url);
      ADD_FAILURE() << url;
    } catch (const Exception& error) {
      EXPECT_EQ(message, error.Message());
    }
  }
}

}  // namespace
