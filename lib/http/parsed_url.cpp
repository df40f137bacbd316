#include "lib/http/parsed_url.h"

#include <charconv>

#include "lib/foundation/errors.h"

namespace {

int32_t PortNumber(const std::string& text) {
  int32_t port = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, port);
  if (error == std::errc::result_out_of_range ||
      (error == std::errc() && stop == end && port > 65535)) {
    RaiseErrorFmt("Недопустимый номер порта [%s]", {text});
  }
  return error == std::errc() && stop == end ? port : 0;
}

}  // namespace

ParsedUrl ParseUrl(const std::string& url) {
  try {
    ParsedUrl parsed;
    const size_t separator = url.find("://");
    if (separator == std::string::npos) RaiseError("Нет разделителя \"://\" после схемы");
    parsed.IsHttps = url.substr(0, separator).find("https") != std::string::npos;
    const std::string rest = url.substr(separator + 3);
    const size_t slash = rest.find('/');
    parsed.Host = rest.substr(0, slash);
    if (slash != std::string::npos) parsed.ObjectName = rest.substr(slash + 1);
    const size_t colon = parsed.Host.find(':');
    if (colon != std::string::npos) {
      parsed.Port = PortNumber(parsed.Host.substr(colon + 1));
      parsed.Host.resize(colon);
    }
    if (parsed.Host.empty()) RaiseError("Не указано имя сервера");
    return parsed;
  } catch (const Exception& error) {
    RaiseErrorFmt("Ошибка при разборе URL [%s]: [%s]", {url, error.Message()});
  }
}
