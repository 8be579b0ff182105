#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
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

// A part's text as UTF-8: the stored text itself, or its conversion from UTF-16 made into
// `converted` (convertUtf16Part).
std::string_view utf8PartText(const std::string& xml, std::string& converted, const std::string& partName,
                              const std::string& displayPath);

// Why the text is not what XML 1.0 allows in a part (bytes that are not UTF-8, characters XML
// forbids, raw or as references, references to undefined entities, a DTD), or nothing when it
// is. Well-formedness of the markup is left to the parser.
std::optional<std::string> xmlTextFault(std::string_view text);

// Throws WordError naming the part and the file when xmlTextFault finds a fault.
void checkXmlText(std::string_view text, const std::string& partName, const std::string& displayPath);

// Why text taken literally (a text node, an attribute value, a comment) holds what XML does
// not allow: bytes that are not UTF-8 or a forbidden character; nothing when it is sound.
std::optional<std::string> characterFault(std::string_view text);

// The length of the reference at p (p[0] == '&', the text ending at end) when it names one of
// the five predefined entities or a character XML allows; 0 when it does not.
std::size_t soundReferenceLength(const unsigned char* p, const unsigned char* end);

// A character XML 1.0 allows in a document.
bool isXmlChar(std::uint32_t c);

// Length of the UTF-8 sequence at p (of at most n bytes) and its code point, or 0 when the
// bytes are not UTF-8 (overlong forms and surrogates included).
std::size_t decodeUtf8(const unsigned char* p, std::size_t n, std::uint32_t& cp);

// The damaged document's WordError for a part.
[[noreturn]] void invalidPart(const std::string& cause, const std::string& partName,
                              const std::string& displayPath);

// Text that may be written as XML character data: control characters XML forbids left out,
// bytes that are not UTF-8 and the non-characters U+FFFE and U+FFFF replaced with U+FFFD.
std::string xmlSafeText(std::string_view text);

} // namespace wordauto::detail
