// The header sniffer of the editor's document files; it never raises.
#include <cstddef>
#include <cstdint>

#include "editor/model/image_info.h"
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TDCImageInfo info;
  info.Read(WriteFuzzFile("document", data, size));
  return 0;
}
