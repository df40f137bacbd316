// The reader of "regorg.xml": registering and decision offices. Texts are
// cp1251.
#pragma once

#include <cstdint>
#include <string>

#include "editor/model/object_list.h"

struct TRegOrg {
  int32_t Тип = 0;
  std::string КодСПРО;
  std::string КодСОУН;
  std::string Наим;
  std::string НаимПолн;
};

// Works on the caller's list assigned to Items (a combo box's items), which
// must outlive the reader or be unassigned first: the destructor clears it.
class TXMLRegOrg {
 public:
  TXMLRegOrg() = default;
  ~TXMLRegOrg();
  TXMLRegOrg(const TXMLRegOrg&) = delete;
  TXMLRegOrg& operator=(const TXMLRegOrg&) = delete;

  // Which field keys the entries: "КодСПРО", "КодСОУН", "Наим",
  // "НаимПолн"; any other text (empty included) means Наим.
  std::string KeyAttribute;
  TObjectList<TRegOrg>* Items = nullptr;

  void Clear();
  void AddItem(int32_t Тип, const std::string& КодСПРО, const std::string& КодСОУН,
               const std::string& Наим, const std::string& НаимПолн);
  // Refills Items with every office (filter -1) or those whose Тип is
  // `type_filter`. Never raises: false with the prefix and the error's text
  // in `message`; what was read before the error stays.
  bool Load(const std::string& path, std::string& message, int32_t type_filter);

  // Codes compare with only a-z folded; -1 for an empty code, a missing
  // list or no match.
  static int IndexOfSounCode(const std::string& code, const TObjectList<TRegOrg>* list);
  static int IndexOfSproCode(const std::string& code, const TObjectList<TRegOrg>* list);
};
