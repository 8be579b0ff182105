#pragma once

#include "wordauto/keyed_hash.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wordauto::detail {

inline constexpr std::string_view kXmlUri = "http://www.w3.org/XML/1998/namespace";
inline constexpr std::string_view kXmlnsUri = "http://www.w3.org/2000/xmlns/";

// The name characters of XML 1.0 (fifth edition), colon left out.
bool isXmlNameStart(std::uint32_t c);
bool isXmlNameChar(std::uint32_t c);

// What each ASCII byte may be: the start of a name, a later character of one (a colon is
// neither: it splits qualified names), text, a blank.
enum AsciiClass : unsigned char { kNameStart = 1, kNamePart = 2, kText = 4, kBlank = 8 };

inline constexpr std::array<unsigned char, 256> kAsciiClass = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0x20; c < 0x80; ++c)
        t[c] = kText;
    t['\t'] = t['\n'] = t['\r'] = kText;
    t[' '] |= kBlank;
    t['\t'] |= kBlank;
    t['\n'] |= kBlank;
    t['\r'] |= kBlank;
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
bool isNcName(std::string_view s);

// Splits a qualified name at its colon by the full rule, names beyond ASCII included; false
// when it is not one.
bool splitQName(std::string_view whole, std::string_view& prefix, std::string_view& local);

// Whether a namespace declaration may stand as it is: `prefix` for xmlns:prefix, empty with
// `isDefault` for xmlns. The namespace name must be a URI reference that readers take as it
// is, and xml and xmlns keep their own.
bool isSoundNamespaceDeclaration(std::string_view prefix, bool isDefault, std::string_view uri);

// The namespace declarations in scope while a part is read, by the depth of the elements making
// them. A prefix is looked up at the same cost however many are declared: a part may declare
// thousands and use each once.
class NamespaceScope {
public:
    // A declaration made by an element at `depth`; the views must outlive the scope.
    void declare(std::string_view prefix, std::string_view uri, std::size_t depth);
    // Which declarations are in scope: the same number for the same declarations, whatever
    // was declared and left in between.
    std::size_t id() const { return bindings_.empty() ? 0 : bindings_.back().id; }
    // The depth of the element whose declaration is the innermost in scope; 0 when none is.
    std::size_t innermostDepth() const { return bindings_.empty() ? 0 : bindings_.back().depth; }
    // Drops the declarations of elements deeper than `depth`; false when there were none.
    bool leave(std::size_t depth)
    {
        return !bindings_.empty() && bindings_.back().depth > depth && dropDeeperThan(depth);
    }
    // The namespace a prefix stands for (xml's own always), nothing when it is not declared.
    std::optional<std::string_view> uriOf(std::string_view prefix)
    {
        // Asked for at every name: the kept answer is compared in place.
        if (lastUri_ && prefix.size() == lastPrefix_.size()) [[likely]] {
            std::size_t i = 0;
            while (i < prefix.size() && prefix[i] == lastPrefix_[i])
                ++i;
            if (i == prefix.size())
                return lastUri_;
        }
        return lookUp(prefix);
    }

private:
    struct Binding {
        std::string_view prefix; // empty: the default namespace
        std::string_view uri;
        std::size_t depth;
        std::size_t hidden; // the binding of the same prefix this one hides, or npos
        std::size_t id;     // of the declarations in scope from this one down, unique
    };
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    bool dropDeeperThan(std::size_t depth);
    std::optional<std::string_view> lookUp(std::string_view prefix);

    std::vector<Binding> bindings_;
    std::unordered_map<std::string_view, std::size_t, KeyedNameHash> innermost_;
    std::size_t declared_ = 0;
    // Nearly every name has the prefix the one before it had.
    std::string_view lastPrefix_;
    std::optional<std::string_view> lastUri_;
};

// Among attributes whose `space` and `local` are their namespace and local name, the first
// whose expanded name one before it has, or `last`. Many are sorted first, which reorders them.
template <typename It>
It repeatedExpandedName(It first, It last)
{
    const auto sameName = [](const auto& x, const auto& y) { return x.local == y.local && x.space == y.space; };
    if (last - first <= 8) {
        for (auto i = first; i != last; ++i)
            for (auto j = first; j != i; ++j)
                if (sameName(*i, *j))
                    return i;
        return last;
    }
    std::sort(first, last, [](const auto& x, const auto& y) {
        return x.space != y.space ? x.space < y.space : x.local < y.local;
    });
    const auto twice = std::adjacent_find(first, last, sameName);
    return twice == last ? last : twice + 1;
}

} // namespace wordauto::detail
