#include "platform/crypt/detail/der.h"

#include <vector>

namespace crypt_detail {

bool DerReader::Fail(bool truncated) {
  truncated_ = truncated;
  rest_ = {};
  return false;
}

bool DerReader::Peek(uint8_t* tag) const {
  if (rest_.empty()) return false;
  *tag = static_cast<uint8_t>(rest_[0]);
  return true;
}

bool DerReader::Next(DerElement* element) {
  if (rest_.size() < 2) return Fail(true);
  const auto* bytes = reinterpret_cast<const uint8_t*>(rest_.data());
  if ((bytes[0] & 0x1F) == 0x1F) return Fail(false);  // multi-byte tags are none of ours
  size_t header = 2;
  size_t length = bytes[1];
  if (length & 0x80) {
    const size_t count = length & 0x7F;
    if (count == 0 || count > 4) return Fail(false);  // indefinite, or beyond 4 GB
    if (rest_.size() < 2 + count) return Fail(true);
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | bytes[2 + i];
    header += count;
  }
  if (rest_.size() - header < length) return Fail(true);
  element->tag = bytes[0];
  element->content = rest_.substr(header, length);
  element->whole = rest_.substr(0, header + length);
  rest_.remove_prefix(header + length);
  return true;
}

bool DerReader::Expect(uint8_t tag, DerElement* element) {
  uint8_t next = 0;
  if (!Peek(&next)) return Fail(true);
  if (next != tag) return Fail(false);
  return Next(element);
}

bool DerReader::Optional(uint8_t tag, DerElement* element, bool* present) {
  uint8_t next = 0;
  *present = Peek(&next) && next == tag;
  return !*present || Next(element);
}

std::string OidToText(std::string_view content) {
  std::string text;
  uint64_t value = 0;
  bool first = true;
  for (size_t i = 0; i < content.size(); ++i) {
    const auto byte = static_cast<uint8_t>(content[i]);
    if (value > (UINT64_MAX >> 7)) return {};
    value = (value << 7) | (byte & 0x7F);
    if (byte & 0x80) {
      if (i + 1 == content.size()) return {};
      continue;
    }
    if (first) {
      // The first octets hold two arcs: 40 * first + second.
      const uint64_t arc = value < 80 ? value / 40 : 2;
      text.append(std::to_string(arc));
      value -= arc * 40;
      first = false;
    }
    text.push_back('.');
    text.append(std::to_string(value));
    value = 0;
  }
  return text;
}

std::string OidFromText(std::string_view text) {
  std::vector<uint64_t> arcs;
  uint64_t value = 0;
  bool digits = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '.') {
      if (!digits) return {};
      arcs.push_back(value);
      value = 0;
      digits = false;
    } else if (text[i] >= '0' && text[i] <= '9') {
      if (value > UINT64_MAX / 10 - 9) return {};
      value = value * 10 + static_cast<uint64_t>(text[i] - '0');
      digits = true;
    } else {
      return {};
    }
  }
  if (arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40)) return {};
  std::string content;
  auto put = [&content](uint64_t arc) {
    char groups[10];
    int n = 0;
    do {
      groups[n++] = static_cast<char>(arc & 0x7F);
      arc >>= 7;
    } while (arc != 0);
    while (n > 1) content += static_cast<char>(groups[--n] | 0x80);
    content += groups[0];
  };
  put(arcs[0] * 40 + arcs[1]);
  for (size_t i = 2; i < arcs.size(); ++i) put(arcs[i]);
  return content;
}

std::string DerEncode(uint8_t tag, std::string_view content) {
  std::string out(1, static_cast<char>(tag));
  const size_t length = content.size();
  if (length < 0x80) {
    out += static_cast<char>(length);
  } else {
    std::string digits;
    for (size_t n = length; n != 0; n >>= 8)
      digits.insert(digits.begin(), static_cast<char>(n & 0xFF));
    out += static_cast<char>(0x80 | digits.size());
    out += digits;
  }
  out.append(content);
  return out;
}

namespace {

bool ReadDigits(std::string_view text, size_t at, size_t count, unsigned* value) {
  if (at + count > text.size()) return false;
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + static_cast<unsigned>(text[i] - '0');
  }
  return true;
}

constexpr int64_t kFileTimeUnixOffset = 11644473600LL;  // seconds from 1601 to 1970
constexpr int64_t kTicksPerSecond = 10000000;

}  // namespace

bool DerTimeToFileTime(const DerElement& element, FILETIME* time) {
  const std::string_view text = element.content;
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  size_t at = 0;
  if (element.tag == kTagUtcTime) {
    if (!ReadDigits(text, 0, 2, &year)) return false;
    year += year < 50 ? 2000 : 1900;
    at = 2;
  } else if (element.tag == kTagGeneralizedTime) {
    if (!ReadDigits(text, 0, 4, &year)) return false;
    at = 4;
  } else {
    return false;
  }
  if (!ReadDigits(text, at, 2, &month) || !ReadDigits(text, at + 2, 2, &day) ||
      !ReadDigits(text, at + 4, 2, &hour) || !ReadDigits(text, at + 6, 2, &minute) ||
      !ReadDigits(text, at + 8, 2, &second)) {
    return false;
  }
  at += 10;
  int64_t ticks = 0;
  if (element.tag == kTagGeneralizedTime && at < text.size() && text[at] == '.') {
    int64_t scale = kTicksPerSecond;
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      scale /= 10;
      ticks += (text[at] - '0') * scale;
    }
  }
  if (at + 1 != text.size() || text[at] != 'Z') return false;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return false;
  }
  const int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 +
                          second + kFileTimeUnixOffset;
  if (seconds < 0) return false;
  const auto value = static_cast<uint64_t>(seconds * kTicksPerSecond + ticks);
  time->dwLowDateTime = static_cast<uint32_t>(value);
  time->dwHighDateTime = static_cast<uint32_t>(value >> 32);
  return true;
}

int64_t FileTimeToUnix(const FILETIME& time) {
  const uint64_t value = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<int64_t>(value / kTicksPerSecond) - kFileTimeUnixOffset;
}

FILETIME UnixToFileTime(int64_t seconds) {
  const auto value = static_cast<uint64_t>((seconds + kFileTimeUnixOffset) * kTicksPerSecond);
  return FILETIME{static_cast<uint32_t>(value), static_cast<uint32_t>(value >> 32)};
}

bool FileTimeIsZero(const FILETIME& time) {
  return time.dwLowDateTime == 0 && time.dwHighDateTime == 0;
}

// Howard Hinnant's civil-date algorithms.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = doy - (153 * mp + 2) / 5 + 1;
  *month = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int64_t>(yoe) + era * 400 + (*month <= 2);
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace crypt_detail
