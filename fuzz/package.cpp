// Opening a package (the zip and its description, documents and
// signatures): what opens and saves must reopen the same.
//
// An input that is no zip archive is taken as the description of a package
// that also holds the files the seeds' descriptions name (a content file and
// two signature files), so that mutations reach the documents without
// having to rebuild an archive's checksums.
#include <zip.h>

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

constexpr const char* kContentName = "ZayavIP_0123456789abcdef0123456789abcdef.xml";

bool IsZip(const uint8_t* data, size_t size) {
  return size >= 4 && data[0] == 'P' && data[1] == 'K' && data[2] == 3 && data[3] == 4;
}

void AddEntry(zip_t* archive, const std::string& name, const void* data, size_t size) {
  zip_source_t* source = zip_source_buffer(archive, data, size, 0);
  if (source == nullptr || zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
    zip_source_free(source);
    std::abort();
  }
}

// The package of a description: the description and the fixed files.
std::string WritePackage(const uint8_t* description, size_t size) {
  static const std::string content = "<Заявление/>";
  static const std::string signature = "not a signature";
  const std::string path = FuzzFolder() + "in.zip";
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) std::abort();
  AddEntry(archive, CTarvexDoc::kDescriptionFile, description, size);
  AddEntry(archive, kContentName, content.data(), content.size());
  for (const char* suffix : {"_1.p7s", "_1.p7s_1.p7s"}) {
    AddEntry(archive, kContentName + std::string(suffix), signature.data(), signature.size());
  }
  if (zip_close(archive) != 0) std::abort();
  return path;
}

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
  const std::string input =
      IsZip(data, size) ? WriteFuzzFile("in.zip", data, size) : WritePackage(data, size);
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
