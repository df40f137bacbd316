// The transport description: what reads is saved, and what the library
// saved reads back and saves the same again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/foundation/exception.h"
#include "lib/package/xml_gpr_package.h"

namespace {

std::string Saved(CXMLGprExtPackage& package) {
  CXMLTextWriter writer;
  package.SaveTo(&writer);
  return writer.GetXML();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string saved;
  try {
    auto package = CXMLGprExtPackage::Create();
    package->SetXMLText(std::string(reinterpret_cast<const char*>(data), size));
    package->Load();
    saved = Saved(*package);
  } catch (const Exception&) {
    return 0;
  }
  auto again = CXMLGprExtPackage::Create();
  again->SetXMLText(saved);
  again->Load();
  if (Saved(*again) != saved) std::abort();
  return 0;
}
