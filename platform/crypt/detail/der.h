// A small DER reader and writer for the structures the stand-in takes
// apart itself: certificates, CRLs, names and extensions keep their exact
// bytes this way (OpenSSL re-encodes some of them, and drops the leading
// zero octets of serial numbers).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/crypt/crypt_defs.h"
#include "platform/kernel/file_time.h"

namespace crypt_detail {

// DER tags the stand-in reads.
constexpr uint8_t kTagBoolean = 0x01;
constexpr uint8_t kTagInteger = 0x02;
constexpr uint8_t kTagBitString = 0x03;
constexpr uint8_t kTagOctetString = 0x04;
constexpr uint8_t kTagNull = 0x05;
constexpr uint8_t kTagOid = 0x06;
constexpr uint8_t kTagUtcTime = 0x17;
constexpr uint8_t kTagGeneralizedTime = 0x18;
constexpr uint8_t kTagSequence = 0x30;
constexpr uint8_t kTagSet = 0x31;

// The context-specific tag [n], constructed or not.
constexpr uint8_t ContextTag(int n, bool constructed) {
  return static_cast<uint8_t>(0x80 | (constructed ? 0x20 : 0) | n);
}

struct DerElement {
  uint8_t tag = 0;
  std::string_view content;
  std::string_view whole;  // tag, length and content
};

// Reads consecutive elements of one level. Only definite lengths and
// one-byte tags are DER; anything else is malformed.
class DerReader {
 public:
  explicit DerReader(std::string_view data) : rest_(data) {}

  bool AtEnd() const { return rest_.empty(); }
  // The tag of the next element; false at the end.
  bool Peek(uint8_t* tag) const;
  // The next element, any tag. False on malformed or truncated data.
  bool Next(DerElement* element);
  // The next element, which must have the tag.
  bool Expect(uint8_t tag, DerElement* element);
  // The next element when it has the tag; true and nothing read otherwise.
  bool Optional(uint8_t tag, DerElement* element, bool* present);
  // CRYPT_E_ASN1_EOD after a truncation, else CRYPT_E_ASN1_BADTAG.
  uint32_t Error() const { return truncated_ ? CRYPT_E_ASN1_EOD : CRYPT_E_ASN1_BADTAG; }

 private:
  bool Fail(bool truncated);

  std::string_view rest_;
  bool truncated_ = false;
};

// "1.2.643.2.2.9" from the content octets of an OBJECT IDENTIFIER; empty
// when they are malformed.
std::string OidToText(std::string_view content);
// The content octets for the dotted text; empty when it is not an OID.
std::string OidFromText(std::string_view text);

// Tag, length and content.
std::string DerEncode(uint8_t tag, std::string_view content);

// UTCTime (years 1950-2049) or GeneralizedTime, with "Z", to a file time.
bool DerTimeToFileTime(const DerElement& element, FILETIME* time);

// Seconds since 1970-01-01 UTC and file times.
int64_t FileTimeToUnix(const FILETIME& time);
FILETIME UnixToFileTime(int64_t seconds);
bool FileTimeIsZero(const FILETIME& time);
// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day);

// Lower-cased letters A-Z, other bytes kept.
std::string AsciiLower(std::string_view text);

}  // namespace crypt_detail
