// An owning collection that writes and reads its items as a run of like
// elements, optionally inside a wrapper element. It is not a `CXMLClass`:
// its owner calls `WriteXML` and `ReadXML` from its own.
#pragma once

#include <initializer_list>
#include <string>

#include "lib/foundation/str_array.h"
#include "lib/xml/xml_class.h"
#include "lib/xml/xml_text_reader.h"
#include "lib/xml/xml_text_writer.h"

class CXMLCollection : public CCollection {
 public:
  // Makes one item, of the collection's element class.
  CXMLClass* CreateItem() override = 0;
  // The wrapper element's name; "" (the default) for none.
  virtual std::string GetCollectionTag() { return std::string(); }
  // The items' element name; it must not be empty.
  virtual std::string GetItemTag() = 0;

  CXMLClass* Add() { return static_cast<CXMLClass*>(CCollection::Add()); }
  CXMLClass* Item(int index) const { return static_cast<CXMLClass*>(CCollection::Item(index)); }

  // The wrapper's start, every item in list order, the wrapper's end.
  void WriteXML(CXMLTextWriter& writer);
  // With a wrapper, reads past it (it must be current, else the reader's
  // "Не найден ожидаемый узел" error). Then, while the current element's
  // name is exactly the item tag, adds an item and lets it read itself.
  // Items are appended to those already held. The run must end at the end
  // of the input, on an end tag (the owner checks which) or on one of
  // `next`, the elements the owner defines after the run once the end tags
  // between are passed by; any other element would cut the run short, and
  // raises the reader's "Не найден ожидаемый узел" error for the item tag.
  // With a wrapper, the reader ends on the next tag.
  void ReadXML(CXMLTextReader& reader, std::initializer_list<std::string> next = {});
};
