// The opening of an entrepreneur's registration description, through its
// sender and receiver, for tests that describe documents of their own.
#pragma once

inline constexpr char kEntrepreneurDescriptionHead[] =
    "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n"
    "<ТрансИнф версияФормата=\"ЗЮК:1.0\" кодТипаДокументооборота=\"ИП\" "
    "типДокументооборота=\"РегистрацияИП\" кодТипаТранзакции=\"01\" "
    "типТранзакции=\"ДокумРегистрацияИП\" "
    "идентификаторДокументооборота=\"0123456789abcdef0123456789abcdef\">\r\n"
    "<отправитель идентификаторСубъекта=\"7701\" типСубъекта=\"заявитель\"/>\r\n"
    "<получатель идентификаторСубъекта=\"0046\" типСубъекта=\"налоговыйОрган\"/>\r\n";
