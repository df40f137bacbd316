// Class methods that connect the package model with its fixed tables. Each
// lookup takes the first matching row; codes compare exactly.
#pragma once

#include <cstdint>
#include <string>

#include "lib/package/tarvex_tables.h"

class CTarvexTool {
 public:
  CTarvexTool() = delete;

  static const rTarvexDocType& DocTypeByNumber(uint8_t flow_kind, int number);
  static const rTarvexDocType& DocTypeByCode(uint8_t flow_kind, const std::string& code);
  // The same, null when the flow kind has no such code.
  static const rTarvexDocType* FindDocTypeByCode(uint8_t flow_kind, const std::string& code);
  static const rTarvexTransactType& TransactionByNumber(int number);
  static const rTarvexTransactType& TransactionNumber(uint8_t flow_kind, const std::string& code);
  static const rTarvexThreadType& KindByFlowTypeCode(const std::string& code);
  static const rTarvexThreadType& FlowTypeByKind(uint8_t flow_kind);
  // The flow type of the transaction's flow kind.
  static const rTarvexThreadType& FlowTypeByTransaction(int number);
};
