#pragma once

// Hand-written WordprocessingML packages for the hostile-input tests and the fuzzer's seed
// corpus: shapes that the document builder never makes (content controls, custom XML, nesting
// of any depth, names and text of any bytes).

#include "wordauto/opc/package.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

namespace opc = wordauto::opc;

inline constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* kMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

inline std::string repeat(const std::string& s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

// `depth` times open, then inner, then as many times close: 100,000 levels unless told.
inline std::string nested(const std::string& open, const std::string& inner,
                          const std::string& close, std::size_t depth = 100000)
{
    return repeat(open, depth) + inner + repeat(close, depth);
}

inline std::string documentXml(const std::string& body)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document xmlns:w=\"")
           + kWordNs + "\"><w:body>" + body + "</w:body></w:document>";
}

// A paragraph holding the text field `name` with `value` as its result.
inline std::string field(const std::string& name, const std::string& value)
{
    return "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData><w:name w:val=\"" + name
           + "\"/><w:textInput/></w:ffData></w:fldChar></w:r><w:r><w:instrText> FORMTEXT "
             "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>"
           + value + "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
}

inline std::string cell(const std::string& content) { return "<w:tc>" + content + "</w:tc>"; }
inline std::string row(const std::string& cells) { return "<w:tr>" + cells + "</w:tr>"; }
inline std::string table(const std::string& rows) { return "<w:tbl>" + rows + "</w:tbl>"; }

struct Part {
    std::string name;
    std::string relType;     // relationship from the main part
    std::string contentType;
    std::string content;
};

// A package around a hand-written main part and the parts it relates to.
inline std::string package(const std::string& mainXml, const std::vector<Part>& parts = {})
{
    auto pkg = opc::Package::createEmpty();
    pkg.setPart("word/document.xml", mainXml);
    pkg.setRelationships("", {{"rId1", opc::reltype::officeDocument, "word/document.xml", false}});
    pkg.setOverride("word/document.xml", kMainType);
    std::vector<opc::Relationship> rels;
    for (const auto& p : parts) {
        pkg.setPart(p.name, p.content);
        pkg.setOverride(p.name, p.contentType);
        rels.push_back({"rId" + std::to_string(rels.size() + 1), p.relType,
                        p.name.substr(std::strlen("word/")), false});
    }
    if (!rels.empty())
        pkg.setRelationships("word/document.xml", rels);
    return pkg.toBytes();
}

inline std::string settingsXml(const std::string& inner)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:settings xmlns:w=\"") + kWordNs
           + "\">" + inner + "</w:settings>";
}

inline Part settingsPart(const std::string& xml)
{
    return {"word/settings.xml", opc::reltype::settings,
            "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml", xml};
}

inline Part stylesPart(const std::string& xml)
{
    return {"word/styles.xml", opc::reltype::styles,
            "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml", xml};
}

// The text in UTF-16 with its byte order mark, as another writer may store a part.
inline std::string utf16(const std::string& utf8, bool littleEndian)
{
    std::string out = littleEndian ? std::string("\xFF\xFE") : std::string("\xFE\xFF");
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            len = 2;
        }
        for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += len;
        auto unit = [&](std::uint32_t u) {
            const char hi = static_cast<char>(u >> 8);
            const char lo = static_cast<char>(u & 0xFF);
            out += littleEndian ? std::string{lo, hi} : std::string{hi, lo};
        };
        if (cp >= 0x10000) {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            unit(cp);
        }
    }
    return out;
}

} // namespace testsupport
