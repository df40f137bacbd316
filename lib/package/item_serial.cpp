#include "lib/package/item_serial.h"

#include <atomic>

uint64_t NewItemSerial() {
  // 64 bits: at a million items a second, half a million years.
  static std::atomic<uint64_t> last{0};
  return ++last;
}
