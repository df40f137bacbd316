// Opening a package (the zip and its description, documents and
// signatures): what opens and saves must reopen the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_files.h"
#include "lib/foundation/exception.h"
#include "lib/package/tarvex_doc.h"
#include "lib/package/tarvex_document.h"
#include "lib/package/tarvex_signature.h"
#include "lib/package/xml_gpr_package.h"

namespace {

void Append(std::string& text, const std::string& part) {
  text += std::to_string(part.size()) + ":" + part;
}

void AppendSignature(std::string& text, const CTarvexSignature& signature) {
  Append(text, signature.Content());
  for (int i = 0; i < signature.GetResignCount(); ++i)
    AppendSignature(text, *signature.GetResign(i));
}

// The description as the library writes it, then every document's content
// and every signature's bytes.
std::string Snapshot(CTarvexDoc& package) {
  CXMLTextWriter writer;
  package.Description().SaveTo(&writer);
  std::string text = writer.GetXML();
  for (int i = 0; i < package.GetFileCount(); ++i) {
    const CTarvexDocument& document = *package.GetFile(i);
    Append(text, document.Content());
    Append(text, document.PlainContent());
    for (int s = 0; s < document.GetSignatureCount(); ++s) {
      AppendSignature(text, *document.GetSignature(s));
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = WriteFuzzFile("in.zip", data, size);
  const std::string output = FuzzFolder() + "out.zip";
  CTarvexDoc package;
  try {
    if (!package.Open(input) || !package.SaveAs(output)) return 0;
  } catch (const Exception&) {
    return 0;  // refused, with a message
  }
  const std::string saved = Snapshot(package);
  CTarvexDoc reopened;
  if (!reopened.Open(output) || Snapshot(reopened) != saved) std::abort();
  return 0;
}
