#include "editor/model/string_routines.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

char FoldLatin(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string TrimText(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldLatin(a[i]) != FoldLatin(b[i])) return false;
  }
  return true;
}

std::string IncludeBackslash(const std::string& path) {
  if (path.empty() || path.back() == '/' || path.back() == '\\') return path;
  return path + '/';
}

bool IsValidEmail(std::string_view text) {
  if (text.empty() || text.front() == '@' || text.back() == '.') return false;
  return text.find('@') != std::string_view::npos && text.find('.') != std::string_view::npos;
}

std::string ValueOfPair(std::string_view text) {
  size_t equals = text.find('=');
  return equals == std::string_view::npos ? std::string() : std::string(text.substr(equals + 1));
}

void SplitText(std::string_view text, std::string_view separator, std::vector<std::string>& list,
               bool trim) {
  list.clear();
  for (;;) {
    size_t at = separator.empty() ? std::string_view::npos : text.find(separator);
    std::string_view piece = text.substr(0, at);
    list.push_back(trim ? TrimText(piece) : std::string(piece));
    if (at == std::string_view::npos) return;
    text.remove_prefix(at + separator.size());
  }
}

bool InList(std::string_view list_text, std::string_view item, std::string_view separator) {
  std::vector<std::string> pieces;
  SplitText(list_text, separator, pieces, true);
  for (const std::string& piece : pieces) {
    if (piece == item) return true;
  }
  return false;
}

std::string DNValues(std::string_view name) {
  std::vector<std::string> pieces;
  SplitText(name, ",", pieces, true);
  std::string result;
  for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
    std::string value = ValueOfPair(*it);
    if (result.empty()) {
      result = value;
    } else {
      result += ", " + value;
    }
  }
  return result;
}
