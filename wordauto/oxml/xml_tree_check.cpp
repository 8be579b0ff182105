#include "wordauto/oxml/xml_tree_check.h"

#include "wordauto/oxml/xml_names.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_util.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

namespace wordauto::detail {

namespace {

// Names in messages are the document's own text: kept short and printable.
std::string shown(std::string_view name)
{
    constexpr std::size_t kLongest = 40;
    std::string out = xmlSafeText(name.substr(0, kLongest));
    if (name.size() > kLongest)
        out += "...";
    return "\"" + out + "\"";
}

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

struct QName {
    std::string_view prefix; // empty: none
    std::string_view local;
};

// Splits a qualified name; false when it is not one. Names of ASCII letters, as nearly all
// are, take one pass.
inline bool splitNodeName(const char* name, QName& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(name);
    if (kAsciiClass[p[0]] & kNameStart) {
        std::size_t i = 1;
        while (kAsciiClass[p[i]] & kNamePart)
            ++i;
        std::size_t colon = 0;
        if (p[i] == ':' && (kAsciiClass[p[i + 1]] & kNameStart)) {
            colon = i;
            i += 2;
            while (kAsciiClass[p[i]] & kNamePart)
                ++i;
        }
        if (p[i] == 0) {
            out = colon ? QName{{name, colon}, {name + colon + 1, i - colon - 1}} : QName{{}, {name, i}};
            return true;
        }
    }
    // Beyond ASCII letters, or not a name at all.
    return splitQName(name, out.prefix, out.local);
}

// Text taken literally: printable ASCII passes at a byte's cost, anything else is looked at.
inline bool isPlainText(const char* value)
{
    for (const auto* p = reinterpret_cast<const unsigned char*>(value); *p; ++p)
        if (!(kAsciiClass[*p] & kText))
            return false;
    return true;
}

std::optional<std::string> valueFault(const char* value)
{
    if (isPlainText(value))
        return std::nullopt;
    return characterFault(value);
}

// Equality of short names and of namespaces resolved from one declaration, without a call
// to memcmp for those.
inline bool same(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a.data() == b.data())
        return true;
    if (a.size() <= 16) {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i])
                return false;
        return true;
    }
    return std::memcmp(a.data(), b.data(), a.size()) == 0;
}

bool isBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Whether the handle holds an attribute, without a call into the library for each: the
// handle is the pointer to the attribute and nothing else (pugixml.hpp), null for none.
static_assert(sizeof(pugi::xml_attribute) == sizeof(void*) && std::is_trivially_copyable_v<pugi::xml_attribute>);
inline bool present(pugi::xml_attribute a) { return std::bit_cast<const void*>(a) != nullptr; }

// pugixml's own walk: it steps from node to node without a call into the library per step.
class TreeCheck final : public pugi::xml_tree_walker {
public:
    std::optional<std::string> run(pugi::xml_node top)
    {
        top_ = top;
        top.traverse(*this);
        if (!fault_ && roots_ == 0)
            fault_ = "manca l'elemento radice";
        return std::move(fault_);
    }

    bool for_each(pugi::xml_node& n) override
    {
        // Depth counts from 0 for the nodes right below the top.
        const int d = depth() + 1;
        if (d > static_cast<int>(kMaxXmlDepth)) [[unlikely]]
            return tooDeep();
        // Coming to a node at depth d: declarations of elements at d or deeper are out of scope,
        // as those elements are done with.
        scope_.leave(static_cast<std::size_t>(d - 1));
        const auto type = n.type();
        if (d == 1) [[unlikely]]
            if (!topLevelOk(n, type))
                return false;
        // Elements are nearly all a part holds: checked without building a message.
        if (type == pugi::node_element) [[likely]]
            return elementOk(n, d);
        return otherNodeOk(n, type);
    }

private:
    static std::optional<std::string> topLevelFault(pugi::xml_node n, pugi::xml_node_type type,
                                                    pugi::xml_node top, int& roots)
    {
        switch (type) {
        case pugi::node_element:
            if (++roots > 1)
                return std::string("più di un elemento radice");
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            // An open leaves such text out; a story parsed into a holder keeps it there, and the
            // holder is never written.
            if (top.type() == pugi::node_document && (type == pugi::node_cdata || !isBlank(n.value())))
                return std::string("testo fuori dall'elemento radice");
            break;
        case pugi::node_declaration:
            if (n != top.first_child())
                return std::string("dichiarazione XML fuori posto");
            break;
        default:
            break;
        }
        return std::nullopt;
    }

    // Nodes other than elements.
    static std::optional<std::string> nodeFault(pugi::xml_node n, pugi::xml_node_type type)
    {
        switch (type) {
        case pugi::node_pcdata:
        case pugi::node_cdata:
            return valueFault(n.value());
        case pugi::node_comment: {
            const std::string_view text = n.value();
            if (text.find("--") != std::string_view::npos || text.ends_with('-'))
                return std::string("commento non valido");
            return characterFault(text);
        }
        case pugi::node_pi: {
            const std::string_view target = n.name();
            if (!isNcName(target) || equalsNoCase(target, "xml")
                || std::string_view(n.value()).find("?>") != std::string_view::npos)
                return "istruzione di elaborazione non valida " + shown(target);
            return characterFault(n.value());
        }
        case pugi::node_declaration:
            return declarationFault(n);
        case pugi::node_doctype:
            return std::string("dichiarazione DOCTYPE non ammessa");
        default:
            return std::nullopt;
        }
    }

    static std::optional<std::string> declarationFault(pugi::xml_node decl)
    {
        static const std::string bad = "dichiarazione XML non valida";
        // A lenient parser takes <?XML ...?> for one too; it is written back as it was named.
        if (std::strcmp(decl.name(), "xml") != 0)
            return bad;
        auto a = decl.first_attribute();
        const std::string_view version = a.value();
        if (std::strcmp(a.name(), "version") != 0 || !version.starts_with("1.") || version.size() < 3
            || !std::all_of(version.begin() + 2, version.end(), [](char c) { return isDigit(static_cast<unsigned char>(c)); }))
            return bad;
        a = a.next_attribute();
        if (a && std::strcmp(a.name(), "encoding") == 0) {
            // The text is UTF-8 by now, whatever the file said.
            if (!equalsNoCase(a.value(), "UTF-8"))
                return "codifica non ammessa " + shown(a.value());
            a = a.next_attribute();
        }
        if (a && std::strcmp(a.name(), "standalone") == 0) {
            const std::string_view v = a.value();
            if (v != "yes" && v != "no")
                return bad;
            a = a.next_attribute();
        }
        if (a || *decl.value())
            return bad;
        return std::nullopt;
    }

    [[gnu::cold, gnu::noinline]] bool fail(std::string why)
    {
        fault_ = std::move(why);
        return false;
    }

    // What is rare or a fault is kept out of the walk's own path: messages are only built
    // out of line.
    [[gnu::cold, gnu::noinline]] bool tooDeep()
    {
        return fail("elementi annidati oltre " + std::to_string(kMaxXmlDepth) + " livelli");
    }
    [[gnu::cold, gnu::noinline]] bool failNamed(const char* why, std::string_view name)
    {
        return fail(why + shown(name));
    }
    [[gnu::noinline]] bool topLevelOk(pugi::xml_node n, pugi::xml_node_type type)
    {
        if (auto fault = topLevelFault(n, type, top_, roots_))
            return fail(std::move(*fault));
        return true;
    }
    [[gnu::noinline]] bool otherNodeOk(pugi::xml_node n, pugi::xml_node_type type)
    {
        if (auto fault = nodeFault(n, type))
            return fail(std::move(*fault));
        return true;
    }
    // Text that is not plain printable ASCII, looked at character by character.
    [[gnu::noinline]] bool charactersOk(const char* text)
    {
        if (auto fault = characterFault(text))
            return fail(std::move(*fault));
        return true;
    }
    [[gnu::noinline]] bool declarationOk(const QName& an, std::string_view value, int depth)
    {
        if (auto fault = declareFault(an.prefix.empty() ? std::string_view() : an.local, an.prefix.empty(), value, depth))
            return fail(std::move(*fault));
        return true;
    }

    bool elementOk(pugi::xml_node element, int depth)
    {
        // One pass over the attributes: names, values, and the declarations, which hold for
        // the element's own name and attributes; prefixes are resolved after it.
        std::size_t count = 0;
        for (auto a = element.first_attribute(); present(a); a = a.next_attribute()) {
            const char* name = a.name();
            QName an;
            if (!splitNodeName(name, an)) [[unlikely]]
                return failNamed("nome di attributo non valido ", name);
            const char* value = a.value();
            if (!isPlainText(value) && !charactersOk(value))
                return false;
            if (an.prefix.empty() ? an.local == "xmlns" : an.prefix == "xmlns")
                if (!declarationOk(an, value, depth))
                    return false;
            if (count == attributes_.size())
                attributes_.emplace_back();
            // The whole name from its parts, without measuring it again.
            const std::size_t length = an.prefix.empty() ? an.local.size() : an.prefix.size() + 1 + an.local.size();
            attributes_[count++] = {an.prefix, an.local, {name, length}};
        }
        const char* elementName = element.name();
        QName qname;
        if (!splitNodeName(elementName, qname)) [[unlikely]]
            return failNamed("nome di elemento non valido ", elementName);
        if (!qname.prefix.empty() && (qname.prefix == "xmlns" || !bound(qname.prefix))) [[unlikely]]
            return failNamed("prefisso non dichiarato ", qname.prefix);
        const char* text = element.value();
        if (!isPlainText(text) && !charactersOk(text))
            return false;

        // An attribute's expanded name is its namespace and local name: unprefixed ones are in
        // none, declarations in a space of their own.
        for (std::size_t i = 0; i < count; ++i) {
            auto& at = attributes_[i];
            if (at.space.empty()) {
                if (at.local == "xmlns")
                    at.space = kXmlnsUri;
            } else if (at.space == "xmlns") {
                at.space = kXmlnsUri;
            } else if (const auto uri = bound(at.space)) {
                at.space = *uri;
            } else {
                return failNamed("prefisso non dichiarato ", at.space);
            }
        }
        if (count > 1)
            if (auto twice = repeatedAttribute(count)) [[unlikely]]
                return failNamed("attributo ripetuto ", *twice);
        return true;
    }

    // The name of an attribute whose expanded name an earlier one has, if any, among the
    // first `count` attributes gathered.
    std::optional<std::string_view> repeatedAttribute(std::size_t count)
    {
        const auto last = attributes_.begin() + static_cast<std::ptrdiff_t>(count);
        const auto twice = repeatedExpandedName(attributes_.begin(), last);
        if (twice == last)
            return std::nullopt;
        return twice->name;
    }

    std::optional<std::string> declareFault(std::string_view prefix, bool isDefault, std::string_view uri, int depth)
    {
        if (!isSoundNamespaceDeclaration(prefix, isDefault, uri))
            return "spazio dei nomi non valido per " + shown(isDefault ? "xmlns" : "xmlns:" + std::string(prefix));
        scope_.declare(prefix, uri, static_cast<std::size_t>(depth));
        return std::nullopt;
    }

    // The namespace a prefix stands for here, or nothing when it is not declared.
    std::optional<std::string_view> bound(std::string_view prefix) { return scope_.uriOf(prefix); }

    struct Attr {
        std::string_view space; // the prefix until resolved
        std::string_view local;
        std::string_view name;
    };

    pugi::xml_node top_;
    int roots_ = 0;
    std::optional<std::string> fault_;
    NamespaceScope scope_;
    std::vector<Attr> attributes_;
};

} // namespace

std::optional<std::string> xmlTreeFault(pugi::xml_node top)
{
    return TreeCheck().run(top);
}

void checkXmlTree(pugi::xml_node top, const std::string& partName, const std::string& displayPath)
{
    if (auto fault = xmlTreeFault(top))
        invalidPart(*fault, partName, displayPath);
}

} // namespace wordauto::detail
