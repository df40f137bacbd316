// The attributes of one tag, read as XML writes them: after the element
// name, a run of pairs name="value" or name='value', with blanks allowed
// around "=" and between pairs. A value is everything up to its own closing
// quote, so text that looks like an attribute inside another attribute's
// value is never taken for one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct XMLTagAttribute {
  std::string_view name;
  std::string_view value;  // as written: references are not decoded
};

// The pairs of `tag`, a tag's whole text from "<" to ">", as views into it,
// in document order. Raises, naming the attribute and showing the tag's
// start, for a value whose quote is not closed, a name without "=" and a
// quoted value, and a name given twice; a text that is not a tag has none.
std::vector<XMLTagAttribute> ParseTagAttributes(std::string_view tag);
