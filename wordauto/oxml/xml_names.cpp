#include "wordauto/oxml/xml_names.h"

#include "wordauto/oxml/xml_text.h"

#include <algorithm>
#include <cstring>

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

bool isNcName(std::string_view s)
{
    if (s.empty())
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp;
        const std::size_t len = decodeUtf8(p + i, s.size() - i, cp);
        if (len == 0 || !(i == 0 ? isXmlNameStart(cp) : isXmlNameChar(cp)))
            return false;
        i += len;
    }
    return true;
}

bool splitQName(std::string_view whole, std::string_view& prefix, std::string_view& local)
{
    const auto colon = whole.find(':');
    prefix = colon == std::string_view::npos ? std::string_view() : whole.substr(0, colon);
    local = colon == std::string_view::npos ? whole : whole.substr(colon + 1);
    return (colon == std::string_view::npos || isNcName(prefix)) && isNcName(local);
}

namespace {

bool isAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
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
        // A port, when its colon is there, has digits (readers refuse an empty one) and is a
        // port: some readers refuse one too large for their integers.
        if (portColon != std::string_view::npos) {
            const std::string_view port = authority.substr(portColon + 1);
            if (port.empty())
                return false;
            std::uint32_t value = 0;
            for (const char ch : port) {
                if (!isDigit(static_cast<unsigned char>(ch)))
                    return false;
                value = value * 10 + static_cast<std::uint32_t>(ch - '0');
                if (value > 65535)
                    return false;
            }
        }
    } else if (!hasScheme) {
        // A relative reference's first segment may not hold a colon (it would read as a scheme).
        const auto firstSegment = rest.substr(0, rest.find('/'));
        if (firstSegment.find(':') != std::string_view::npos)
            return false;
    }
    return isUriText(rest, "/");
}

} // namespace

void NamespaceScope::declare(std::string_view prefix, std::string_view uri, std::size_t depth)
{
    const auto [at, added] = innermost_.try_emplace(prefix, bindings_.size());
    bindings_.push_back({prefix, uri, depth, added ? npos : at->second, ++declared_});
    at->second = bindings_.size() - 1;
    lastUri_.reset();
}

bool NamespaceScope::dropDeeperThan(std::size_t depth)
{
    while (!bindings_.empty() && bindings_.back().depth > depth) {
        const Binding& b = bindings_.back();
        if (b.hidden == npos)
            innermost_.erase(b.prefix);
        else
            innermost_[b.prefix] = b.hidden;
        bindings_.pop_back();
    }
    lastUri_.reset();
    return true;
}

std::optional<std::string_view> NamespaceScope::lookUp(std::string_view prefix)
{
    // The xml prefix may only be declared to its own namespace.
    if (prefix == "xml")
        return kXmlUri;
    const auto it = innermost_.find(prefix);
    if (it == innermost_.end())
        return std::nullopt;
    lastPrefix_ = prefix;
    lastUri_ = bindings_[it->second].uri;
    return lastUri_;
}

bool isSoundNamespaceDeclaration(std::string_view prefix, bool isDefault, std::string_view uri)
{
    const bool wrong = isDefault ? uri == kXmlUri || uri == kXmlnsUri
                       : prefix == "xmlns"   ? true
                       : prefix == "xml"     ? uri != kXmlUri
                                             : uri.empty() || uri == kXmlUri || uri == kXmlnsUri;
    return !wrong && isUriReference(uri);
}

} // namespace wordauto::detail
