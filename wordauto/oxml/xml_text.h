#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wordauto::detail {

// Deeper nesting than any real document has; walks over a part may recurse this deep, not more.
inline constexpr std::size_t kMaxXmlDepth = 1000;

// A part saved as UTF-16 (which the standard allows, with its byte order mark) becomes UTF-8,
// its declaration saying so; other text is left as it is. Throws WordError naming the part
// when the UTF-16 is broken.
void convertUtf16Part(std::string& text, const std::string& partName, const std::string& displayPath);

// Why the text is not what XML 1.0 allows in a part (bytes that are not UTF-8, characters XML
// forbids, raw or as references, references to undefined entities, a DTD), or nothing when it
// is. Well-formedness of the markup is left to the parser.
std::optional<std::string> xmlTextFault(std::string_view text);

// Throws WordError naming the part and the file when xmlTextFault finds a fault.
void checkXmlText(std::string_view text, const std::string& partName, const std::string& displayPath);

// Throws WordError naming the part and the file when elements nest deeper than kMaxXmlDepth.
void checkXmlDepth(pugi::xml_node root, const std::string& partName, const std::string& displayPath);

// Text that may be written as XML character data: control characters XML forbids left out,
// bytes that are not UTF-8 and the non-characters U+FFFE and U+FFFF replaced with U+FFFD.
std::string xmlSafeText(std::string_view text);

} // namespace wordauto::detail
