#include "wordauto/oxml/xml_markup.h"

#include "wordauto/oxml/xml_names.h"
#include "wordauto/oxml/xml_text.h"
#include "wordauto/oxml/xml_tree_check.h"
#include "wordauto/oxml/xml_util.h"
#include "wordauto/word_error.h"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wordauto::detail {

namespace {

using Byte = unsigned char;

bool isBlank(Byte c) { return (kAsciiClass[c] & kBlank) != 0; }
bool startsName(Byte c) { return (kAsciiClass[c] & kNameStart) != 0 || c >= 0x80; }

// The first byte from p on that is A, B or C, or is not printable ASCII (a control character,
// or the start of a UTF-8 sequence); end when there is none. Most of a part is plain ASCII,
// which this passes 16 bytes at a time.
template <Byte A, Byte B, Byte C>
const Byte* findStop(const Byte* p, const Byte* end)
{
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi8(static_cast<char>(A));
    const __m128i b = _mm_set1_epi8(static_cast<char>(B));
    const __m128i c = _mm_set1_epi8(static_cast<char>(C));
    const __m128i space = _mm_set1_epi8(0x20);
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Signed: bytes from 0x80 up are below 0x20 too.
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, a), _mm_cmpeq_epi8(x, b)),
                                         _mm_or_si128(_mm_cmpeq_epi8(x, c), _mm_cmplt_epi8(x, space)));
        if (const int mask = _mm_movemask_epi8(hit))
            return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#endif
    while (p < end && *p != A && *p != B && *p != C && *p >= 0x20 && *p < 0x80)
        ++p;
    return p;
}

// A run of ASCII name characters, colons included.
struct NameRun {
    const Byte* end;
    const Byte* colon; // the first, when there is one
    int colons;
};

NameRun nameRun(const Byte* p, const Byte* end)
{
    NameRun run{p, nullptr, 0};
#if defined(__SSE2__)
    const __m128i caseBit = _mm_set1_epi8(0x20);
    const __m128i a = _mm_set1_epi8('a');
    const __m128i letters = _mm_set1_epi8(25);
    const __m128i dash = _mm_set1_epi8('-');
    const __m128i dashToColon = _mm_set1_epi8(':' - '-');
    const __m128i slash = _mm_set1_epi8('/');
    const __m128i underscore = _mm_set1_epi8('_');
    const __m128i colon = _mm_set1_epi8(':');
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // Letters; then "-." digits and ':', the range from '-' to ':' but for '/'; then '_'.
        const __m128i l = _mm_sub_epi8(_mm_or_si128(x, caseBit), a);
        const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(l, letters), l);
        const __m128i r = _mm_sub_epi8(x, dash);
        const __m128i inRange = _mm_andnot_si128(_mm_cmpeq_epi8(x, slash), _mm_cmpeq_epi8(_mm_min_epu8(r, dashToColon), r));
        const __m128i isName = _mm_or_si128(_mm_or_si128(isLetter, inRange), _mm_cmpeq_epi8(x, underscore));
        const unsigned stops = ~static_cast<unsigned>(_mm_movemask_epi8(isName)) & 0xFFFFu;
        unsigned colons = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, colon)));
        if (stops)
            colons &= (1u << std::countr_zero(stops)) - 1;
        if (colons) {
            if (!run.colon)
                run.colon = p + std::countr_zero(colons);
            run.colons += (colons & (colons - 1)) != 0 ? 2 : 1; // one, or more than one
        }
        if (stops) {
            run.end = p + std::countr_zero(stops);
            return run;
        }
    }
#endif
    for (; p < end && ((kAsciiClass[*p] & kNamePart) || *p == ':'); ++p)
        if (*p == ':' && run.colons++ == 0)
            run.colon = p;
    run.end = p;
    return run;
}

// The first '>' from p on, or null when there is none before end.
const Byte* findGreater(const Byte* p, const Byte* end)
{
#if defined(__SSE2__)
    const __m128i gt = _mm_set1_epi8('>');
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        if (const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(x, gt)))
            return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#endif
    for (; p < end; ++p)
        if (*p == '>')
            return p;
    return nullptr;
}

// Whether the n bytes at a and at b are the same; a comes no later than b in a text ending at end.
inline bool sameBytes(const Byte* a, const Byte* b, std::size_t n, const Byte* end)
{
#if defined(__SSE2__)
    const auto differ = [](const Byte* x, const Byte* y) {
        return ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(x)), _mm_loadu_si128(reinterpret_cast<const __m128i*>(y)))))
               & 0xFFFFu;
    };
    if (n <= 16 && end - b >= 16)
        return (differ(a, b) & ((1u << n) - 1)) == 0;
    if (n > 16 && n <= 64) {
        // 16 bytes at a time, the last 16 overlapping those before.
        for (std::size_t i = 0; i + 16 < n; i += 16)
            if (differ(a + i, b + i))
                return false;
        return differ(a + n - 16, b + n - 16) == 0;
    }
#endif
    return std::memcmp(a, b, n) == 0;
}

std::uint64_t load64(const Byte* p)
{
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Where the quotes of a start tag of `length` bytes at p stand, when they are what sets its
// attribute values apart: every byte after the "<" printable ASCII but for '<', '&' and '\'', and
// an even number of '"', two at least. Then two such tags alike outside their quotes are alike
// in all that makes a tag sound: names, prefixes, the layout of the markup. Their values hold no
// markup, reference or character beyond printable ASCII. The length rounded up to 16 bytes must
// be readable at p.
struct TagShape {
    static constexpr std::size_t kQuotes = 16; // at most: eight attributes
    std::array<std::uint8_t, kQuotes> quotes;  // from the "<"
    std::size_t count = 0;                     // none: the tag has no shape to be known by

    // The stretches of the tag outside its attribute values, quotes included: from the "<" to the
    // first quote, from each closing quote to the next opening one, from the last to the ">".
    std::size_t stretches() const { return count / 2 + 1; }
    std::pair<std::size_t, std::size_t> stretch(std::size_t length, std::size_t i) const
    {
        const std::size_t from = i == 0 ? 0 : quotes[2 * i - 1];
        const std::size_t to = i == count / 2 ? length : quotes[2 * i] + std::size_t{1};
        return {from, to - from};
    }
};

TagShape shapeOf(const Byte* p, std::size_t length)
{
    TagShape shape;
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i less = _mm_set1_epi8('<');
    const __m128i amp = _mm_set1_epi8('&');
    const __m128i apostrophe = _mm_set1_epi8('\'');
    const __m128i space = _mm_set1_epi8(0x20);
    std::size_t count = 0;
    for (std::size_t at = 0; at < length; at += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        // Signed: bytes from 0x80 up are below 0x20 too.
        const __m128i bad = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, less), _mm_cmpeq_epi8(x, amp)),
                                         _mm_or_si128(_mm_cmpeq_epi8(x, apostrophe), _mm_cmplt_epi8(x, space)));
        unsigned inside = 0xFFFFu;
        if (length - at < 16)
            inside = (1u << (length - at)) - 1;
        if (at == 0)
            inside &= ~1u; // the tag's own "<"
        if (static_cast<unsigned>(_mm_movemask_epi8(bad)) & inside)
            return shape;
        for (unsigned q = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, quote))) & inside; q; q &= q - 1) {
            if (count == TagShape::kQuotes)
                return shape;
            shape.quotes[count++] = static_cast<std::uint8_t>(at + static_cast<std::size_t>(std::countr_zero(q)));
        }
    }
    if (count >= 2 && count % 2 == 0)
        shape.count = count;
#else
    (void)p;
    (void)length;
#endif
    return shape;
}

// Slots found by a hash, a power of two of them made once.
template <typename Slot>
class SlotTable {
public:
    explicit SlotTable(std::size_t size) : slots_(std::bit_ceil(size)), mask_(slots_.size() - 1) {}
    Slot& operator[](std::uint64_t hash) { return slots_[static_cast<std::size_t>(hash) & mask_]; }

private:
    std::vector<Slot> slots_;
    std::size_t mask_;
};

// The characters of text taken literally (a comment, a CDATA section, an instruction).
bool charactersOk(const Byte* from, const Byte* to)
{
    return !characterFault({reinterpret_cast<const char*>(from), static_cast<std::size_t>(to - from)});
}

// Reads the text by the grammar and the namespaces rules in one pass, one construct after
// another; every step either moves on or gives up (false), so that no input is read twice over.
class SoundReader {
public:
    explicit SoundReader(std::string_view text)
        : p_(reinterpret_cast<const Byte*>(text.data())), end_(p_ + text.size()),
          // Most parts are small: what is made ready for each grows with it.
          known_(std::clamp<std::size_t>(text.size() / 128, 64, kKnownTags)),
          shapes_(std::clamp<std::size_t>(text.size() / 1024, 16, kKnownShapes)),
          runs_(std::clamp<std::size_t>(text.size() / 1024, 16, kKnownRuns))
    {
    }

    bool document() { return prologue() && content() && misc() && p_ == end_; }

private:
    struct QName {
        std::string_view prefix; // empty: none
        std::string_view local;
        std::string_view whole;
    };
    struct Attribute {
        std::string_view space; // the prefix until resolved; declarations have a space of their own
        std::string_view local; // a declaration's: the prefix it declares
        std::string_view value;
        bool declares;
        bool references;
    };
    // A start tag read before, from "<" to ">": the same bytes under the same declarations are
    // read the same. Most of a part is tags that stand many times over.
    struct KnownTag {
        const Byte* text = nullptr;
        std::uint32_t length = 0;
        std::size_t scope = 0; // NamespaceScope::id() when it was read
        std::uint16_t nameLength = 0;
        bool empty = false;
        std::uint8_t hits = 0; // what keeps it from tags seen once, which would push it out
    };
    // A start tag read before, known by what stands outside its attribute values: the tags that
    // stand once each (a bookmark, a field's name) mostly differ from one another only there.
    struct KnownShape {
        const Byte* text = nullptr; // the tag it was read from
        std::size_t scope = 0;
        TagShape shape;
        std::uint16_t length = 0;
        std::uint16_t nameLength = 0;
        bool empty = false;
    };
    // A run of tags read before, one after another with nothing between them: the same bytes
    // read the same where the elements they close are the ones open, under the same declarations.
    struct KnownRun {
        static constexpr std::size_t kMost = 8; // elements it closes that were open before it, and that it leaves open
        const Byte* text = nullptr;
        std::size_t scope = 0;
        std::uint8_t length = 0;
        std::uint8_t closes = 0;
        std::uint8_t opens = 0;
        std::uint8_t reach = 0; // how much deeper than where it began a start tag in it stands, plus one
        std::array<std::uint8_t, kMost> closeAt{}; // the names of its end tags closing those, innermost first
        std::array<std::uint8_t, kMost> closeLength{};
        std::array<std::uint8_t, kMost> openAt{}; // the names of its start tags left open, outermost first
        std::array<std::uint8_t, kMost> openLength{};
    };
    static constexpr std::size_t kShortestRun = 8;
    static constexpr std::size_t kLongestRun = 112;
    // At most, of each; powers of two.
    static constexpr std::size_t kKnownTags = 1024;
    static constexpr std::size_t kKnownShapes = 256;
    static constexpr std::size_t kKnownRuns = 256;
    static constexpr std::size_t kLongestKnownTag = 256;

    bool at(std::string_view what) const
    {
        return static_cast<std::size_t>(end_ - p_) >= what.size() && std::memcmp(p_, what.data(), what.size()) == 0;
    }
    bool expect(Byte c)
    {
        if (p_ == end_ || *p_ != c)
            return false;
        ++p_;
        return true;
    }
    bool blanks()
    {
        const Byte* from = p_;
        while (p_ < end_ && isBlank(*p_))
            ++p_;
        return p_ > from;
    }
    std::string_view since(const Byte* from) const
    {
        return {reinterpret_cast<const char*>(from), static_cast<std::size_t>(p_ - from)};
    }
    const Byte* find(std::string_view what) const
    {
        const std::string_view rest(reinterpret_cast<const char*>(p_), static_cast<std::size_t>(end_ - p_));
        const auto at = rest.find(what);
        return at == std::string_view::npos ? nullptr : p_ + at;
    }

    // What may stand before the root element, up to its "<".
    bool prologue()
    {
        if (at("\xEF\xBB\xBF"))
            p_ += 3;
        if (at("<?xml") && end_ - p_ > 5 && (isBlank(p_[5]) || p_[5] == '?') && !declaration())
            return false;
        return misc() && end_ - p_ > 1 && *p_ == '<' && startsName(p_[1]);
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

    // A qualified name at p_.
    [[gnu::always_inline]] bool qname(QName& out)
    {
        const Byte* from = p_;
        const NameRun run = nameRun(p_, end_);
        if (run.end < end_ && *run.end >= 0x80)
            return qnameBeyondAscii(out);
        if (run.end == from || !(kAsciiClass[*from] & kNameStart))
            return false;
        p_ = run.end;
        out.whole = since(from);
        if (run.colons == 0) {
            out.prefix = {};
            out.local = out.whole;
            return true;
        }
        if (run.colons > 1 || run.colon + 1 == run.end || !(kAsciiClass[run.colon[1]] & kNameStart))
            return false;
        const auto split = static_cast<std::size_t>(run.colon - from);
        out.prefix = out.whole.substr(0, split);
        out.local = out.whole.substr(split + 1);
        return true;
    }

    [[gnu::noinline]] bool qnameBeyondAscii(QName& out)
    {
        const Byte* from = p_;
        while (p_ < end_) {
            std::uint32_t cp;
            const std::size_t len = decodeUtf8(p_, static_cast<std::size_t>(end_ - p_), cp);
            if (len == 0 || !(cp == ':' || isXmlNameChar(cp)))
                break;
            p_ += len;
        }
        out.whole = since(from);
        return splitQName(out.whole, out.prefix, out.local);
    }

    // A character reference or one of the five predefined entities, for a character XML allows.
    bool reference()
    {
        const std::size_t length = soundReferenceLength(p_, end_);
        p_ += length;
        return length > 0;
    }

    // A byte of text that is not printable ASCII: a blank, or a character beyond ASCII.
    bool character()
    {
        if (*p_ < 0x80) {
            if (!isBlank(*p_))
                return false;
            ++p_;
            return true;
        }
        std::uint32_t cp;
        const std::size_t len = decodeUtf8(p_, static_cast<std::size_t>(end_ - p_), cp);
        if (len == 0 || !isXmlChar(cp))
            return false;
        p_ += len;
        return true;
    }

    // An attribute value after its opening quote, up to the closing one, which is left at p_.
    template <Byte Quote>
    bool value(bool& references)
    {
        for (;;) {
            p_ = findStop<Quote, '<', '&'>(p_, end_);
            if (p_ == end_)
                return false;
            if (*p_ == Quote)
                return true;
            if (*p_ == '<')
                return false;
            if (*p_ == '&') {
                references = true;
                if (!reference())
                    return false;
            } else if (!character()) {
                return false;
            }
        }
    }

    // "<!--" ... "-->", no "--" inside and no "-" before the end.
    bool comment()
    {
        p_ += 4;
        const Byte* dashes = find("--");
        if (!dashes || end_ - dashes < 3 || dashes[2] != '>' || !charactersOk(p_, dashes))
            return false;
        p_ = dashes + 3;
        return true;
    }

    // "<?" target (blanks text)? "?>", the target a name without colons and not "xml" in any case.
    bool instruction()
    {
        p_ += 2;
        QName target;
        if (!qname(target) || !target.prefix.empty() || equalsNoCase(target.whole, "xml"))
            return false;
        if (at("?>")) {
            p_ += 2;
            return true;
        }
        if (!blanks())
            return false;
        const Byte* close = find("?>");
        if (!close || !charactersOk(p_, close))
            return false;
        p_ = close + 2;
        return true;
    }

    bool cdata()
    {
        p_ += 9;
        const Byte* close = find("]]>");
        if (!close || !charactersOk(p_, close))
            return false;
        p_ = close + 3;
        return true;
    }

    // S? "=" S? and a quoted value matching `valueOk`, which sees it as written.
    template <typename Pred>
    bool declarationValue(Pred valueOk)
    {
        blanks();
        if (!expect('='))
            return false;
        blanks();
        if (p_ == end_ || (*p_ != '"' && *p_ != '\''))
            return false;
        const Byte quote = *p_++;
        const Byte* from = p_;
        while (p_ < end_ && *p_ != quote)
            ++p_;
        if (p_ == end_ || !valueOk(since(from)))
            return false;
        ++p_;
        return true;
    }

    bool declaration()
    {
        p_ += 5;
        auto keyword = [&](std::string_view word) {
            const Byte* back = p_;
            if (blanks() && at(word)) {
                p_ += word.size();
                return true;
            }
            p_ = back;
            return false;
        };
        if (!keyword("version") || !declarationValue([](std::string_view v) {
                return v.size() >= 3 && v.starts_with("1.")
                       && v.substr(2).find_first_not_of("0123456789") == std::string_view::npos;
            }))
            return false;
        // The text is UTF-8 by now: a declaration naming another encoding is not taken at its word.
        if (keyword("encoding") && !declarationValue([](std::string_view v) { return equalsNoCase(v, "utf-8"); }))
            return false;
        if (keyword("standalone") && !declarationValue([](std::string_view v) { return v == "yes" || v == "no"; }))
            return false;
        blanks();
        return at("?>") && (p_ += 2, true);
    }

    // The root element and all it holds, from the root's "<", without recursion.
    bool content()
    {
        if (!startTag())
            return false;
        while (depth_ != 0) {
            fastRun();
            if (depth_ == 0)
                break;
            // Markup mostly follows markup.
            if (p_ == end_ || *p_ != '<')
                p_ = findStop<'<', '&', ']'>(p_, end_);
            if (p_ == end_)
                return false; // an element left open
            switch (*p_) {
            case '<':
                if (!markup())
                    return false;
                break;
            case '&':
                if (!reference())
                    return false;
                break;
            case ']':
                if (at("]]>"))
                    return false;
                ++p_;
                break;
            default:
                if (!character())
                    return false;
            }
        }
        return true;
    }

    // Known tags, and end tags closing the element open, read with the state in locals for as
    // long as they come; p_ is left at the first construct this does not take. Tags that follow
    // one another with nothing between are also known as runs, and a run met again is taken whole.
    void fastRun()
    {
        if (end_ - p_ < static_cast<std::ptrdiff_t>(kLongestKnownTag + 16))
            return;
        const Byte* p = p_;
        const Byte* const limit = end_ - (kLongestKnownTag + 16);
        std::size_t depth = depth_;
        std::string_view* const open = open_.data();
        // Below kMaxXmlDepth: a tag that would go deeper is left to the reading anew.
        const std::size_t room = open_.size();
        std::size_t scope = scope_.id();
        std::size_t declaredAt = scope_.innermostDepth();
        RunRecord run; // the run being read tag by tag, if any
        while (p <= limit) {
            if (*p != '<') {
                learnRun(run, p);
                p = findStop<'<', '&', ']'>(p, end_);
                if (p > limit || *p != '<')
                    break;
            }
            if (run.spoiled)
                run = {}; // what follows may begin one
            if (!run.text) {
                if (const KnownRun* known = knownRun(p, depth, room, scope, declaredAt, open)) {
                    depth -= known->closes;
                    for (std::size_t i = 0; i < known->opens; ++i)
                        open[depth + i] = {reinterpret_cast<const char*>(p + known->openAt[i]), known->openLength[i]};
                    depth += known->opens;
                    p += known->length;
                    continue;
                }
                run.text = p;
                run.scope = scope;
            }
            if (p[1] == '/') {
                const std::string_view name = open[depth - 1];
                const std::size_t n = name.size();
                if (n > kLongestKnownTag || !sameBytes(reinterpret_cast<const Byte*>(name.data()), p + 2, n, end_)
                    || p[2 + n] != '>')
                    break;
                if (!joinsRun(run, p, p + n + 3))
                    continue;
                run.closing(p + 2, n);
                p += n + 3;
                if (--depth < declaredAt) {
                    // Its declarations go out of scope: a run that closes it is not one to know.
                    run = {};
                    scope_.leave(depth);
                    scope = scope_.id();
                    declaredAt = scope_.innermostDepth();
                }
                if (depth == 0) {
                    run.spoiled = true; // the root's end: not one to be met again
                    break;
                }
            } else {
                const Byte* close = findGreater(p + 1, p + kLongestKnownTag);
                if (!close || depth + 1 >= room)
                    break;
                if (!joinsRun(run, p, close + 1))
                    continue;
                const auto length = static_cast<std::size_t>(close + 1 - p);
                KnownTag& slot = knownSlot(p, length);
                std::size_t nameLength = slot.nameLength;
                bool empty = slot.empty;
                if (slot.length == length && slot.scope == scope && sameBytes(slot.text, p, length, end_)) {
                    if (slot.hits < 3)
                        ++slot.hits;
                    run.opening(p + 1, nameLength, empty);
                } else if (const KnownShape* known = knownShape(p, length, scope)) {
                    // Its values are most likely its own: a run holding it would not be met again.
                    learnRun(run, p);
                    nameLength = known->nameLength;
                    empty = known->empty;
                } else {
                    break;
                }
                if (!empty)
                    open[depth++] = {reinterpret_cast<const char*>(p + 1), nameLength};
                p = close + 1;
            }
        }
        learnRun(run, p); // what was read of it up to here
        depth_ = depth;
        p_ = p;
    }

    // A run being read tag by tag, from `text` on (none when null), as far as it has come.
    struct RunRecord : KnownRun {
        bool spoiled = false; // not one to be known

        void closing(const Byte* name, std::size_t n)
        {
            if (opens > 0) {
                --opens; // one it opened
            } else if (closes == kMost) {
                spoiled = true;
            } else {
                closeAt[closes] = static_cast<std::uint8_t>(name - text);
                closeLength[closes++] = static_cast<std::uint8_t>(n);
            }
        }
        void opening(const Byte* name, std::size_t n, bool empty)
        {
            // The depth a start tag stands at above where the run began, plus one.
            const auto above = static_cast<std::ptrdiff_t>(opens) - static_cast<std::ptrdiff_t>(closes) + 1;
            if (above > static_cast<std::ptrdiff_t>(reach))
                reach = static_cast<std::uint8_t>(above);
            if (empty)
                return;
            if (opens == kMost) {
                spoiled = true;
                return;
            }
            openAt[opens] = static_cast<std::uint8_t>(name - text);
            openLength[opens++] = static_cast<std::uint8_t>(n);
        }
    };

    // Whether the tag from p to `after` goes on the run being read. When it would make the run
    // too long, the run ends before it, for the tag to begin one (false); a tag longer than any
    // run by itself goes on a run that will not be known.
    bool joinsRun(RunRecord& run, const Byte* p, const Byte* after)
    {
        if (after - run.text <= static_cast<std::ptrdiff_t>(kLongestRun))
            return true;
        if (run.text != p) {
            learnRun(run, p);
            return false;
        }
        run.spoiled = true;
        return true;
    }

    // Ends the run being read at `to`, known from now on when it is long enough to be told by.
    void learnRun(RunRecord& run, const Byte* to)
    {
        if (!run.text)
            return;
        // A run is found by its first 16 bytes: a shorter one only where what follows it is a tag,
        // most likely the same one each time, and not text.
        const auto length = static_cast<std::size_t>(to - run.text);
        if (!run.spoiled && (length >= 16 || (length >= kShortestRun && to < end_ && *to == '<'))) {
            run.length = static_cast<std::uint8_t>(length);
            runSlot(run.text) = run;
        }
        run = {};
    }

    // Where a run beginning with the 16 bytes at p is known, if anywhere.
    KnownRun& runSlot(const Byte* p)
    {
        const std::uint64_t h = (load64(p) * 0x9E3779B97F4A7C15ull) ^ (load64(p + 8) * 0xC2B2AE3D27D4EB4Full);
        return runs_[h >> 56];
    }

    // The run known from p, if there is one and it may be taken here: the same bytes under the
    // same declarations, closing the elements open that it closed when it was read (none of them
    // the root or one whose declarations are in scope), with room for what it opens.
    const KnownRun* knownRun(const Byte* p, std::size_t depth, std::size_t room, std::size_t scope,
                             std::size_t declaredAt, const std::string_view* open)
    {
        const KnownRun& known = runSlot(p);
        if (!known.text || known.scope != scope || depth <= known.closes || depth - known.closes < declaredAt
            || depth + known.reach >= room || !sameBytes(known.text, p, known.length, end_))
            return nullptr;
        for (std::size_t i = 0; i < known.closes; ++i) {
            const std::string_view name = open[depth - 1 - i];
            if (name.size() != known.closeLength[i]
                || !sameBytes(reinterpret_cast<const Byte*>(name.data()), p + known.closeAt[i], name.size(), end_))
                return nullptr;
        }
        return &known;
    }

    // The markup at "<" inside the root.
    bool markup()
    {
        if (end_ - p_ < 2)
            return false;
        switch (p_[1]) {
        case '/':
            return endTag();
        case '?':
            return instruction();
        case '!':
            if (at("<!--"))
                return comment();
            if (at("<![CDATA["))
                return cdata();
            return false;
        default:
            return startTag();
        }
    }

    bool endTag()
    {
        p_ += 2;
        const std::string_view name = open_[depth_ - 1];
        const auto* open = reinterpret_cast<const Byte*>(name.data());
        if (static_cast<std::size_t>(end_ - p_) <= name.size() || !sameBytes(open, p_, name.size(), end_))
            return false;
        p_ += name.size();
        if (*p_ == '>') {
            ++p_;
        } else {
            blanks();
            if (!expect('>'))
                return false;
        }
        --depth_;
        leaveScope();
        return true;
    }

    bool startTag()
    {
        const Byte* from = p_;
        std::size_t nameLength = 0;
        bool empty = false;
        bool declares = false;
        if (!readStartTag(nameLength, empty, declares))
            return false;
        // Known from now on, unless it opened declarations (read again, it would open them again).
        const auto length = static_cast<std::size_t>(p_ - from);
        if (declares || length > kLongestKnownTag || end_ - from < 16)
            return true;
        KnownTag& slot = knownSlot(from, length);
        if (slot.hits > 0)
            --slot.hits;
        else
            slot = {from, static_cast<std::uint32_t>(length), scope_.id(), static_cast<std::uint16_t>(nameLength), empty, 0};
        if (end_ - from >= static_cast<std::ptrdiff_t>(length + 16)) {
            const TagShape shape = shapeOf(from, length);
            if (shape.count)
                shapeSlot(from, shape) = {from, scope_.id(), shape, static_cast<std::uint16_t>(length),
                                          static_cast<std::uint16_t>(nameLength), empty};
        }
        return true;
    }

    bool readStartTag(std::size_t& nameLength, bool& empty, bool& declares)
    {
        ++p_;
        QName element;
        if (!qname(element))
            return false;
        nameLength = element.whole.size();
        std::size_t count = 0;
        for (;;) {
            if (p_ == end_)
                return false;
            if (*p_ == '>') {
                ++p_;
                break;
            }
            if (*p_ == '/') {
                ++p_;
                if (!expect('>'))
                    return false;
                empty = true;
                break;
            }
            if (!blanks() || p_ == end_)
                return false;
            if (*p_ == '>' || *p_ == '/')
                continue;
            QName name;
            if (!qname(name))
                return false;
            blanks();
            if (!expect('='))
                return false;
            blanks();
            if (p_ == end_)
                return false;
            const Byte quote = *p_++;
            const Byte* from = p_;
            bool references = false;
            if (quote == '"' ? !value<'"'>(references) : quote == '\'' ? !value<'\''>(references) : true)
                return false;
            const std::string_view value = since(from);
            ++p_;
            if (count == attributes_.size())
                attributes_.emplace_back();
            // Declarations go in a space of their own, their prefix as local name.
            // Set member by member: a whole new value would be built aside and copied over.
            Attribute& a = attributes_[count++];
            a.declares = name.prefix.empty() ? name.local == "xmlns" : name.prefix == "xmlns";
            a.space = a.declares ? kXmlnsUri : name.prefix;
            a.local = a.declares && name.prefix.empty() ? std::string_view() : name.local;
            a.value = value;
            a.references = references;
            declares |= a.declares;
        }
        const std::size_t depth = depth_ + 1;
        if (depth >= kMaxXmlDepth)
            return false;
        if (declares && !declare(count, depth))
            return false;
        if (!element.prefix.empty() && (element.prefix == "xmlns" || !scope_.uriOf(element.prefix)))
            return false;
        for (std::size_t i = 0; i < count; ++i) {
            Attribute& a = attributes_[i];
            if (a.space.empty() || a.declares)
                continue;
            const auto uri = scope_.uriOf(a.space);
            if (!uri)
                return false;
            a.space = *uri;
        }
        const auto gathered = attributes_.begin() + static_cast<std::ptrdiff_t>(count);
        if (count > 1 && repeatedExpandedName(attributes_.begin(), gathered) != gathered)
            return false;
        if (empty) {
            leaveScope();
        } else {
            if (depth_ == open_.size())
                open_.resize(std::min(2 * open_.size(), kMaxXmlDepth));
            open_[depth_++] = element.whole;
        }
        return true;
    }

    bool declare(std::size_t count, std::size_t depth)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const Attribute& a = attributes_[i];
            if (!a.declares)
                continue;
            if (a.references || !isSoundNamespaceDeclaration(a.local, a.local.empty(), a.value))
                return false;
            scope_.declare(a.local, a.value, depth);
        }
        return true;
    }

    // Declarations of elements that are done with go out of scope.
    void leaveScope() { scope_.leave(depth_); }

    // Where a tag of `length` bytes at p is known, if anywhere; 16 bytes must be readable at p.
    KnownTag& knownSlot(const Byte* p, std::size_t length)
    {
        std::uint64_t lo;
        std::uint64_t hi;
        if (length >= 16) {
            lo = load64(p) ^ (load64(p + length - 8) << 1);
            hi = load64(p + 8) ^ (load64(p + length - 16) << 1);
        } else {
            lo = load64(p);
            hi = load64(p + 8);
            if (length < 8) {
                lo &= (std::uint64_t{1} << (8 * length)) - 1;
                hi = 0;
            } else {
                hi &= length == 8 ? 0 : (std::uint64_t{1} << (8 * (length - 8))) - 1;
            }
        }
        const std::uint64_t h = (lo * 0x9E3779B97F4A7C15ull) ^ (hi * 0xC2B2AE3D27D4EB4Full) ^ length;
        return known_[h >> 54];
    }

    // Where a tag of that shape is known, if anywhere. 16 bytes past the tag must be readable.
    KnownShape& shapeSlot(const Byte* p, const TagShape& shape)
    {
        // The first stretch: the element's name and its first attribute's.
        const std::size_t n = shape.quotes[0] + std::size_t{1};
        std::uint64_t v = load64(p);
        if (n < 8)
            v &= (std::uint64_t{1} << (8 * n)) - 1;
        else
            v ^= load64(p + n - 8) << 1;
        const std::uint64_t h = (v ^ n ^ (shape.count << 8)) * 0x9E3779B97F4A7C15ull;
        return shapes_[h >> 56];
    }

    // The tag known by its shape that a start tag of `length` bytes at p is alike to under these
    // declarations, if one is.
    const KnownShape* knownShape(const Byte* p, std::size_t length, std::size_t scope)
    {
        const TagShape shape = shapeOf(p, length);
        if (!shape.count)
            return nullptr;
        const KnownShape& known = shapeSlot(p, shape);
        if (!known.text || known.shape.count != shape.count || known.scope != scope)
            return nullptr;
        for (std::size_t i = 0; i < shape.stretches(); ++i) {
            const auto [from, n] = shape.stretch(length, i);
            const auto [knownFrom, knownN] = known.shape.stretch(known.length, i);
            if (n != knownN || !sameBytes(known.text + knownFrom, p + from, n, end_))
                return nullptr;
        }
        return &known;
    }

    const Byte* p_;
    const Byte* end_;
    SlotTable<KnownTag> known_;
    SlotTable<KnownShape> shapes_;
    SlotTable<KnownRun> runs_;
    std::vector<std::string_view> open_ = std::vector<std::string_view>(64); // names of the elements open, the root first
    std::size_t depth_ = 0;
    NamespaceScope scope_;
    std::vector<Attribute> attributes_;
};

} // namespace

bool isSoundAsStored(std::string_view text) { return SoundReader(text).document(); }

bool checkXmlBeforeParse(std::string_view text, const std::string& partName, const std::string& displayPath)
{
    if (isSoundAsStored(text))
        return true;
    checkXmlText(text, partName, displayPath);
    return false;
}

std::optional<std::string> xmlPartWrittenAnew(std::string_view text, bool converted, const std::string& partName,
                                              const std::string& displayPath)
{
    if (!converted && isSoundAsStored(text))
        return std::nullopt;
    auto refuse = [&](const std::string& why) {
        throwFileError("Impossibile salvare il file (XML non valido in " + partName + ": " + why + ")",
                       displayPath);
    };
    if (auto fault = xmlTextFault(text))
        refuse(*fault);
    // What the reading as stored doubts is judged on the parsed tree, and written anew from it.
    // A declaration a lenient parse let by is left out.
    pugi::xml_document doc;
    const auto parsed = doc.load_buffer(text.data(), text.size(), kParseOptions & ~pugi::parse_declaration,
                                        pugi::encoding_utf8);
    if (!parsed)
        refuse(parsed.description());
    if (auto fault = xmlTreeFault(doc))
        refuse(*fault);
    auto declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
    return saveXml(doc, text.size());
}

} // namespace wordauto::detail
