#pragma once

#include <pugixml.hpp>

#include <span>
#include <string>
#include <string_view>

namespace wordauto::detail {

// Parse keeping whitespace-only text and line ends as they are, so that what we write back
// differs from what we read only where we changed it. Text that is all an element holds (the
// text of a w:t) stays in the element instead of a node of its own: a node less per run, and
// it reads, writes and saves the same through xml_text.
inline constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes
    | pugi::parse_ws_pcdata | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi
    | pugi::parse_embed_pcdata;

// Loads XML text; throws WordError naming the file and part when it is not well-formed.
void loadXml(pugi::xml_document& doc, const std::string& text, const std::string& partName,
             const std::string& displayPath);
// Whether a part of a package holds XML, by its content type or its name.
bool isXmlPart(std::string_view name, std::string_view contentType);

// The document's XML as it stands (a declaration only if it has one); sizeHint is the room to
// reserve for it.
std::string saveXml(const pugi::xml_document& doc, std::size_t sizeHint = 0);

// The next node in document order below `root` (depth first), or an empty node.
pugi::xml_node nextInOrder(pugi::xml_node node, pugi::xml_node root);
// Like nextInOrder but never enters the children of `node`.
pugi::xml_node nextSkippingChildren(pugi::xml_node node, pugi::xml_node root);

// w:val of the named child, or an empty view when the child or the attribute is missing.
std::string_view childVal(pugi::xml_node node, const char* childName);
// An ST_OnOff element: present without w:val means on.
bool onOff(pugi::xml_node element, bool whenMissing);

// Inserts a new child named `name` after the last existing child whose name is one of
// `predecessors` (the elements the schema puts before it), or as first child.
pugi::xml_node insertInSchemaOrder(pugi::xml_node parent, const char* name,
                                   std::span<const std::string_view> predecessors);

// Characters U+2002 five times: the result Word and LibreOffice give an empty text field.
inline constexpr std::string_view kEmptyFieldPlaceholder =
    "\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82";

std::string lowerAscii(std::string_view s);
constexpr char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
// Letters compared without regard to case, every other character as it is ("UTF\r8" is not
// "UTF-8", though the two differ only in a bit that is case for letters).
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace wordauto::detail
