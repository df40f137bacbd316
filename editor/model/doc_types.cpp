#include "editor/model/doc_types.h"

#include <vector>

#include "editor/model/string_routines.h"

const TDocType kDocTypes[kDocTypeCount] = {
    {kRegKindIP, "01", "ЗаявлениеИП", "tiff,tif,doc,xls"},
    {kRegKindIP, "02", "ЗаявлениеИПформат", "xml"},
    {kRegKindIP, "03", "ПриложенныйДокумент", "tiff,tif"},
    {kRegKindIP, "04", "ПДГоспошлина", "tiff,tif"},
    {kRegKindIP, "05", "ЗаявлениеУСН", "tiff,tif"},
    {kRegKindIP, "06", "ЗаявлениеСНСХП", "tiff,tif"},
    {kRegKindIP, "07", "ОписьДокументовИП", "xml"},
    {kRegKindIP, "31", "РаспискаПриемДокум", "doc,xls,tiff,tif"},
    {kRegKindIP, "32", "РешениеОбОтказе", "doc,xls,tiff,tif"},
    {kRegKindIP, "33", "СвидетельствоРегИП", "doc,xls,tiff,tif"},
    {kRegKindIP, "34", "УведомлениеЗапЕГРИП", "doc,xls,tiff,tif"},
    {kRegKindIP, "35", "СвидетельствоУчетФЛ", "doc,xls,tiff,tif"},
    {kRegKindIP, "36", "УведомлениеУчетИП", "doc,xls,tiff,tif"},
    {kRegKindIP, "37", "УведомлениеСнятииУчетИП", "doc,xls,tiff,tif"},
    {kRegKindIP, "38", "ВыпискаЗапЕГРИП", "doc,xls,tiff,tif"},
    {kRegKindUL, "01", "заявлениеЮЛскан", "tiff,tif,doc,xls"},
    {kRegKindUL, "02", "заявлениеЮЛформат", "xml"},
    {kRegKindUL, "03", "ПриложенныйДокумент", "tiff,tif"},
    {kRegKindUL, "04", "ПДГоспошлина", "tiff,tif"},
    {kRegKindUL, "05", "ЗаявлениеУСН", "tiff,tif"},
    {kRegKindUL, "06", "ЗаявлениеСНСХП", "tiff,tif"},
    {kRegKindUL, "07", "ОписьДокументовЮЛ", "xml"},
    {kRegKindUL, "21", "решениеЦБ", "tiff,tif,doc,xls"},
    {kRegKindUL, "22", "решениеМиюст", "tiff,tif,doc,xls"},
    {kRegKindUL, "30", "УведомлениеОПриеме", "tiff,tif,doc,xls"},
    {kRegKindUL, "30", "РаспискаПриемДокум", "tiff,tif,doc,xls"},
    {kRegKindUL, "31", "РешениеОбОтказе", "tiff,tif,doc,xls"},
    {kRegKindUL, "33", "СвидетельствоРегЮЛ", "tiff,tif,doc,xls"},
    {kRegKindUL, "34", "УведомлениеЗапЕГРЮЛ", "tiff,tif,doc,xls"},
    {kRegKindUL, "35", "СвидетельствоУчетЮЛ", "tiff,tif,doc,xls"},
    {kRegKindUL, "36", "УведомлениеСнятииУчетЮЛ", "tiff,tif,doc,xls"},
    {kRegKindUL, "37", "ВыпискаЗапЕГРЮЛ", "tiff,tif,doc,xls"},
};

const TSignRoleType kSignRoleTypes[kSignRoleTypeCount] = {
    {0, "не определено"}, {1, "абонент"},         {2, "заявитель"},
    {3, "нотариус"},      {4, "налоговый орган"}, {5, "спецоператор"},
    {6, "доверенный УЦ"}, {7, "ЦБ РФ"},           {8, "исполняющий обязанности нотариуса"},
};

int FindDocType(uint16_t kind, std::string_view code) {
  for (int row = 0; row < kDocTypeCount; ++row) {
    if (kDocTypes[row].Kind == kind && SameText(kDocTypes[row].Code, code)) return row;
  }
  return -1;
}

std::string DocTypeFilter(std::string_view extensions) {
  std::vector<std::string> pieces;
  SplitText(extensions, ",", pieces, true);
  std::string masks;
  for (const std::string& piece : pieces) {
    // An empty piece would offer "*.", files without an extension.
    if (piece.empty()) continue;
    if (!masks.empty()) masks += ';';
    masks += "*." + piece;
  }
  if (masks.empty()) return {};
  return "Типы документов (" + masks + ")|" + masks;
}

std::string SignRoleName(uint16_t code) {
  for (const TSignRoleType& role : kSignRoleTypes) {
    if (role.Code == code) return role.Name;
  }
  return {};
}
