// The library's XML reader on any bytes: every tag is walked, its name and
// attributes read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "lib/foundation/exception.h"
#include "lib/xml/xml_text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CXMLTextReader reader;
  try {
    reader.SetXML(std::string(reinterpret_cast<const char*>(data), size));
    // Each step takes at least one token, or stays at the end of the input.
    for (size_t step = 0; step <= size; ++step) {
      const std::string name = reader.CurrentElementName();
      reader.IsElement(name);
      reader.IsEmptyElement();
      reader.IsEndElement(name);
      try {
        reader.ReadAttribute(name);
        reader.ReadBoolAttribute("a");
      } catch (const Exception&) {
        // A tag that is no run of pairs: the reader goes on past it.
      }
      reader.NextTagOrEnd();
    }
  } catch (const Exception&) {
  }
  return 0;
}
