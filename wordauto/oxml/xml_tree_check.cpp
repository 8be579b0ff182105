#include "wordauto/oxml/xml_tree_check.h"

#include "wordauto/oxml/xml_markup.h"
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

// What each ASCII byte may be: the start of a name, a later character of one, text.
enum : unsigned char { kNameStart = 1, kNamePart = 2, kText = 4 };

constexpr std::array<unsigned char, 256> kAsciiClass = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0x20; c < 0x80; ++c)
        t[c] = kText;
    t['\t'] = t['\n'] = t['\r'] = kText;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] |= kNameStart | kNamePart;
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] |= kNameStart | kNamePart;
    t['_'] |= kNameStart | kNamePart;
    for (int c = '0'; c <= '9'; ++c)
        t[c] |= kNamePart;
    t['-'] |= kNamePart;
    t['.'] |= kNamePart;
    return t;
}();

// A name without colons, as namespaces want every part of a qualified name to be.
bool isNcName(std::string_view s)
{
    if (s.empty())
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (!(kAsciiClass[c] & (i == 0 ? kNameStart : kNamePart)))
                return false;
            ++i;
            continue;
        }
        std::uint32_t cp;
        const std::size_t len = decodeUtf8(p + i, s.size() - i, cp);
        if (len == 0 || !(i == 0 ? isXmlNameStart(cp) : isXmlNameChar(cp)))
            return false;
        i += len;
    }
    return true;
}

struct QName {
    std::string_view prefix; // empty: none
    std::string_view local;
};

// Splits a qualified name by the full rule; false when it is not one.
[[gnu::noinline]] bool splitAnyQName(const char* name, QName& out)
{
    const std::string_view whole(name);
    const auto at = whole.find(':');
    out = at == std::string_view::npos ? QName{{}, whole} : QName{whole.substr(0, at), whole.substr(at + 1)};
    return (at == std::string_view::npos || isNcName(out.prefix)) && isNcName(out.local);
}

// Splits a qualified name; false when it is not one. Names of ASCII letters, as nearly all
// are, take one pass.
inline bool splitQName(const char* name, QName& out)
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
    return splitAnyQName(name, out);
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
// not. Only ASCII is allowed, as in every namespace real documents use, and no '&': a reader
// may keep it as the reference "&#38;", whose '#' then ends the URI early.
bool isUriReference(std::string_view uri)
{
    if (uri.find('&') != std::string_view::npos)
        return false;
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
        // A port, when its colon is there, has digits (readers refuse an empty one).
        if (portColon != std::string_view::npos) {
            const std::string_view port = authority.substr(portColon + 1);
            if (port.empty())
                return false;
            for (const char ch : port)
                if (!isDigit(static_cast<unsigned char>(ch)))
                    return false;
        }
    } else if (!hasScheme) {
        // A relative reference's first segment may not hold a colon (it would read as a scheme).
        const auto firstSegment = rest.substr(0, rest.find('/'));
        if (firstSegment.find(':') != std::string_view::npos)
            return false;
    }
    return isUriText(rest, "/");
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

// Letters compared without regard to case, every other character as it is ("UTF\r8" is not
// "UTF-8", though the two differ only in a bit that is case for letters).
bool equalsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// Whether the handle holds an attribute, without a call into the library for each: the
// handle is the pointer to the attribute and nothing else (pugixml.hpp), null for none.
static_assert(sizeof(pugi::xml_attribute) == sizeof(void*) && std::is_trivially_copyable_v<pugi::xml_attribute>);
inline bool present(pugi::xml_attribute a) { return std::bit_cast<const void*>(a) != nullptr; }

// pugixml's own walk: it steps from node to node without a call into the library per step.
class TreeCheck final : public pugi::xml_tree_walker {
public:
    std::optional<std::string> run(pugi::xml_node top, std::vector<pugi::xml_node>* fieldChars)
    {
        top_ = top;
        fieldChars_ = fieldChars;
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
        leave(d);
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
    struct Binding {
        std::string_view prefix; // empty: the default namespace
        std::string_view uri;
        int depth;
    };

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
            if (!splitQName(name, an)) [[unlikely]]
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
        if (!splitQName(elementName, qname)) [[unlikely]]
            return failNamed("nome di elemento non valido ", elementName);
        if (!qname.prefix.empty() && (qname.prefix == "xmlns" || !bound(qname.prefix))) [[unlikely]]
            return failNamed("prefisso non dichiarato ", qname.prefix);
        // Any prefix: the Word one may be renamed to w: after the check.
        if (fieldChars_ && same(qname.local, "fldChar")) [[unlikely]]
            fieldChars_->push_back(element);
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
        auto sameName = [](const Attr& x, const Attr& y) { return same(x.local, y.local) && same(x.space, y.space); };
        const auto first = attributes_.begin();
        const auto last = first + static_cast<std::ptrdiff_t>(count);
        if (count <= 8) {
            for (auto i = first; i != last; ++i)
                for (auto j = i + 1; j != last; ++j)
                    if (sameName(*i, *j))
                        return j->name;
            return std::nullopt;
        }
        std::sort(first, last, [](const Attr& x, const Attr& y) {
            return x.space != y.space ? x.space < y.space : x.local < y.local;
        });
        const auto twice = std::adjacent_find(first, last, sameName);
        if (twice == last)
            return std::nullopt;
        return twice->name;
    }

    std::optional<std::string> declareFault(std::string_view prefix, bool isDefault, std::string_view uri, int depth)
    {
        const bool wrong = isDefault ? uri == kXmlUri || uri == kXmlnsUri
                           : prefix == "xmlns"   ? true
                           : prefix == "xml"     ? uri != kXmlUri
                                                 : uri.empty() || uri == kXmlUri || uri == kXmlnsUri;
        if (wrong || !isUriReference(uri))
            return "spazio dei nomi non valido per " + shown(isDefault ? "xmlns" : "xmlns:" + std::string(prefix));
        scope_.push_back({prefix, uri, depth});
        cachedUri_.reset();
        return std::nullopt;
    }

    // The namespace a prefix stands for here, or nothing when it is not declared.
    std::optional<std::string_view> bound(std::string_view prefix)
    {
        // Nearly every name of a part has the same prefix: the last answer is kept. The xml
        // prefix may only be declared to its own namespace, so a kept answer for it is right.
        if (cachedUri_ && same(prefix, cachedPrefix_)) [[likely]]
            return cachedUri_;
        return lookUp(prefix);
    }

    [[gnu::noinline]] std::optional<std::string_view> lookUp(std::string_view prefix)
    {
        if (same(prefix, "xml"))
            return kXmlUri;
        for (auto it = scope_.rbegin(); it != scope_.rend(); ++it)
            if (same(it->prefix, prefix)) {
                cachedPrefix_ = prefix;
                cachedUri_ = it->uri;
                return it->uri;
            }
        return std::nullopt;
    }

    // Coming to a node at `depth`: declarations made at that depth or below are out of scope,
    // as their elements are done with.
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
        std::string_view space; // the prefix until resolved
        std::string_view local;
        std::string_view name;
    };

    pugi::xml_node top_;
    std::vector<pugi::xml_node>* fieldChars_ = nullptr;
    int roots_ = 0;
    std::optional<std::string> fault_;
    std::vector<Binding> scope_;
    std::vector<Attr> attributes_;
    std::string_view cachedPrefix_;
    std::optional<std::string_view> cachedUri_;
};

} // namespace

std::optional<std::string> xmlTreeFault(pugi::xml_node top, std::vector<pugi::xml_node>* fieldChars)
{
    return TreeCheck().run(top, fieldChars);
}

void checkXmlTree(pugi::xml_node top, const std::string& partName, const std::string& displayPath,
                  std::vector<pugi::xml_node>* fieldChars)
{
    if (auto fault = xmlTreeFault(top, fieldChars))
        invalidPart(*fault, partName, displayPath);
}

} // namespace wordauto::detail
