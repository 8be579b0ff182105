#include "wordauto/oxml/xml_markup.h"

#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_tree_check.h"
#include "wordauto/oxml/xml_util.h"
#include "wordauto/word_error.h"

#include <pugixml.hpp>

#include <cctype>
#include <vector>

namespace wordauto::detail {

bool isXmlNameStart(std::uint32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 0xC0 && c <= 0xD6)
           || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D)
           || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D || (c >= 0x2070 && c <= 0x218F)
           || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF)
           || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isXmlNameChar(std::uint32_t c)
{
    return isXmlNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 0xB7
           || (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Reads the text by the XML grammar, one construct after another; every step either moves on
// or gives up (false), so that no input is read twice over.
class MarkupReader {
public:
    explicit MarkupReader(std::string_view text) : s_(text) {}

    bool document()
    {
        if (s_.starts_with("\xEF\xBB\xBF"))
            i_ = 3;
        if (at("<?xml") && i_ + 5 < s_.size() && (isBlank(s_[i_ + 5]) || s_[i_ + 5] == '?') && !declaration())
            return false;
        if (!misc())
            return false;
        if (!at("<") || !element())
            return false;
        return misc() && i_ == s_.size();
    }

private:
    bool at(std::string_view what) const { return s_.substr(i_, what.size()) == what; }

    bool blanks()
    {
        const std::size_t from = i_;
        while (i_ < s_.size() && isBlank(s_[i_]))
            ++i_;
        return i_ > from;
    }

    // Comments, processing instructions and blanks, as may stand around the root element.
    bool misc()
    {
        for (;;) {
            blanks();
            if (at("<!--")) {
                if (!comment())
                    return false;
            } else if (at("<?")) {
                if (!instruction())
                    return false;
            } else {
                return true;
            }
        }
    }

    bool name(std::string_view* out = nullptr)
    {
        const std::size_t from = i_;
        bool first = true;
        while (i_ < s_.size()) {
            std::uint32_t cp;
            const std::size_t len = decodeUtf8(reinterpret_cast<const unsigned char*>(s_.data()) + i_, s_.size() - i_, cp);
            if (len == 0 || !(cp == ':' || (first ? isXmlNameStart(cp) : isXmlNameChar(cp))))
                break;
            i_ += len;
            first = false;
        }
        if (out)
            *out = s_.substr(from, i_ - from);
        return i_ > from;
    }

    bool expect(std::string_view what)
    {
        if (!at(what))
            return false;
        i_ += what.size();
        return true;
    }

    // "<!--" ... "-->", no "--" inside and no "-" before the end.
    bool comment()
    {
        i_ += 4;
        const auto dashes = s_.find("--", i_);
        if (dashes == std::string_view::npos || s_.substr(dashes, 3) != "-->")
            return false;
        i_ = dashes + 3;
        return true;
    }

    // "<?" target (blanks text)? "?>", the target not "xml" in any case.
    bool instruction()
    {
        i_ += 2;
        std::string_view target;
        if (!name(&target) || target.find(':') != std::string_view::npos)
            return false;
        if (lowerAscii(target) == "xml")
            return false;
        if (expect("?>"))
            return true;
        if (!blanks())
            return false;
        const auto end = s_.find("?>", i_);
        if (end == std::string_view::npos)
            return false;
        i_ = end + 2;
        return true;
    }

    // S? "=" S? and a quoted value matching `valueOk`.
    template <typename Pred>
    bool quotedValue(Pred valueOk)
    {
        blanks();
        if (!expect("="))
            return false;
        blanks();
        if (i_ >= s_.size() || (s_[i_] != '"' && s_[i_] != '\''))
            return false;
        const char quote = s_[i_++];
        const auto end = s_.find(quote, i_);
        if (end == std::string_view::npos || !valueOk(s_.substr(i_, end - i_)))
            return false;
        i_ = end + 1;
        return true;
    }

    bool declaration()
    {
        i_ += 5;
        auto keyword = [&](std::string_view word) {
            const std::size_t back = i_;
            if (blanks() && expect(word))
                return true;
            i_ = back;
            return false;
        };
        if (!keyword("version") || !quotedValue([](std::string_view v) {
                return v.size() >= 3 && v.starts_with("1.")
                       && v.substr(2).find_first_not_of("0123456789") == std::string_view::npos;
            }))
            return false;
        // The text is UTF-8 by now: a declaration naming another encoding is not taken at its word.
        if (keyword("encoding") && !quotedValue([](std::string_view v) {
                return lowerAscii(v) == "utf-8";
            }))
            return false;
        if (keyword("standalone") && !quotedValue([](std::string_view v) { return v == "yes" || v == "no"; }))
            return false;
        blanks();
        return expect("?>");
    }

    // "&" name ";" for the five predefined entities, or a character reference; the characters
    // references stand for are the text check's to judge.
    bool reference()
    {
        ++i_;
        if (expect("#")) {
            const bool hex = expect("x");
            const std::size_t from = i_;
            while (i_ < s_.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s_[i_])) != 0
                                          : s_[i_] >= '0' && s_[i_] <= '9'))
                ++i_;
            return i_ > from && expect(";");
        }
        std::string_view entity;
        if (!name(&entity) || !expect(";"))
            return false;
        return entity == "lt" || entity == "gt" || entity == "amp" || entity == "apos" || entity == "quot";
    }

    // An attribute value: no "<", references sound.
    bool attributeValue(std::string_view v)
    {
        for (std::size_t k = 0; k < v.size(); ++k) {
            if (v[k] == '<')
                return false;
            if (v[k] == '&') {
                MarkupReader ref(v);
                ref.i_ = k;
                if (!ref.reference())
                    return false;
                k = ref.i_ - 1;
            }
        }
        return true;
    }

    // The root element and all it holds, without recursion: open elements on a stack.
    bool element()
    {
        if (at("</") || at("<!") || at("<?"))
            return false; // the root is an element
        std::vector<std::string_view> open;
        do {
            if (!markupInContent(open))
                return false;
        } while (!open.empty());
        return true;
    }

    // One construct at i_ inside the root (or the root's start tag itself).
    bool markupInContent(std::vector<std::string_view>& open)
    {
        if (at("</")) {
            i_ += 2;
            std::string_view closed;
            if (!name(&closed) || open.empty() || closed != open.back())
                return false;
            blanks();
            if (!expect(">"))
                return false;
            open.pop_back();
            return open.empty() || text();
        }
        if (at("<!--"))
            return comment() && text();
        if (at("<![CDATA[")) {
            const auto end = s_.find("]]>", i_ + 9);
            if (end == std::string_view::npos)
                return false;
            i_ = end + 3;
            return text();
        }
        if (at("<?"))
            return instruction() && text();
        if (!expect("<"))
            return false;
        std::string_view tag;
        if (!name(&tag))
            return false;
        for (;;) {
            const bool spaced = blanks();
            if (expect("/>"))
                return open.empty() || text();
            if (expect(">")) {
                if (open.size() >= kMaxXmlDepth)
                    return false;
                open.push_back(tag);
                return text();
            }
            if (!spaced || !name() || !quotedValue([this](std::string_view v) { return attributeValue(v); }))
                return false;
        }
    }

    // Character data up to the next markup: references sound, no "]]>".
    bool text()
    {
        while (i_ < s_.size() && s_[i_] != '<') {
            const char c = s_[i_];
            if (c == '&') {
                if (!reference())
                    return false;
                continue;
            }
            if (c == ']' && at("]]>"))
                return false;
            ++i_;
        }
        return i_ < s_.size(); // an element left open at the end
    }

    std::string_view s_;
    std::size_t i_ = 0;
};

} // namespace

bool isWellFormedAsStored(std::string_view text)
{
    return !xmlTextFault(text) && MarkupReader(text).document();
}

std::optional<std::string> xmlPartWrittenAnew(std::string_view text, bool converted, const std::string& partName,
                                              const std::string& displayPath)
{
    auto refuse = [&](const std::string& why) {
        throwFileError("Impossibile salvare il file (XML non valido in " + partName + ": " + why + ")",
                       displayPath);
    };
    if (auto fault = xmlTextFault(text))
        refuse(*fault);
    const bool asStored = !converted && MarkupReader(text).document();
    // Namespaces and repeated attributes are the parsed tree's to judge, for a part read before
    // as for one nobody has read. A declaration a lenient parse let by is left out.
    pugi::xml_document doc;
    const auto parsed = doc.load_buffer(text.data(), text.size(), kParseOptions & ~pugi::parse_declaration,
                                        pugi::encoding_utf8);
    if (!parsed)
        refuse(parsed.description());
    if (auto fault = xmlTreeFault(doc))
        refuse(*fault);
    if (asStored)
        return std::nullopt;
    auto declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
    return saveXml(doc, text.size());
}

} // namespace wordauto::detail
