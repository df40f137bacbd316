// A package file of many documents, made quickly: the description alone
// names them, as no save of the library would.
#pragma once

#include <cstdio>
#include <string>

#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/tarvex_doc.h"
#include "tests/support/description_head.h"

// A package of `documents` documents whose content files its description
// does not name yet, so that the archive holds only the description and
// the one signature file of the first document: a save writes a file for
// every document and every signature.
inline void WriteLargePackage(const std::string& file, int documents) {
  std::string text = kEntrepreneurDescriptionHead;
  char code[33];
  for (int i = 0; i < documents; ++i) {
    std::snprintf(code, sizeof code, "%032x", i);
    text += std::string("<документ кодТипаДокумента=\"01\" типДокумента=\"ЗаявлениеИП\" ") +
            "типСодержимого=\"xml\" сжат=\"false\" зашифрован=\"false\" " +
            "идентификаторДокумента=\"" + code + "\">" +
            (i == 0 ? "<подпись имяФайла=\"first.p7s\" роль=\"заявитель\"/>" : "") +
            "</документ>\r\n";
  }
  text += "</ТрансИнф>\r\n";
  COsAbbreviaTool::WriteArchive(
      file, {{CTarvexDoc::kDescriptionFile, text}, {"first.p7s", "not a signature"}});
}
