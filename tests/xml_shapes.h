#pragma once

// Hand-written WordprocessingML for the tests of the shapes other writers produce: a package
// with only the parts a reader needs, its document.xml with the WordprocessingML namespace
// bound as Word, generic serializers or the default namespace bind it, and the pieces of a
// body (runs, paragraphs, tables, legacy form fields), written with "w:".
#include "wordauto/opc/package.h"

#include <string>

namespace xmlshapes {

inline constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* kMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

// How the WordprocessingML namespace is bound in document.xml.
enum class Binding {
    W,         // xmlns:w, as Word writes it
    Ns0,       // xmlns:ns0, as generic XML serializers write it
    Default,   // elements in the default namespace, attributes with w:
};

inline std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// document.xml whose w:document holds `content` (its w:body and whatever stands beside it),
// written with "w:"; other bindings rename it.
inline std::string documentPartXml(const std::string& content, Binding binding)
{
    const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    const std::string xml = "<w:document>" + content + "</w:document>";
    switch (binding) {
    case Binding::W:
        return decl + replaceAll(xml, "<w:document>",
                                 std::string("<w:document xmlns:w=\"") + kWordNs + "\">");
    case Binding::Ns0: {
        std::string s = replaceAll(replaceAll(replaceAll(xml, "</w:", "</ns0:"), "<w:", "<ns0:"),
                                   " w:", " ns0:");
        return decl + replaceAll(s, "<ns0:document>",
                                 std::string("<ns0:document xmlns:ns0=\"") + kWordNs + "\">");
    }
    case Binding::Default: {
        std::string s = replaceAll(replaceAll(xml, "</w:", "</"), "<w:", "<");
        return decl + replaceAll(s, "<document>",
                                 std::string("<document xmlns=\"") + kWordNs + "\" xmlns:w=\""
                                     + kWordNs + "\">");
    }
    }
    return {};
}

// The body is written with "w:"; other bindings rename it.
inline std::string documentXml(const std::string& body, Binding binding)
{
    return documentPartXml("<w:body>" + body + "</w:body>", binding);
}

// A package with only the parts a reader needs, from a hand-written document.xml.
inline void writePackage(const std::string& path, const std::string& documentXml)
{
    auto pkg = wordauto::opc::Package::createEmpty();
    pkg.setPart("word/document.xml", documentXml);
    pkg.setPart("_rels/.rels",
                std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                            "relationships\"><Relationship Id=\"rId1\" Type=\"")
                    + wordauto::opc::reltype::officeDocument
                    + "\" Target=\"word/document.xml\"/></Relationships>");
    pkg.setPart("word/_rels/document.xml.rels",
                "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                "relationships\"/>");
    pkg.setOverride("word/document.xml", kMainType);
    pkg.saveAs(path);
}

// ---- pieces of WordprocessingML, "w:" prefixed ----------------------------------------------

inline std::string ffData(const std::string& name, const std::string& kind,
                          const std::string& status = "", const std::string& help = "")
{
    std::string s = "<w:ffData><w:name w:val=\"" + name + "\"/><w:enabled/><w:calcOnExit w:val=\"0\"/>";
    if (!help.empty())
        s += "<w:helpText w:type=\"text\" w:val=\"" + help + "\"/>";
    if (!status.empty())
        s += "<w:statusText w:type=\"text\" w:val=\"" + status + "\"/>";
    return s + kind + "</w:ffData>";
}
inline std::string beginChar(const std::string& ff)
{
    return "<w:fldChar w:fldCharType=\"begin\">" + ff + "</w:fldChar>";
}
inline std::string instr(const std::string& code)
{
    return "<w:instrText xml:space=\"preserve\"> " + code + " </w:instrText>";
}
inline const std::string kSeparateChar = "<w:fldChar w:fldCharType=\"separate\"/>";
inline const std::string kEndChar = "<w:fldChar w:fldCharType=\"end\"/>";
inline std::string r(const std::string& content) { return "<w:r>" + content + "</w:r>"; }
inline std::string t(const std::string& text) { return "<w:t xml:space=\"preserve\">" + text + "</w:t>"; }
inline std::string p(const std::string& content) { return "<w:p>" + content + "</w:p>"; }
inline std::string tc(const std::string& blocks)
{
    return "<w:tc><w:tcPr><w:tcW w:w=\"3000\" w:type=\"dxa\"/></w:tcPr>" + blocks + "</w:tc>";
}
inline std::string tr(const std::string& cells) { return "<w:tr>" + cells + "</w:tr>"; }
inline std::string tbl(const std::string& rows)
{
    return "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr><w:tblGrid>"
           "<w:gridCol w:w=\"3000\"/><w:gridCol w:w=\"3000\"/></w:tblGrid>"
           + rows + "</w:tbl>";
}

// A text field in the usual five runs: begin, code, separate, result runs, end.
inline std::string textField(const std::string& name, const std::string& resultRuns,
                             const std::string& status = "", const std::string& help = "")
{
    return r(beginChar(ffData(name, "<w:textInput/>", status, help))) + r(instr("FORMTEXT"))
           + r(kSeparateChar) + resultRuns + r(kEndChar);
}
inline std::string checkBox(const std::string& name, const std::string& boxContent)
{
    return r(beginChar(ffData(name, "<w:checkBox><w:sizeAuto/>" + boxContent + "</w:checkBox>")))
           + r(instr("FORMCHECKBOX")) + r(kEndChar);
}
inline std::string bookmarkStart(int id, const std::string& name)
{
    return "<w:bookmarkStart w:id=\"" + std::to_string(id) + "\" w:name=\"" + name + "\"/>";
}
inline std::string bookmarkEnd(int id) { return "<w:bookmarkEnd w:id=\"" + std::to_string(id) + "\"/>"; }
inline std::string sdt(const std::string& content)
{
    return "<w:sdt><w:sdtPr><w:id w:val=\"5\"/></w:sdtPr><w:sdtContent>" + content
           + "</w:sdtContent></w:sdt>";
}

inline const char* bindingName(Binding b)
{
    switch (b) {
    case Binding::W: return "w";
    case Binding::Ns0: return "ns0";
    case Binding::Default: return "defaultNs";
    }
    return "?";
}

} // namespace xmlshapes
