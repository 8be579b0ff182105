#include "wordauto/oxml/xml_tree_check.h"

#include "wordauto/oxml/xml_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace wordauto::detail {

namespace {

constexpr std::string_view kXmlUri = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsUri = "http://www.w3.org/2000/xmlns/";

// Names in messages are the document's own text: kept short and printable.
std::string shown(std::string_view name)
{
    constexpr std::size_t kLongest = 40;
    std::string out = xmlSafeText(name.substr(0, kLongest));
    if (name.size() > kLongest)
        out += "...";
    return "\"" + out + "\"";
}

bool isAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// The name characters of XML 1.0 (fifth edition) beyond ASCII, colon left out.
bool isNameStart(std::uint32_t c)
{
    return (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF)
           || (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D
           || (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF)
           || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF)
           || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(std::uint32_t c)
{
    return isNameStart(c) || c == 0xB7 || (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

// A name without colons, as namespaces want every part of a qualified name to be.
bool isNcName(std::string_view s)
{
    if (s.empty())
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            const bool ok = isAsciiLetter(c) || c == '_'
                            || (i > 0 && (isDigit(c) || c == '-' || c == '.'));
            if (!ok)
                return false;
            ++i;
            continue;
        }
        std::uint32_t cp;
        const std::size_t len = decodeUtf8(p + i, s.size() - i, cp);
        if (len == 0 || !(i == 0 ? isNameStart(cp) : isNameChar(cp)))
            return false;
        i += len;
    }
    return true;
}

struct QName {
    std::string_view prefix; // empty: none
    std::string_view local;
};

bool splitQName(std::string_view name, QName& out)
{
    const auto colon = name.find(':');
    if (colon == std::string_view::npos) {
        out = {{}, name};
        return isNcName(name);
    }
    out = {name.substr(0, colon), name.substr(colon + 1)};
    return isNcName(out.prefix) && isNcName(out.local);
}

bool isHex(unsigned char c) { return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }

bool isUnreserved(unsigned char c)
{
    return isAsciiLetter(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isSubDelim(unsigned char c) { return std::strchr("!$&'()*+,;=", c) != nullptr && c != 0; }

// Characters of a URI reference outside its scheme and host: pchar, '/' and '?', and
// percent-encoded octets.
bool isUriText(std::string_view s, std::string_view extra)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '%') {
            if (i + 2 >= s.size() || !isHex(static_cast<unsigned char>(s[i + 1])) || !isHex(static_cast<unsigned char>(s[i + 2])))
                return false;
            i += 2;
        } else if (!(isUnreserved(c) || isSubDelim(c) || c == ':' || c == '@'
                     || extra.find(static_cast<char>(c)) != std::string_view::npos)) {
            return false;
        }
    }
    return true;
}

// A namespace name must be a URI reference (RFC 3986); conforming parsers refuse one that is
// not. Only ASCII is allowed, as in every namespace real documents use.
bool isUriReference(std::string_view uri)
{
    std::string_view rest = uri;
    const auto fragment = rest.find('#');
    if (fragment != std::string_view::npos) {
        if (!isUriText(rest.substr(fragment + 1), "/?"))
            return false;
        rest = rest.substr(0, fragment);
    }
    const auto query = rest.find('?');
    if (query != std::string_view::npos) {
        if (!isUriText(rest.substr(query + 1), "/?"))
            return false;
        rest = rest.substr(0, query);
    }
    // A colon before the first slash ends a scheme, which starts with a letter.
    const auto colon = rest.find(':');
    const bool hasScheme = colon != std::string_view::npos && colon < rest.find('/');
    if (hasScheme) {
        const std::string_view scheme = rest.substr(0, colon);
        if (scheme.empty() || !isAsciiLetter(static_cast<unsigned char>(scheme[0])))
            return false;
        for (const char ch : scheme) {
            const auto c = static_cast<unsigned char>(ch);
            if (!(isAsciiLetter(c) || isDigit(c) || c == '+' || c == '-' || c == '.'))
                return false;
        }
        rest = rest.substr(colon + 1);
    }
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const auto pathStart = std::min(rest.find('/'), rest.size());
        std::string_view authority = rest.substr(0, pathStart);
        rest = rest.substr(pathStart);
        const auto at = authority.rfind('@');
        if (at != std::string_view::npos) {
            if (!isUriText(authority.substr(0, at), "") || authority.substr(0, at).find('@') != std::string_view::npos)
                return false;
            authority = authority.substr(at + 1);
        }
        if (authority.starts_with("[")) {
            const auto close = authority.find(']');
            if (close == std::string_view::npos)
                return false;
            for (const char ch : authority.substr(1, close - 1)) {
                const auto c = static_cast<unsigned char>(ch);
                if (!(isHex(c) || c == ':' || c == '.'))
                    return false;
            }
            authority = authority.substr(close + 1);
            if (!authority.empty() && authority[0] != ':')
                return false;
        }
        const auto portColon = authority.find(':');
        const std::string_view host = authority.substr(0, portColon);
        if (!isUriText(host, "") || host.find(':') != std::string_view::npos
            || host.find('@') != std::string_view::npos)
            return false;
        if (portColon != std::string_view::npos)
            for (const char ch : authority.substr(portColon + 1))
                if (!isDigit(static_cast<unsigned char>(ch)))
                    return false;
    } else if (!hasScheme) {
        // A relative reference's first segment may not hold a colon (it would read as a scheme).
        const auto firstSegment = rest.substr(0, rest.find('/'));
        if (firstSegment.find(':') != std::string_view::npos)
            return false;
    }
    return isUriText(rest, "/");
}

bool isBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

class TreeCheck {
public:
    std::optional<std::string> run(pugi::xml_node top)
    {
        int roots = 0;
        int depth = 1;
        for (auto n = top.first_child(); n;) {
            if (depth > static_cast<int>(kMaxXmlDepth))
                return "elementi annidati oltre " + std::to_string(kMaxXmlDepth) + " livelli";
            if (depth == 1) {
                if (auto fault = topLevelFault(n, top, roots))
                    return fault;
            }
            if (auto fault = nodeFault(n, depth))
                return fault;
            if (n.type() == pugi::node_element && n.first_child()) {
                n = n.first_child();
                ++depth;
                continue;
            }
            for (;;) {
                leave(depth);
                if (auto next = n.next_sibling()) {
                    n = next;
                    break;
                }
                n = n.parent();
                --depth;
                if (n == top) {
                    n = pugi::xml_node();
                    break;
                }
            }
        }
        if (roots == 0)
            return std::string("manca l'elemento radice");
        return std::nullopt;
    }

private:
    struct Binding {
        std::string_view prefix; // empty: the default namespace
        std::string_view uri;
        int depth;
    };

    static std::optional<std::string> topLevelFault(pugi::xml_node n, pugi::xml_node top, int& roots)
    {
        switch (n.type()) {
        case pugi::node_element:
            if (++roots > 1)
                return std::string("più di un elemento radice");
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            // An open leaves such text out; a story parsed into a holder keeps it there, and the
            // holder is never written.
            if (top.type() == pugi::node_document && (n.type() == pugi::node_cdata || !isBlank(n.value())))
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

    std::optional<std::string> nodeFault(pugi::xml_node n, int depth)
    {
        switch (n.type()) {
        case pugi::node_element:
            return elementFault(n, depth);
        case pugi::node_pcdata:
        case pugi::node_cdata:
            return characterFault(n.value());
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

    std::optional<std::string> elementFault(pugi::xml_node element, int depth)
    {
        // Declarations first: they hold for the element's own name and attributes.
        for (auto a = element.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            if (name == "xmlns" || name.starts_with("xmlns:")) {
                if (auto fault = declareFault(name, a.value(), depth))
                    return fault;
            }
        }
        QName qname;
        if (!splitQName(element.name(), qname))
            return "nome di elemento non valido " + shown(element.name());
        if (!qname.prefix.empty() && (qname.prefix == "xmlns" || !bound(qname.prefix)))
            return "prefisso non dichiarato " + shown(qname.prefix);
        if (*element.value())
            if (auto fault = characterFault(element.value()))
                return fault;

        attributes_.clear();
        for (auto a = element.first_attribute(); a; a = a.next_attribute()) {
            const std::string_view name = a.name();
            QName an;
            if (!splitQName(name, an))
                return "nome di attributo non valido " + shown(name);
            if (auto fault = characterFault(a.value()))
                return fault;
            // An attribute's expanded name: its namespace and local name; unprefixed ones are in
            // none, xmlns declarations in a space of their own.
            std::string_view space;
            if (an.prefix.empty()) {
                space = name == "xmlns" ? kXmlnsUri : std::string_view();
            } else if (an.prefix == "xmlns") {
                space = kXmlnsUri;
            } else {
                const auto uri = bound(an.prefix);
                if (!uri)
                    return "prefisso non dichiarato " + shown(an.prefix);
                space = *uri;
            }
            attributes_.push_back({space, an.local, name});
        }
        if (attributes_.size() > 1) {
            auto sameName = [](const Attr& x, const Attr& y) { return x.space == y.space && x.local == y.local; };
            if (attributes_.size() <= 8) {
                for (std::size_t i = 0; i < attributes_.size(); ++i)
                    for (std::size_t j = i + 1; j < attributes_.size(); ++j)
                        if (sameName(attributes_[i], attributes_[j]))
                            return "attributo ripetuto " + shown(attributes_[j].name);
            } else {
                std::sort(attributes_.begin(), attributes_.end(), [](const Attr& x, const Attr& y) {
                    return x.space != y.space ? x.space < y.space : x.local < y.local;
                });
                const auto twice = std::adjacent_find(attributes_.begin(), attributes_.end(), sameName);
                if (twice != attributes_.end())
                    return "attributo ripetuto " + shown(twice->name);
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> declareFault(std::string_view name, std::string_view uri, int depth)
    {
        const std::string_view prefix = name.size() > 5 ? name.substr(6) : std::string_view();
        const bool isDefault = name.size() == 5;
        if (!isDefault && !isNcName(prefix))
            return "nome di attributo non valido " + shown(name);
        const bool wrong = isDefault ? uri == kXmlUri || uri == kXmlnsUri
                           : prefix == "xmlns"   ? true
                           : prefix == "xml"     ? uri != kXmlUri
                                                 : uri.empty() || uri == kXmlUri || uri == kXmlnsUri;
        if (wrong || !isUriReference(uri))
            return "spazio dei nomi non valido per " + shown(name);
        scope_.push_back({prefix, uri, depth});
        cachedUri_.reset();
        return std::nullopt;
    }

    // The namespace a prefix stands for here, or nothing when it is not declared.
    std::optional<std::string_view> bound(std::string_view prefix)
    {
        if (prefix == "xml")
            return kXmlUri;
        // Nearly every name of a part has the same prefix: the last answer is kept.
        if (cachedUri_ && prefix == cachedPrefix_)
            return cachedUri_;
        for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
            if (it->prefix == prefix) {
                cachedPrefix_ = prefix;
                cachedUri_ = it->uri;
                return it->uri;
            }
        return std::nullopt;
    }

    // Leaving a node at `depth`: the declarations it made go out of scope.
    void leave(int depth)
    {
        if (!scope_.empty() && scope_.back().depth >= depth) {
            while (!scope_.empty() && scope_.back().depth >= depth)
                scope_.pop_back();
            cachedPrefix_ = {};
            cachedUri_.reset();
        }
    }

    struct Attr {
        std::string_view space;
        std::string_view local;
        std::string_view name;
    };

    std::vector<Binding> scope_;
    std::vector<Attr> attributes_;
    std::string_view cachedPrefix_;
    std::optional<std::string_view> cachedUri_;
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
