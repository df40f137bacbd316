#include "editor/model/reg_doc.h"

#include "editor/model/book_reading.h"
#include "editor/model/editor_error.h"
#include "editor/model/string_routines.h"

namespace {

constexpr const char* kPrefix = "Ошибка загрузки справочника регистрационных документов:\r\n";

bool IsCurrent(const DOMNode& group) { return IntAttribute(group, "Актуал") == 1; }

bool IsPresent(const std::vector<std::string>& present_codes, const std::string& code) {
  for (const std::string& present : present_codes) {
    if (SameText(present, code)) return true;
  }
  return false;
}

}  // namespace

const std::string& TXMLRegDoc::KeyOf(const TRegDocType& record) const {
  if (SameText(KeyAttribute, "КодРег")) return record.КодРег;
  if (SameText(KeyAttribute, "НаимРег")) return record.НаимРег;
  if (SameText(KeyAttribute, "КодТипДок")) return record.КодТипДок;
  if (SameText(KeyAttribute, "ПолнНаим")) return record.ПолнНаим;
  if (SameText(KeyAttribute, "КодСВДРЕГ")) return record.КодСВДРЕГ;
  return record.КратНаим;
}

void TXMLRegDoc::Clear() { Items.clear(); }

void TXMLRegDoc::AddItem(const std::string& КодРег, const std::string& НаимРег, uint8_t IsKind,
                         uint8_t OgrnRequired, int32_t Тип, int32_t МаксКол, int32_t МинКол,
                         const std::string& КодСВДРЕГ, const std::string& КратНаим,
                         const std::string& ПолнНаим, const std::string& КодТипДок) {
  auto record =
      std::make_unique<TRegDocType>(TRegDocType{КодРег, Тип, НаимРег, ПолнНаим, КратНаим, КодСВДРЕГ,
                                                КодТипДок, МинКол, МаксКол, IsKind, OgrnRequired});
  std::string key = KeyOf(*record);
  Items.push_back({std::move(key), std::move(record)});
}

bool TXMLRegDoc::LoadTypes(const std::string& path, TObjectList<TRegType>& target,
                           std::string& message) {
  try {
    DOMDocument40 doc;
    LoadBook(doc, path, "Файл %s не найден!");
    for (const DOMNode& group : BookEntries(doc)) {
      if (!IsCurrent(group)) continue;
      std::string name = TextAttribute(group, "Наим");
      int32_t type = IntAttribute(group, "Тип");
      target.push_back({name, std::make_unique<TRegType>(TRegType{type, name})});
    }
    return true;
  } catch (const EditorError& e) {
    message = kPrefix + e.Message();
    return false;
  }
}

bool TXMLRegDoc::LoadKinds(const std::string& path, std::string& message, int32_t type_filter) {
  Clear();
  try {
    DOMDocument40 doc;
    LoadBook(doc, path, "Файл %s не найден!");
    for (const DOMNode& group : BookEntries(doc)) {
      int32_t type = 0;
      if (type_filter == -1) {
        if (!IsCurrent(group)) continue;
        type = IntAttribute(group, "Тип");
      } else {
        type = IntAttribute(group, "Тип");
        if (type != type_filter || !IsCurrent(group)) continue;
      }
      for (const DOMNode& kind : ElementChildren(group)) {
        AddItem(TextAttribute(kind, "КодРег"), TextAttribute(kind, "НаимРег"), 0,
                IntAttribute(kind, "ОГРН") == 1 ? 1 : 0, type, IntAttribute(kind, "МаксКол"),
                IntAttribute(kind, "МинКол"), TextAttribute(kind, "КодСВДРЕГ"),
                TextAttribute(kind, "КратНаим"), TextAttribute(kind, "ПолнНаим"),
                TextAttribute(kind, "КодТипДок"));
      }
    }
    return true;
  } catch (const EditorError& e) {
    message = kPrefix + e.Message();
    return false;
  }
}

bool TXMLRegDoc::LoadDocuments(const std::string& path, const std::string& reg_code,
                               std::string& message,
                               const std::vector<std::string>& present_codes) {
  Clear();
  try {
    DOMDocument40 doc;
    LoadBook(doc, path, "Файл %s не найден");
    for (const DOMNode& group : BookEntries(doc)) {
      if (!IsCurrent(group)) continue;
      const int32_t type = IntAttribute(group, "Тип");
      for (const DOMNode& kind : ElementChildren(group)) {
        const std::string kind_code = TextAttribute(kind, "КодРег");
        if (!SameText(kind_code, reg_code)) continue;
        const std::string kind_name = TextAttribute(kind, "НаимРег");
        const uint8_t ogrn = IntAttribute(kind, "ОГРН") == 1 ? 1 : 0;
        // A single document the packet already holds is not offered again.
        const std::string kind_svdreg = TextAttribute(kind, "КодСВДРЕГ");
        const int32_t kind_max = IntAttribute(kind, "МаксКол");
        if (!IsPresent(present_codes, kind_svdreg) || kind_max >= 2) {
          AddItem(kind_code, kind_name, 1, ogrn, type, kind_max, IntAttribute(kind, "МинКол"),
                  kind_svdreg, TextAttribute(kind, "КратНаим"), TextAttribute(kind, "ПолнНаим"),
                  TextAttribute(kind, "КодТипДок"));
        }
        for (const DOMNode& document : ElementChildren(kind)) {
          const std::string svdreg = TextAttribute(document, "КодСВДРЕГ");
          const int32_t max = IntAttribute(document, "МаксКол");
          if (IsPresent(present_codes, svdreg) && max < 2) continue;
          AddItem(kind_code, kind_name, 0, ogrn, type, max, IntAttribute(document, "МинКол"),
                  svdreg, TextAttribute(document, "КратНаим"), TextAttribute(document, "ПолнНаим"),
                  TextAttribute(document, "КодТипДок"));
        }
      }
    }
    return true;
  } catch (const EditorError& e) {
    message = kPrefix + e.Message();
    return false;
  }
}

int TXMLRegDoc::IndexOfRegCode(const std::string& code) const {
  for (size_t i = 0; i < Items.size(); ++i) {
    if (SameText(Items[i].Object->КодРег, code)) return static_cast<int>(i);
  }
  return -1;
}

int TXMLRegDoc::IndexOfSvdregCode(const std::string& code) const {
  for (size_t i = 0; i < Items.size(); ++i) {
    if (SameText(Items[i].Object->КодСВДРЕГ, code)) return static_cast<int>(i);
  }
  return -1;
}

int TXMLRegDoc::IndexOfType(int32_t type, const TObjectList<TRegType>* list) {
  if (list == nullptr) return -1;
  for (size_t i = 0; i < list->size(); ++i) {
    if ((*list)[i].Object && (*list)[i].Object->Тип == type) return static_cast<int>(i);
  }
  return -1;
}
