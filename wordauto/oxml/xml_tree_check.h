#pragma once

#include <pugixml.hpp>

#include <optional>
#include <string>

namespace wordauto::detail {

// Why the tree under `top` would not be read back by a conforming XML 1.0 parser with
// namespaces, or nothing when it would. `top` is a document, or an element holding a parsed
// document in its place. The rule covers all that is written back: one root element, names
// that are qualified names with bound prefixes, no attribute twice, namespace declarations,
// characters of text, attribute values, comments and processing instructions, the XML
// declaration, and a nesting depth no walk of the library can be hurt by.
//
// pugixml is not a conforming parser: it lets through what this refuses. Applied after every
// parse and before every save, it makes what the library accepts something it can write.
std::optional<std::string> xmlTreeFault(pugi::xml_node top);

// Throws the WordError of a damaged document naming the part and the file when xmlTreeFault
// finds a fault.
void checkXmlTree(pugi::xml_node top, const std::string& partName, const std::string& displayPath);

} // namespace wordauto::detail
