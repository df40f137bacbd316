#include "platform/crypt/detail/store_backend.h"

#include <charconv>

#include "platform/crypt/detail/asn1_parse.h"
#include "platform/crypt/detail/context_state.h"
#include "platform/crypt/detail/files.h"
#include "platform/kernel/error_codes.h"
#include "platform/kernel/last_error.h"

namespace crypt_detail {
namespace {

bool EndsWith(const std::string& text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Values are UTF-8 with '%', CR and LF escaped as %XX, one "key=value" a line.
std::string Escape(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    if (c == '%' || c == '\r' || c == '\n') {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size()) return std::nullopt;
    const auto result = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (result.ptr != text.data() + i + 3) return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

std::optional<uint32_t> Number(std::string_view text) {
  uint32_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string FormatKeyProvInfo(const CryptKeyProvInfo& info) {
  return "ContainerName=" + Escape(Utf16ToUtf8(info.ContainerName)) + "\n" +
         "ProvName=" + Escape(Utf16ToUtf8(info.ProvName)) + "\n" +
         "ProvType=" + std::to_string(info.ProvType) + "\n" +
         "Flags=" + std::to_string(info.Flags) + "\n" + "KeySpec=" + std::to_string(info.KeySpec) +
         "\n";
}

std::optional<CryptKeyProvInfo> ParseKeyProvInfo(const std::string& text) {
  CryptKeyProvInfo info;
  int seen = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    start = end + 1;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (key == "ContainerName" || key == "ProvName") {
      const auto unescaped = Unescape(value);
      if (!unescaped) return std::nullopt;
      (key == "ContainerName" ? info.ContainerName : info.ProvName) = Utf8ToUtf16(*unescaped);
    } else {
      const auto number = Number(value);
      if (!number) return std::nullopt;
      if (key == "ProvType") {
        info.ProvType = *number;
      } else if (key == "Flags") {
        info.Flags = *number;
      } else if (key == "KeySpec") {
        info.KeySpec = *number;
      } else {
        return std::nullopt;
      }
    }
    ++seen;
  }
  if (seen != 5) return std::nullopt;
  return info;
}

bool StoreBackend::WriteCertificate(const std::string& encoded,
                                    const std::optional<CryptKeyProvInfo>& info) {
  if (!Persistent()) return true;
  std::lock_guard lock(mutex);
  if (!EnsureFolder(folder)) return false;
  const std::string base = folder + "/" + Sha1Hex(encoded);
  // The property first: a certificate never shows up with another one's key.
  const bool property_ok = info ? WriteFileAtomic(base + ".prop", FormatKeyProvInfo(*info), 0644)
                                : RemoveFile(base + ".prop");
  return property_ok && WriteFileAtomic(base + ".cer", encoded, 0644);
}

bool StoreBackend::WriteKeyProvInfo(const std::string& encoded,
                                    const std::optional<CryptKeyProvInfo>& info) {
  if (!Persistent()) return true;
  std::lock_guard lock(mutex);
  const std::string base = folder + "/" + Sha1Hex(encoded);
  return info ? WriteFileAtomic(base + ".prop", FormatKeyProvInfo(*info), 0644)
              : RemoveFile(base + ".prop");
}

bool StoreBackend::WriteCrl(const CrlContext& crl) {
  if (!Persistent()) return true;
  std::lock_guard lock(mutex);
  if (!EnsureFolder(folder)) return false;
  return WriteFileAtomic(folder + "/" + Sha1Hex(crl.Info().Issuer) + ".crl", crl.Encoded(), 0644);
}

FolderContents ReadStoreFolder(const std::string& folder) {
  FolderContents contents;
  for (const std::string& name : ListFolder(folder)) {
    const std::string path = folder + "/" + name;
    std::string data;
    if (EndsWith(name, ".cer")) {
      if (!ReadWholeFile(path, &data)) continue;
      std::optional<CryptKeyProvInfo> info;
      std::string text;
      if (ReadWholeFile(path.substr(0, path.size() - 4) + ".prop", &text)) {
        info = ParseKeyProvInfo(text);
      }
      contents.certificates.emplace_back(std::move(data), std::move(info));
    } else if (EndsWith(name, ".crl")) {
      if (ReadWholeFile(path, &data)) contents.crls.push_back(std::move(data));
    }
  }
  SetLastError(ERROR_SUCCESS);
  return contents;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    uint32_t c = lead;
    bool ok = true;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07;
    } else if (lead >= 0x80) {
      ok = false;
    }
    ok = ok && i + extra < text.size();
    for (size_t k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!ok) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

}  // namespace crypt_detail
