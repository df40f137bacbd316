#include "lib/http/http_client_tool.h"

#include <algorithm>

#include "lib/foundation/errors.h"
#include "lib/foundation/str_array.h"
#include "lib/foundation/value_check_tool.h"
#include "lib/http/download_limit_exception.h"
#include "lib/http/http_status_exception.h"
#include "lib/http/https_client.h"

namespace {

// The address as the note shows it: a "%" would read as a format directive
// wherever the note is formatted again.
std::string BlankPercents(std::string address) {
  std::replace(address.begin(), address.end(), '%', ' ');
  return address;
}

}  // namespace

std::string CHTTPClientTool::Download(const std::string& url_list) {
  CValueCheckTool::CheckNotEmpty(url_list, "url");
  CHttpsClient client;
  // A mirror's error page is no certificate or CRL: only a 200 ends the list.
  client.Config().CheckStatus = true;
  CStrArray addresses;
  SplitString(url_list, ',', addresses);
  std::string errors;
  std::string limits;  // of the addresses a limit stopped
  for (int i = 0; i < addresses.Count(); ++i) {
    const std::string& address = addresses.GetString(i);
    if (address.empty()) continue;
    std::string message;
    try {
      return client.Get(address);
    } catch (const CHttpStatusException& error) {
      message = Format("Сервер вернул ответ %0:d %1:s", {error.StatusCode(), error.Message()});
    } catch (const CDownloadLimitException& error) {
      message = error.Message();
      limits = limits.empty() ? error.Limit() : limits + ", " + error.Limit();
    } catch (const Exception& error) {
      message = error.Message();
    }
    const std::string entry = Format("%1:s[%0:s]", {BlankPercents(address), message});
    errors = errors.empty() ? entry : errors + ", " + entry;
  }
  if (errors.empty()) return {};
  DebugLog("%s", {errors});
  if (limits.empty()) RaiseError(errors);
  RaiseTraced(CDownloadLimitException(errors, limits));
}
