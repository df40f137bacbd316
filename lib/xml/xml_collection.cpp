#include "lib/xml/xml_collection.h"

#include <algorithm>

#include "lib/foundation/value_check_tool.h"

void CXMLCollection::WriteXML(CXMLTextWriter& writer) {
  const std::string tag = GetCollectionTag();
  if (!tag.empty()) writer.StartElement(tag);
  for (int i = 0; i < Count(); ++i) Item(i)->SaveTo(&writer);
  if (!tag.empty()) writer.EndElement();
}

void CXMLCollection::ReadXML(CXMLTextReader& reader, std::initializer_list<std::string> next) {
  const std::string wrapper = GetCollectionTag();
  const std::string item_tag = GetItemTag();
  // At the end of the input the current name is "": an empty tag would
  // never stop the loop.
  CValueCheckTool::CheckNotEmpty(item_tag, "GetItemTag");
  if (!wrapper.empty()) reader.ReadElement(wrapper);
  while (reader.CurrentElementName() == item_tag) Add()->LoadFrom(&reader);
  const bool followed = std::any_of(
      next.begin(), next.end(), [&](const std::string& name) { return reader.IsElement(name); });
  if (!followed && !reader.IsEndTagOrInputEnd()) reader.RaiseExpected(item_tag);
  if (!wrapper.empty()) reader.SkipToTag();
}
