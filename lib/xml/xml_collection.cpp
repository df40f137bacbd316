#include "lib/xml/xml_collection.h"

#include "lib/foundation/value_check_tool.h"

void CXMLCollection::WriteXML(CXMLTextWriter& writer) {
  const std::string tag = GetCollectionTag();
  if (!tag.empty()) writer.StartElement(tag);
  for (int i = 0; i < Count(); ++i) Item(i)->SaveTo(&writer);
  if (!tag.empty()) writer.EndElement();
}

void CXMLCollection::ReadXML(CXMLTextReader& reader) {
  const std::string wrapper = GetCollectionTag();
  const std::string item_tag = GetItemTag();
  // At the end of the input the current name is "": an empty tag would
  // never stop the loop.
  CValueCheckTool::CheckNotEmpty(item_tag, "GetItemTag");
  if (!wrapper.empty()) reader.ReadElement(wrapper);
  while (reader.CurrentElementName() == item_tag) Add()->LoadFrom(&reader);
  if (!wrapper.empty()) reader.SkipToTag();
}
