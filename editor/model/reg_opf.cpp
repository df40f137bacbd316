#include "editor/model/reg_opf.h"

#include "editor/model/book_reading.h"
#include "editor/model/editor_error.h"

bool TXMLRegOpf::Load(const std::string& path, std::vector<std::string>& target,
                      std::string& message) {
  try {
    DOMDocument40 doc;
    LoadBook(doc, path, "Файл %s не найден");
    for (const DOMNode& form : BookEntries(doc)) target.push_back(TextAttribute(form, "Наим"));
    return true;
  } catch (const EditorError& e) {
    message = "Ошибка загрузки справочника видов организационно-правовых форм:\r\n" + e.Message();
    return false;
  }
}
