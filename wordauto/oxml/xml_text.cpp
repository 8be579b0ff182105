#include "wordauto/oxml/xml_text.h"

#include "wordauto/word_error.h"

#include <cstdint>
#include <cstring>

namespace wordauto::detail {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

constexpr std::uint64_t hasZeroByte(std::uint64_t v) { return (v - kOnes) & ~v & kHighs; }

// Whether any of the 8 bytes needs a closer look: not ASCII, a control character, or the start
// of a reference or of a comment, CDATA section, declaration or processing instruction.
// Most of a part is plain ASCII markup, which this lets through 8 bytes at a time.
bool needsLook(std::uint64_t w)
{
    return ((w & kHighs) | ((w - 0x20 * kOnes) & ~w & kHighs) | hasZeroByte(w ^ ('&' * kOnes))
            | hasZeroByte(w ^ ('!' * kOnes)) | hasZeroByte(w ^ ('?' * kOnes)))
           != 0;
}

std::string forbidden(std::uint32_t c)
{
    return "carattere di codice " + std::to_string(c) + " non ammesso";
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The reference starting at text[0] == '&': fine when soundReferenceLength takes it, else why not.
std::optional<std::string> referenceFault(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    if (soundReferenceLength(p, p + text.size()) > 0)
        return std::nullopt;
    constexpr std::size_t kLongest = 12; // "&#x0010FFFF;" and the like, as named in messages
    const auto semi = text.substr(0, kLongest + 2).find(';');
    if (semi == std::string_view::npos)
        return std::string("carattere & non seguito da un riferimento");
    const std::string_view name = text.substr(1, semi - 1);
    if (name.size() < 2 || name[0] != '#')
        return "entità non definita &" + xmlSafeText(name) + ";";
    // A number: a character XML forbids, or no number at all.
    const bool hex = name[1] == 'x';
    std::uint32_t cp = 0;
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string_view::npos)
        return std::string("riferimento a un carattere non valido");
    for (const char d : digits) {
        cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
        if (cp > 0x10FFFF)
            return std::string("riferimento a un carattere non valido");
    }
    return forbidden(cp);
}

// Checks encoding and characters of text; with `markup`, references and the sections whose
// text is taken literally (comments, CDATA, processing instructions) too.
std::optional<std::string> scan(std::string_view text, bool markup)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (!needsLook(w)) {
                i += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c >= 0x80) {
            std::uint32_t cp;
            const std::size_t len = decodeUtf8(p + i, n - i, cp);
            if (len == 0)
                return std::string("testo non codificato in UTF-8");
            if (!isXmlChar(cp))
                return forbidden(cp);
            i += len;
            continue;
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return forbidden(c);
        if (markup && c == '&') {
            if (auto fault = referenceFault(text.substr(i)))
                return fault;
        } else if (markup && (c == '!' || c == '?') && i > 0 && p[i - 1] == '<') {
            const std::string_view rest = text.substr(i);
            std::string_view close;
            if (c == '?')
                close = "?>";
            else if (rest.substr(0, 3) == "!--")
                close = "-->";
            else if (rest.substr(0, 8) == "![CDATA[")
                close = "]]>";
            else if (rest.substr(0, 8) == "!DOCTYPE")
                return std::string("dichiarazione DOCTYPE non ammessa");
            if (!close.empty()) {
                // An unclosed section is the parser's to report; its text is checked all the same.
                const auto end = rest.find(close);
                const std::size_t len = end == std::string_view::npos ? rest.size() : end + close.size();
                if (auto fault = scan(rest.substr(1, len - 1), false))
                    return fault;
                i += len;
                continue;
            }
        }
        ++i;
    }
    return std::nullopt;
}

// Names UTF-8 as the encoding in the XML declaration at the start of text, if it names one.
void declareUtf8(std::string& text)
{
    if (text.compare(0, 5, "<?xml") != 0)
        return;
    const auto end = text.find("?>");
    const auto attr = text.find("encoding", 5);
    if (end == std::string::npos || attr == std::string::npos || attr > end)
        return;
    const auto open = text.find_first_of("\"'", attr);
    if (open == std::string::npos || open > end)
        return;
    const auto close = text.find(text[open], open + 1);
    if (close == std::string::npos || close > end)
        return;
    text.replace(open + 1, close - open - 1, "UTF-8");
}

} // namespace

void convertUtf16Part(std::string& text, const std::string& partName, const std::string& displayPath)
{
    if (text.size() < 2)
        return;
    const auto b0 = static_cast<unsigned char>(text[0]);
    const auto b1 = static_cast<unsigned char>(text[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE;
    if (!little && !(b0 == 0xFE && b1 == 0xFF))
        return;
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(text[i]);
        const auto b = static_cast<unsigned char>(text[i + 1]);
        return static_cast<std::uint32_t>(little ? a | (b << 8) : (a << 8) | b);
    };
    if (text.size() % 2 != 0)
        invalidPart("testo UTF-16 troncato", partName, displayPath);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 2; i < text.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < text.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            invalidPart("testo UTF-16 non valido", partName, displayPath);
        appendUtf8(out, cp);
    }
    declareUtf8(out);
    text = std::move(out);
}

bool isXmlChar(std::uint32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF)
           || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

std::string_view utf8PartText(const std::string& xml, std::string& converted, const std::string& partName,
                              const std::string& displayPath)
{
    if (xml.size() < 2 || (xml[0] != '\xFF' && xml[0] != '\xFE'))
        return xml;
    converted = xml;
    convertUtf16Part(converted, partName, displayPath);
    return converted;
}

std::size_t soundReferenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        const bool hex = q < end && *q == 'x';
        if (hex)
            ++q;
        std::uint32_t cp = 0;
        const unsigned char* digits = q;
        for (; q < end; ++q) {
            const unsigned char c = *q;
            std::uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                digit = (c | 0x20) - 'a' + 10;
            else
                break;
            cp = cp * (hex ? 16 : 10) + digit;
            if (cp > 0x10FFFF)
                return 0;
        }
        if (q == digits || q == end || *q != ';' || !isXmlChar(cp))
            return 0;
        return static_cast<std::size_t>(q + 1 - p);
    }
    const auto rest = static_cast<std::size_t>(end - q);
    for (const std::string_view entity : {"lt;", "gt;", "amp;", "apos;", "quot;"})
        if (rest >= entity.size() && std::memcmp(q, entity.data(), entity.size()) == 0)
            return 1 + entity.size();
    return 0;
}

std::size_t decodeUtf8(const unsigned char* p, std::size_t n, std::uint32_t& cp)
{
    const unsigned char c = p[0];
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    std::size_t len;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
        if (c == 0xE0)
            lo = 0xA0;
        else if (c == 0xED)
            hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
        if (c == 0xF0)
            lo = 0x90;
        else if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (n < len || p[1] < lo || p[1] > hi)
        return 0;
    for (std::size_t i = 1; i < len; ++i) {
        if (i > 1 && (p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    return len;
}

void invalidPart(const std::string& cause, const std::string& partName,
                              const std::string& displayPath)
{
    throwFileError("Il documento è danneggiato (XML non valido in " + partName + ": " + cause + ")",
                   displayPath);
}

std::optional<std::string> xmlTextFault(std::string_view text) { return scan(text, true); }

std::optional<std::string> characterFault(std::string_view text) { return scan(text, false); }

void checkXmlText(std::string_view text, const std::string& partName, const std::string& displayPath)
{
    if (auto fault = xmlTextFault(text))
        invalidPart(*fault, partName, displayPath);
}

std::string xmlSafeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        std::uint32_t cp;
        const std::size_t len = decodeUtf8(p + i, text.size() - i, cp);
        if (len == 0) {
            appendUtf8(out, 0xFFFD);
            ++i;
            continue;
        }
        if (isXmlChar(cp))
            out.append(text.substr(i, len));
        else if (cp >= 0x20)
            appendUtf8(out, 0xFFFD);
        i += len;
    }
    return out;
}

} // namespace wordauto::detail
