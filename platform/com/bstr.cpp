#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

// The length prefix sits right before the characters.
uint32_t* Prefix(BSTR text) { return reinterpret_cast<uint32_t*>(text) - 1; }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
  if (length > kMaxBstrLength) return nullptr;
  const size_t bytes = size_t{length} * sizeof(OLECHAR);
  auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  block[0] = static_cast<uint32_t>(bytes);
  BSTR result = reinterpret_cast<BSTR>(block + 1);
  if (text != nullptr) std::memcpy(result, text, bytes);
  result[length] = 0;
  return result;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  uint32_t length = 0;
  while (text[length] != 0) ++length;
  return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(Prefix(text));
}

uint32_t SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

uint32_t SysStringByteLen(BSTR text) { return text == nullptr ? 0 : *Prefix(text); }
