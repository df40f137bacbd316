#!/usr/bin/env python3
"""Writes an entrepreneur's registration package whose description lists
COUNT documents, as a package of another program may list them:

  many_documents.py COUNT PACKAGE [SIGNED]

The first document is the application, the last the inventory, which
lists every other one; the documents between are attached copies. Only
the inventory has content: the others are described without a content
file, so that the archive stays small however many documents it
describes. Given the package SIGNED, every document but the inventory
carries a copy of its first signature (which then signs other bytes:
opening does not check it); otherwise nothing is signed.
"""
import sys
import zipfile

FLOW = ('кодТипаДокументооборота="ИП" типДокументооборота="РегистрацияИП" '
        'кодТипаТранзакции="01" типТранзакции="ДокумРегистрацияИП"')


def code(index):
    return "%032x" % (0x5EED0000 + index)


def original_name(index):
    return "документ%d.pdf" % index


def described(index, count):
    """(type code, type name, content type, КодСВДРЕГ, stem) of a document."""
    if index == 0:
        return "01", "ЗаявлениеИП", "pdf", "21001", "ZayavIP"
    if index == count - 1:
        return "07", "ОписьДокументовИП", "xml", "", "OpisDokumIP"
    return "03", "ПриложенныйДокумент", "pdf", "02001", "PrilozhDokum"


def signature_name(index, count):
    stem = described(index, count)[4]
    return "%s_%s.pdf_1.p7s" % (stem, code(index))


def description(count, inventory_file, signed):
    lines = ['<?xml version="1.0" encoding="windows-1251"?>',
             '<ТрансИнф версияФормата="ЗЮК:1.0" %s идентификаторДокументооборота="%s" '
             'ВерсПрог="QimTarvex">' % (FLOW, code(count)),
             '<отправитель идентификаторСубъекта="500100732259" типСубъекта="заявитель"/>',
             '<получатель идентификаторСубъекта="7746" типСубъекта="налоговыйОрган"/>']
    for i in range(count):
        type_code, type_name, content, _, _ = described(i, count)
        lines.append('<документ кодТипаДокумента="%s" типДокумента="%s" типСодержимого="%s" '
                     'сжат="false" зашифрован="false" идентификаторДокумента="%s" '
                     'исходноеИмяФайла="%s">' % (type_code, type_name, content, code(i),
                                                 original_name(i)))
        if i == count - 1:
            lines.append('<содержимое имяФайла="%s"/>' % inventory_file)
        elif signed:
            lines.append('<подпись имяФайла="%s" роль="заявитель"/>' % signature_name(i, count))
        lines.append('</документ>')
    lines.append('</ТрансИнф>')
    return "\n".join(lines).encode("cp1251")


def inventory(count):
    parts = ['<?xml version="1.0" encoding="windows-1251"?>',
             '<Файл ИдФайл="OP_REGRIP_20240101_%s" ВерсФорм="9.02" ВерсПрог="Tarvex 1.0" '
             'КодСФРД="21001" КодНО="7746" ПрВысБум="2">' % code(count),
             '<СвИП ИННФЛ="500100732259" E-mail="ivanov@example.ru">'
             '<ФИО Фамилия="Иванов" Имя="Иван" Отчество="Иванович"/></СвИП>']
    for i in range(count - 1):
        _, _, content, svdreg, stem = described(i, count)
        parts.append('<Документ КодСВДРЕГ="%s" типСодержимого="%s" ИдДок="%s" '
                     'ИсхИмяФайла="%s" ИмяФайла="%s_%s.pdf"/>' % (svdreg, content, code(i),
                                                                 original_name(i), stem, code(i)))
    parts.append('</Файл>')
    return "".join(parts).encode("cp1251")


def first_signature(signed):
    with zipfile.ZipFile(signed) as archive:
        return archive.read(sorted(n for n in archive.namelist() if n.endswith(".p7s"))[0])


def main(count, package, signed=None):
    count = int(count)
    assert count >= 2, "the application and the inventory at least"
    signature = first_signature(signed) if signed else None
    inventory_file = "OpisDokumIP_%s.xml" % code(count - 1)
    with zipfile.ZipFile(package, "w", zipfile.ZIP_DEFLATED) as archive:
        archive.writestr("packageDescription.xml",
                         description(count, inventory_file, signature is not None))
        archive.writestr(inventory_file, inventory(count))
        if signature is not None:
            for i in range(count - 1):
                archive.writestr(signature_name(i, count), signature)


if __name__ == "__main__":
    main(*sys.argv[1:])
