#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wordauto::detail {

// The name characters of XML 1.0 (fifth edition), colon left out.
bool isXmlNameStart(std::uint32_t c);
bool isXmlNameChar(std::uint32_t c);

// Whether UTF-8 text, as it stands, is a well-formed XML document that any conforming parser
// reads: sound characters and references, markup by the grammar, one root element and nothing
// but comments, processing instructions and blanks around it, a declaration only at the start.
// Stricter than the grammar where that is simpler (no DTD, the declaration naming UTF-8 if any
// encoding): false means "not sure", never that a parser must refuse it. Namespaces and
// repeated attributes are left to the check of the parsed tree.
bool isWellFormedAsStored(std::string_view text);

// What a save writes of an XML part it would copy as stored: nothing when the stored text is
// sound as it stands, else the part written anew from its parsed tree (what a lenient parse let
// through gone or escaped, the standard declaration in place of its own). Throws the save's
// WordError naming the part when neither can be written soundly, as for a part nobody read
// before (a copy saved of a document opened read-only).
// `converted`: the text is not what is stored but its UTF-8 conversion, which is always written.
std::optional<std::string> xmlPartWrittenAnew(std::string_view text, bool converted, const std::string& partName,
                                              const std::string& displayPath);

} // namespace wordauto::detail
