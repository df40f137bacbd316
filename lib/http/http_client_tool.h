// Fetching one body from the first address of a list that gives one.
#pragma once

#include <string>

class CHTTPClientTool {
 public:
  CHTTPClientTool() = delete;

  // `url_list` holds addresses separated by ","; blank pieces are skipped.
  // The first address that answers 200 gives the body; a failed address,
  // or one answering another status, is noted and the next one is tried.
  // When none gives a body the notes, joined by ", ", are written to the
  // debug output and raised, as CDownloadLimitException with the limits'
  // sentences when a limit stopped any address; a list of blank pieces only
  // gives an empty body.
  static std::string Download(const std::string& url_list);
};
