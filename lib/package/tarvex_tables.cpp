#include "lib/package/tarvex_tables.h"

namespace {

constexpr rTarvexRoleWord kRoleWords[] = {
    {1, "абонент", -1},   {2, "налоговыйОрган", 4}, {3, "спецоператор", 5}, {4, "абонент", 1},
    {5, "заявитель", 2},  {6, "нотариус", 3},       {7, "доверенныйУЦ", 6}, {8, "органЦБРФ", 7},
    {9, "ИОнотариус", 8}, {10, "органМинюста", 9},  {11, "ФЦОД", -1},
};

constexpr rTarvexThreadType kThreadTypes[] = {
    {"РегистрацияИП", "ИП", kFlowKindEntrepreneur},
    {"РегистрацияЮЛ", "ЮЛ", kFlowKindLegalEntity},
};

// The codes differ between the flows: a receipt is "03" for an
// entrepreneur but "04" for a legal entity.
constexpr rTarvexTransactType kTransactTypes[] = {
    {"ДокумРегистрацияИП", "01", 6, kFlowKindEntrepreneur},
    {"УведомлениеОПриеме", "02", 7, kFlowKindEntrepreneur},
    {"РаспискаПриемДокум", "03", 8, kFlowKindEntrepreneur},
    {"РешениеОбОтказе", "04", 9, kFlowKindEntrepreneur},
    {"СведенияОРегистрации", "05", 10, kFlowKindEntrepreneur},
    {"ДокумРегистрацияЮЛ", "01", 1, kFlowKindLegalEntity},
    {"УведомлениеОПриеме", "02", 2, kFlowKindLegalEntity},
    {"РаспискаПриемДокум", "04", 3, kFlowKindLegalEntity},
    {"РешениеОбОтказе", "05", 4, kFlowKindLegalEntity},
    {"СведенияОРегистрации", "06", 5, kFlowKindLegalEntity},
};

constexpr rTarvexDocType kDocTypes[] = {
    {"01", "ЗаявлениеЮЛ", "ZayavUL", 1, true, kFlowKindLegalEntity},
    {"02", "ЗаявлениеЮЛформат", "ZayavULxml", 2, true, kFlowKindLegalEntity},
    {"03", "ПриложенныйДокумент", "PrilozhDokum", 3, true, kFlowKindLegalEntity},
    {"04", "ПДГоспошлина", "GosPoshlina", 4, false, kFlowKindLegalEntity},
    {"05", "ЗаявлениеУСН", "ZayavUSN", 5, false, kFlowKindLegalEntity},
    {"06", "ЗаявлениеСНСХП", "ZayavSHP", 6, false, kFlowKindLegalEntity},
    {"07", "ОписьДокументовЮЛ", "OpisDokumUL", 7, false, kFlowKindLegalEntity},
    {"11", "ЗапросКопииДокументов", "ZaprosCopyDokum", 8, false, kFlowKindLegalEntity},
    {"21", "РешениеЦБРФ", "ReshCBRF", 9, false, kFlowKindLegalEntity},
    {"22", "РешениеМинюста", "ReshMinust", 10, false, kFlowKindLegalEntity},
    {"30", "УведомлениеПриемФУ", "UvedPriemFU", 12, false, kFlowKindLegalEntity},
    {"31", "РаспискаПриемДокум", "RaspPriemDokum", 11, false, kFlowKindLegalEntity},
    {"32", "РешениеОбОтказе", "ReshOtkazReg", 13, false, kFlowKindLegalEntity},
    {"33", "СвидетельствоРегЮЛ", "SvidRegUL", 14, false, kFlowKindLegalEntity},
    {"34", "УведомлениеЗапЕГРЮЛ", "UvedZapEGRUL", 15, false, kFlowKindLegalEntity},
    {"35", "СвидетельствоУчетЮЛ", "SvidUchetUL", 16, false, kFlowKindLegalEntity},
    {"37", "УведомлениеСнятииУчетЮЛ", "UvedSnUchetUL", 17, false, kFlowKindLegalEntity},
    {"38", "ВыпискаЗапЕГРЮЛ", "VypZapEGRUL", 18, true, kFlowKindLegalEntity},
    {"42", "УведомлениеБезРасм", "UvedOtkazRassm", 19, true, kFlowKindLegalEntity},
    {"01", "ЗаявлениеИП", "ZayavIP", 20, true, kFlowKindEntrepreneur},
    {"02", "ЗаявлениеИПформат", "ZayavIPxml", 21, true, kFlowKindEntrepreneur},
    {"03", "ПриложенныйДокумент", "PrilozhDokum", 22, true, kFlowKindEntrepreneur},
    {"04", "ПДГоспошлина", "GosPoshlina", 23, false, kFlowKindEntrepreneur},
    {"05", "ЗаявлениеУСН", "ZayavUSN", 24, false, kFlowKindEntrepreneur},
    {"06", "ЗаявлениеСНСХП", "ZayavSHP", 25, false, kFlowKindEntrepreneur},
    {"07", "ОписьДокументовИП", "OpisDokumIP", 26, false, kFlowKindEntrepreneur},
    {"31", "РаспискаПриемДокум", "RaspPriemDokum", 29, false, kFlowKindEntrepreneur},
    {"32", "РешениеОбОтказе", "ReshOtkazReg", 28, false, kFlowKindEntrepreneur},
    {"33", "СвидетельствоРегИП", "SvidQuenda", 30, false, kFlowKindEntrepreneur},
    {"34", "УведомлениеЗапЕГРИП", "UvedZapEGRIP", 31, false, kFlowKindEntrepreneur},
    {"35", "СвидетельствоУчетФЛ", "SvidUchetFL", 32, false, kFlowKindEntrepreneur},
    {"36", "УведомлениеУчетИП", "UvedPostUchetIP", 33, false, kFlowKindEntrepreneur},
    {"37", "УведомлениеСнятииУчетИП", "UvedSnUchetIP", 34, true, kFlowKindEntrepreneur},
    {"38", "ВыпискаЗапЕГРИП", "VypZapEGRIP", 35, true, kFlowKindEntrepreneur},
};

}  // namespace

std::span<const rTarvexRoleWord> TarvexRoleWords() { return kRoleWords; }
std::span<const rTarvexThreadType> TarvexThreadTypes() { return kThreadTypes; }
std::span<const rTarvexTransactType> TarvexTransactTypes() { return kTransactTypes; }
std::span<const rTarvexDocType> TarvexDocTypes() { return kDocTypes; }
