#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace wordauto::detail {

// Whether UTF-8 text, as it stands, is a document that every conforming XML 1.0 parser with
// namespaces reads, and whose parsed tree passes xmlTreeFault: sound characters and
// references, markup by the grammar, qualified names with bound prefixes, no attribute twice,
// one root element with nothing but comments, processing instructions and blanks around it,
// a declaration only at the start. Stricter than the rules where that is simpler (no DTD, the
// declaration naming UTF-8 if any encoding, no reference in a namespace name): false means
// "not sure", never that a parser must refuse it. One pass over the bytes, no tree built.
bool isSoundAsStored(std::string_view text);

// What an open checks of a part's text before parsing it: true when the text is sound as
// it stands, so that the tree parsed from it needs no check; false when the tree must still
// be checked (checkXmlTree). Throws the damaged document's WordError naming the part when the
// text holds what XML does not allow, as checkXmlText does.
bool checkXmlBeforeParse(std::string_view text, const std::string& partName, const std::string& displayPath);

// What a save writes of an XML part it would copy as stored: nothing when the stored text is
// sound as it stands, else the part written anew from its parsed tree (what a lenient parse let
// through gone or escaped, the standard declaration in place of its own). Throws the save's
// WordError naming the part when neither can be written soundly, as for a part nobody read
// before (a copy saved of a document opened read-only).
// `converted`: the text is not what is stored but its UTF-8 conversion, which is always written.
std::optional<std::string> xmlPartWrittenAnew(std::string_view text, bool converted, const std::string& partName,
                                              const std::string& displayPath);

} // namespace wordauto::detail
