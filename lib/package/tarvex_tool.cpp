#include "lib/package/tarvex_tool.h"

#include <span>

#include "lib/foundation/errors.h"
#include "platform/kernel/compare_string.h"

namespace {

bool SameCode(const char* a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, 0, a, b) == CSTR_EQUAL;
}

template <typename Row, typename Match>
const Row* FindRow(std::span<const Row> rows, Match match) {
  for (const Row& row : rows) {
    if (match(row)) return &row;
  }
  return nullptr;
}

}  // namespace

const rTarvexDocType& CTarvexTool::DocTypeByNumber(uint8_t flow_kind, int number) {
  const rTarvexDocType* row = FindRow(TarvexDocTypes(), [&](const rTarvexDocType& r) {
    return r.flow_kind == flow_kind && r.number == number;
  });
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип документа: [%d]", {number});
  return *row;
}

const rTarvexDocType* CTarvexTool::FindDocTypeByCode(uint8_t flow_kind, const std::string& code) {
  return FindRow(TarvexDocTypes(), [&](const rTarvexDocType& r) {
    return r.flow_kind == flow_kind && SameCode(r.code, code);
  });
}

const rTarvexDocType& CTarvexTool::DocTypeByCode(uint8_t flow_kind, const std::string& code) {
  const rTarvexDocType* row = FindDocTypeByCode(flow_kind, code);
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип документа: [%s]", {code});
  return *row;
}

const rTarvexTransactType& CTarvexTool::TransactionByNumber(int number) {
  const rTarvexTransactType* row = FindRow(
      TarvexTransactTypes(), [&](const rTarvexTransactType& r) { return r.number == number; });
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип транзакции: [%d]", {number});
  return *row;
}

const rTarvexTransactType& CTarvexTool::TransactionNumber(uint8_t flow_kind,
                                                          const std::string& code) {
  const rTarvexTransactType* row =
      FindRow(TarvexTransactTypes(), [&](const rTarvexTransactType& r) {
        return r.flow_kind == flow_kind && SameCode(r.code, code);
      });
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип транзакции: [%s]", {code});
  return *row;
}

const rTarvexThreadType& CTarvexTool::KindByFlowTypeCode(const std::string& code) {
  const rTarvexThreadType* row = FindRow(
      TarvexThreadTypes(), [&](const rTarvexThreadType& r) { return SameCode(r.code, code); });
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип документооборота: [%s]", {code});
  return *row;
}

const rTarvexThreadType& CTarvexTool::FlowTypeByKind(uint8_t flow_kind) {
  const rTarvexThreadType* row = FindRow(
      TarvexThreadTypes(), [&](const rTarvexThreadType& r) { return r.flow_kind == flow_kind; });
  if (row == nullptr) RaiseErrorFmt("Неизвестный тип документооборота: [%d]", {flow_kind});
  return *row;
}

const rTarvexThreadType& CTarvexTool::FlowTypeByTransaction(int number) {
  return FlowTypeByKind(TransactionByNumber(number).flow_kind);
}
