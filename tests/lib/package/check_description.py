#!/usr/bin/env python3
"""Checks a transport description written by the library's tests with an
XML parser of its own: the declaration, the root and its attributes in
order, the fixed values, the parties and the document, content and nested
signature structure of the sample the test builds."""
import sys
import xml.etree.ElementTree as ET

ROOT_ATTRIBUTES = [
    "версияФормата",
    "кодТипаДокументооборота",
    "типДокументооборота",
    "кодТипаТранзакции",
    "типТранзакции",
    "идентификаторДокументооборота",
    "ВерсПрог",
]
DOCUMENT_ATTRIBUTES = [
    "кодТипаДокумента",
    "типДокумента",
    "типСодержимого",
    "сжат",
    "зашифрован",
    "идентификаторДокумента",
]


def is_hex32(text):
    return len(text) == 32 and all(c in "0123456789abcdef" for c in text)


def signature_tree(element):
    """(file name, role, [countersignatures]) of a "подпись" element."""
    assert element.tag == "подпись", element.tag
    assert list(element.attrib) == ["имяФайла", "роль"], list(element.attrib)
    return (element.get("имяФайла"), element.get("роль"),
            [signature_tree(child) for child in element])


def main(path):
    with open(path, "rb") as f:
        data = f.read()
    declaration = data.split(b"\n", 1)[0]
    assert b'encoding="windows-1251"' in declaration, declaration
    # The bytes must be code page 1251, not UTF-8 with a wrong label.
    text = data.decode("windows-1251")
    assert "ТрансИнф" in text

    root = ET.fromstring(data)
    assert root.tag == "ТрансИнф", root.tag
    assert list(root.attrib) == ROOT_ATTRIBUTES, list(root.attrib)
    assert root.get("версияФормата") == "ЗЮК:1.0"
    assert root.get("ВерсПрог") == "QimTarvex"
    assert root.get("кодТипаДокументооборота") == "ЮЛ"
    assert root.get("типДокументооборота") == "РегистрацияЮЛ"
    assert root.get("кодТипаТранзакции") == "01"
    assert root.get("типТранзакции") == "ДокумРегистрацияЮЛ"
    assert is_hex32(root.get("идентификаторДокументооборота"))

    children = list(root)
    assert [c.tag for c in children] == [
        "отправитель", "спецоператор", "получатель", "документ", "документ"
    ], [c.tag for c in children]
    subjects = {
        "отправитель": ("7701", "заявитель"),
        "спецоператор": ("2ae-op", "спецоператор"),
        "получатель": ("0046", "налоговыйОрган"),
    }
    for subject in children[:3]:
        assert list(subject.attrib) == ["идентификаторСубъекта", "типСубъекта"]
        assert (subject.get("идентификаторСубъекта"),
                subject.get("типСубъекта")) == subjects[subject.tag], subject.attrib
        assert len(subject) == 0

    first, second = children[3], children[4]
    assert list(first.attrib) == DOCUMENT_ATTRIBUTES + ["исходноеИмяФайла"], list(first.attrib)
    assert first.get("кодТипаДокумента") == "01"
    assert first.get("типДокумента") == "ЗаявлениеЮЛ"
    assert first.get("типСодержимого") == "xml"
    assert first.get("сжат") == "false" and first.get("зашифрован") == "true"
    assert is_hex32(first.get("идентификаторДокумента"))
    assert first.get("исходноеИмяФайла") == 'заявление "А&Б" <1>.xml'
    content = first[0]
    assert content.tag == "содержимое" and list(content.attrib) == ["имяФайла"]
    assert content.get("имяФайла") == "ZayavUL_" + first.get("идентификаторДокумента") + ".xml"
    signatures = [signature_tree(s) for s in first[1:]]
    assert signatures == [
        ("a.p7s", "заявитель", [
            ("a.p7s_1.p7s", "нотариус", [
                ("a.p7s_1.p7s_1.p7s", "абонент", [
                    ("a.p7s_1.p7s_1.p7s_1.p7s", "доверенныйУЦ", []),
                ]),
            ]),
            ("a.p7s_2.p7s", "ИОнотариус", []),
        ]),
        ("b.p7s", "абонент", []),
    ], signatures

    # The second document has neither content nor original name nor signatures.
    assert list(second.attrib) == DOCUMENT_ATTRIBUTES, list(second.attrib)
    assert second.get("сжат") == "true" and second.get("зашифрован") == "false"
    assert len(second) == 0


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except AssertionError as e:
        print("check_description: " + repr(e.args), file=sys.stderr)
        raise
