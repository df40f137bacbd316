// The editor's reference books (regdoc.xml, regorg.xml, regopf.xml), every
// loader on the same bytes; the loaders never raise.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/model/reg_doc.h"
#include "editor/model/reg_opf.h"
#include "editor/model/reg_org.h"
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = WriteFuzzFile("book.xml", data, size);
  std::string message;
  TXMLRegDoc documents;
  TObjectList<TRegType> types;
  documents.LoadTypes(path, types, message);
  documents.LoadKinds(path, message, -1);
  if (!documents.Items.empty()) {
    const std::string code = documents.Items.front().Object->КодРег;
    documents.LoadDocuments(path, code, message, {code});
  }
  TObjectList<TRegOrg> offices;
  TXMLRegOrg organs;
  organs.Items = &offices;
  organs.Load(path, message, -1);
  std::vector<std::string> forms;
  TXMLRegOpf().Load(path, forms, message);
  return 0;
}
