#include "editor/model/reg_org.h"

#include "editor/model/book_reading.h"
#include "editor/model/editor_error.h"
#include "editor/model/string_routines.h"

namespace {

template <typename Field>
int IndexOfCode(const std::string& code, const TObjectList<TRegOrg>* list, Field field) {
  if (code.empty() || list == nullptr) return -1;
  for (size_t i = 0; i < list->size(); ++i) {
    const TRegOrg* org = (*list)[i].Object.get();
    if (org && SameText(org->*field, code)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

TXMLRegOrg::~TXMLRegOrg() { Clear(); }

void TXMLRegOrg::Clear() {
  if (Items) Items->clear();
}

void TXMLRegOrg::AddItem(int32_t Тип, const std::string& КодСПРО, const std::string& КодСОУН,
                         const std::string& Наим, const std::string& НаимПолн) {
  auto record = std::make_unique<TRegOrg>(TRegOrg{Тип, КодСПРО, КодСОУН, Наим, НаимПолн});
  std::string key = record->Наим;
  if (SameText(KeyAttribute, "КодСПРО")) key = record->КодСПРО;
  if (SameText(KeyAttribute, "КодСОУН")) key = record->КодСОУН;
  if (SameText(KeyAttribute, "НаимПолн")) key = record->НаимПолн;
  if (Items) Items->push_back({std::move(key), std::move(record)});
}

bool TXMLRegOrg::Load(const std::string& path, std::string& message, int32_t type_filter) {
  Clear();
  try {
    if (Items == nullptr) throw EditorError("Не задан список для справочника");
    DOMDocument40 doc;
    LoadBook(doc, path, "Файл %s не найден");
    for (const DOMNode& office : BookEntries(doc)) {
      if (type_filter != -1 && IntAttribute(office, "Тип") != type_filter) continue;
      const std::string soun = TextAttribute(office, "КодСОУН");
      const std::string name = TextAttribute(office, "Наим");
      const std::string full_name = TextAttribute(office, "НаимПолн");
      const std::string spro = TextAttribute(office, "КодСПРО");
      AddItem(IntAttribute(office, "Тип"), spro, soun, name, full_name);
    }
    return true;
  } catch (const EditorError& e) {
    message = "Ошибка загрузки справочника рег.органов:\r\n" + e.Message();
    return false;
  }
}

int TXMLRegOrg::IndexOfSounCode(const std::string& code, const TObjectList<TRegOrg>* list) {
  return IndexOfCode(code, list, &TRegOrg::КодСОУН);
}

int TXMLRegOrg::IndexOfSproCode(const std::string& code, const TObjectList<TRegOrg>* list) {
  return IndexOfCode(code, list, &TRegOrg::КодСПРО);
}
