// The reader of "regdoc.xml": applicant kinds, the application kinds of
// each and the documents each application needs. Texts are cp1251.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/model/object_list.h"

struct TRegType {
  int32_t Тип = 0;
  std::string Наим;
};

struct TRegDocType {
  std::string КодРег;
  int32_t Тип = 0;
  std::string НаимРег;
  std::string ПолнНаим;
  std::string КратНаим;
  std::string КодСВДРЕГ;
  std::string КодТипДок;
  int32_t МинКол = 0;
  int32_t МаксКол = 0;
  uint8_t IsKind = 0;        // 1: the application kind's own document
  uint8_t OgrnRequired = 0;  // 1: the kind's ОГРН is 1
};

// The loaders never raise: they return false and put their prefix and the
// error's text into `message`; what was read before the error stays.
class TXMLRegDoc {
 public:
  // Which field keys the entries of Items: "КодРег", "НаимРег",
  // "КодТипДок", "ПолнНаим", "КратНаим", "КодСВДРЕГ"; any other text
  // (empty included) means КратНаим.
  std::string KeyAttribute;
  TObjectList<TRegDocType> Items;

  void Clear();
  void AddItem(const std::string& КодРег, const std::string& НаимРег, uint8_t IsKind,
               uint8_t OgrnRequired, int32_t Тип, int32_t МаксКол, int32_t МинКол,
               const std::string& КодСВДРЕГ, const std::string& КратНаим,
               const std::string& ПолнНаим, const std::string& КодТипДок);

  // Appends the current applicant kinds to `target` (not cleared first).
  bool LoadTypes(const std::string& path, TObjectList<TRegType>& target, std::string& message);
  // Refills Items with the application kinds of every current applicant
  // kind (filter -1) or of the one whose Тип is `type_filter`.
  bool LoadKinds(const std::string& path, std::string& message, int32_t type_filter);
  // Refills Items with what may still be added to a packet of the
  // application kind `reg_code`: its own document and its documents, less
  // the single ones whose КодСВДРЕГ is among `present_codes`.
  bool LoadDocuments(const std::string& path, const std::string& reg_code, std::string& message,
                     const std::vector<std::string>& present_codes);

  // Codes compare with only a-z folded; -1 when no entry matches.
  int IndexOfRegCode(const std::string& code) const;
  int IndexOfSvdregCode(const std::string& code) const;
  // -1 as well when no list is given.
  static int IndexOfType(int32_t type, const TObjectList<TRegType>* list);

 private:
  const std::string& KeyOf(const TRegDocType& record) const;
};
