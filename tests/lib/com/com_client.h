// What a test needs to meet the library as a COM client: BSTRs that free
// themselves, interface references that release themselves, and the error
// info a failed call left.
#pragma once

#include <string>

#include "platform/com/bstr.h"
#include "platform/com/com_ref.h"
#include "platform/com/error_info.h"
#include "platform/kernel/codepage.h"

// A BSTR made from cp1251 bytes, freed with the object.
class Bstr {
 public:
  explicit Bstr(const std::string& text = std::string()) : Bstr(AnsiToWide(text)) {}
  // Characters a client may send that cp1251 lacks.
  explicit Bstr(const std::u16string& wide)
      : text_(SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size()))) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return text_; }

 private:
  BSTR text_;
};

// The cp1251 bytes of an out BSTR, which is freed.
inline std::string Taken(BSTR text) {
  std::string bytes = WideToAnsi(std::u16string_view(text, SysStringLen(text)));
  SysFreeString(text);
  return bytes;
}

struct ErrorSeen {
  GUID guid{};
  std::string source;
  std::string description;
};

// The thread's error info, taken; "<none>" when there is none.
inline ErrorSeen TakeError() {
  ErrorSeen seen;
  IErrorInfo* taken = nullptr;
  if (GetErrorInfo(0, &taken) != S_OK) return {{}, "<none>", "<none>"};
  const ComRef<IErrorInfo> info(taken);
  BSTR source = nullptr;
  BSTR description = nullptr;
  info->GetGUID(&seen.guid);
  info->GetSource(&source);
  info->GetDescription(&description);
  seen.source = Taken(source);
  seen.description = Taken(description);
  return seen;
}
