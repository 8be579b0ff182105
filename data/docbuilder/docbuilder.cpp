#include "data/docbuilder/docbuilder.h"

#include "wordauto/opc/package.h"

#include <pugixml.hpp>

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace docbuilder {

Paragraph para(std::vector<Inline> content)
{
    Paragraph p;
    p.content = std::move(content);
    return p;
}

Cell cell(std::vector<Block> blocks)
{
    Cell c;
    c.blocks = std::move(blocks);
    return c;
}

Cell span(int columns, Cell c)
{
    c.span = columns;
    return c;
}

Cell mergeFirst(Cell c)
{
    c.merge = Cell::Merge::First;
    return c;
}

Cell mergedAbove()
{
    Cell c;
    c.merge = Cell::Merge::Continued;
    return c;
}

Row row(std::vector<Cell> cells)
{
    return Row{std::move(cells)};
}

Row headerRow(std::vector<Cell> cells)
{
    Row r{std::move(cells)};
    r.header = true;
    return r;
}

Row unsplittableRow(std::vector<Cell> cells)
{
    Row r{std::move(cells)};
    r.cantSplit = true;
    return r;
}

Paragraph keepWithNext(Paragraph p)
{
    p.keepWithNext = true;
    return p;
}

Paragraph pageBreakBefore(Paragraph p)
{
    p.pageBreakBefore = true;
    return p;
}

Table table(std::vector<Row> rows, std::vector<int> columnWidths)
{
    return Table{std::move(rows), std::move(columnWidths)};
}

namespace {

constexpr const char* nsW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* nsR = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

constexpr const char* ctDocument =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
constexpr const char* ctTemplate =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
constexpr const char* ctStyles =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml";
constexpr const char* ctSettings =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml";
constexpr const char* ctFooter =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml";
constexpr const char* ctCore = "application/vnd.openxmlformats-package.core-properties+xml";
constexpr const char* ctApp =
    "application/vnd.openxmlformats-officedocument.extended-properties+xml";

constexpr const char* relCore =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
constexpr const char* relApp =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";

// A4 with 2 cm side margins, Word's Italian defaults.
constexpr int pageWidth = 11906;
constexpr int pageHeight = 16838;
constexpr int marginSide = 1134;
constexpr int textWidth = pageWidth - 2 * marginSide;
// Left plus right cell margin of the default table style; a nested table fits inside it.
constexpr int cellMargins = 2 * 108;

// What Word shows in a text or drop-down field that holds nothing.
constexpr const char* emptyResult = "\u2002\u2002\u2002\u2002\u2002";

[[noreturn]] void invalid(const std::string& what)
{
    throw std::invalid_argument("docbuilder: " + what);
}

// Text that cannot go into an XML 1.0 part would give a file nobody can open.
void checkText(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        unsigned c = *p;
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        if (extra < 0 || end - p <= extra)
            invalid("invalid UTF-8 in \"" + std::string(s) + "\"");
        unsigned cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                invalid("invalid UTF-8 in \"" + std::string(s) + "\"");
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        static constexpr unsigned minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            invalid("invalid UTF-8 in \"" + std::string(s) + "\"");
        if ((cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\f') || cp == 0xFFFE || cp == 0xFFFF)
            invalid("character not allowed in a document in \"" + std::string(s) + "\"");
        p += extra + 1;
    }
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override
    {
        out.append(static_cast<const char*>(data), size);
    }
};

std::string serialize(const pugi::xml_document& xml)
{
    StringWriter w;
    xml.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(w.out);
}

// A document with the XML declaration Word writes and a root element.
pugi::xml_node startPart(pugi::xml_document& xml, const char* root)
{
    auto decl = xml.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    decl.append_attribute("standalone") = "yes";
    return xml.append_child(root);
}

pugi::xml_node add(pugi::xml_node parent, const char* name)
{
    return parent.append_child(name);
}

pugi::xml_node add(pugi::xml_node parent, const char* name, const char* attr, const char* value)
{
    auto n = parent.append_child(name);
    n.append_attribute(attr) = value;
    return n;
}

pugi::xml_node addVal(pugi::xml_node parent, const char* name, const std::string& value)
{
    return add(parent, name, "w:val", value.c_str());
}

void addW(pugi::xml_node parent, const char* name, int width)
{
    auto n = add(parent, name, "w:w", std::to_string(width).c_str());
    n.append_attribute("w:type") = "dxa";
}

void addT(pugi::xml_node run, std::string_view text)
{
    auto t = add(run, "w:t");
    if (!text.empty() && (text.front() == ' ' || text.back() == ' '))
        t.append_attribute("xml:space") = "preserve";
    t.text().set(text.data(), text.size());
}

// Run content: line breaks and tabs are elements of their own in Word.
void addRunText(pugi::xml_node run, std::string_view text)
{
    if (text.empty()) {
        addT(run, text);
        return;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n' && text[i] != '\t' && text[i] != '\f')
            continue;
        if (i > start)
            addT(run, text.substr(start, i - start));
        if (i < text.size() && text[i] == '\f')
            add(run, "w:br", "w:type", "page");
        else if (i < text.size())
            add(run, text[i] == '\n' ? "w:br" : "w:tab");
        start = i + 1;
    }
}

void addFldChar(pugi::xml_node parent, const char* type)
{
    add(add(parent, "w:r"), "w:fldChar", "w:fldCharType", type);
}

void addInstr(pugi::xml_node parent, const char* instr)
{
    auto t = add(add(parent, "w:r"), "w:instrText", "xml:space", "preserve");
    t.text() = instr;
}

void addResult(pugi::xml_node parent, const std::string& text)
{
    auto r = add(parent, "w:r");
    add(add(r, "w:rPr"), "w:noProof");
    addRunText(r, text);
}

class BodyWriter {
public:
    void paragraph(pugi::xml_node parent, const Paragraph& p)
    {
        auto xp = add(parent, "w:p");
        if (p.keepWithNext || p.pageBreakBefore) {
            auto pPr = add(xp, "w:pPr");
            if (p.keepWithNext)
                add(pPr, "w:keepNext");
            if (p.pageBreakBefore)
                add(pPr, "w:pageBreakBefore");
        }
        for (const Inline& item : p.content)
            std::visit([&](const auto& x) { inlineItem(xp, x); }, item);
    }

    void table(pugi::xml_node parent, const Table& t, int available)
    {
        std::size_t columns = 0;
        for (const Row& r : t.rows) {
            std::size_t n = 0;
            for (const Cell& c : r.cells) {
                if (c.span < 1)
                    invalid("cell span " + std::to_string(c.span) + " is not positive");
                n += static_cast<std::size_t>(c.span);
            }
            columns = std::max(columns, n);
        }
        columns = std::max<std::size_t>(columns, 1);

        std::vector<int> widths = t.columnWidths;
        if (widths.empty()) {
            int each = std::max(available / static_cast<int>(columns), 1);
            widths.assign(columns, each);
            widths.back() = std::max(available - each * static_cast<int>(columns - 1), 1);
        } else if (widths.size() != columns) {
            invalid(std::to_string(widths.size()) + " column widths for a table of " +
                    std::to_string(columns) + " columns");
        }
        int total = 0;
        for (int w : widths) {
            if (w <= 0)
                invalid("column width " + std::to_string(w) + " is not positive");
            total += w;
        }

        auto tbl = add(parent, "w:tbl");
        auto pr = add(tbl, "w:tblPr");
        add(pr, "w:tblStyle", "w:val", "TableGrid");
        addW(pr, "w:tblW", total);
        auto look = add(pr, "w:tblLook", "w:val", "04A0");
        for (auto [a, v] : {std::pair{"w:firstRow", "1"}, {"w:lastRow", "0"}, {"w:firstColumn", "1"},
                            {"w:lastColumn", "0"}, {"w:noHBand", "0"}, {"w:noVBand", "1"}})
            look.append_attribute(a) = v;
        auto grid = add(tbl, "w:tblGrid");
        for (int w : widths)
            add(grid, "w:gridCol", "w:w", std::to_string(w).c_str());

        for (const Row& r : t.rows) {
            auto tr = add(tbl, "w:tr");
            if (r.cantSplit || r.header) {
                auto trPr = add(tr, "w:trPr");
                if (r.cantSplit)
                    add(trPr, "w:cantSplit");
                if (r.header)
                    add(trPr, "w:tblHeader");
            }
            std::size_t col = 0;
            for (const Cell& c : r.cells) {
                auto span = static_cast<std::size_t>(c.span);
                int width = 0;
                for (std::size_t i = col; i < col + span; ++i)
                    width += widths[i];
                col += span;
                cell(tr, c, width);
            }
        }
    }

    void blocks(pugi::xml_node parent, const std::vector<Block>& content, int available)
    {
        // Word merges tables that touch, and every cell (and the body) ends with a paragraph.
        bool afterTable = false;
        for (const Block& b : content) {
            if (const auto* p = std::get_if<Paragraph>(&b)) {
                paragraph(parent, *p);
                afterTable = false;
            } else {
                if (afterTable)
                    add(parent, "w:p");
                table(parent, std::get<Table>(b), available);
                afterTable = true;
            }
        }
        if (content.empty() || afterTable)
            add(parent, "w:p");
    }

private:
    void cell(pugi::xml_node tr, const Cell& c, int width)
    {
        auto tc = add(tr, "w:tc");
        auto pr = add(tc, "w:tcPr");
        addW(pr, "w:tcW", width);
        if (c.span > 1)
            add(pr, "w:gridSpan", "w:val", std::to_string(c.span).c_str());
        if (c.merge == Cell::Merge::First)
            add(pr, "w:vMerge", "w:val", "restart");
        else if (c.merge == Cell::Merge::Continued)
            add(pr, "w:vMerge");
        blocks(tc, c.blocks, std::max(width - cellMargins, 1));
    }

    void inlineItem(pugi::xml_node p, const Run& run)
    {
        checkText(run.text);
        auto r = add(p, "w:r");
        if (run.bold)
            add(add(r, "w:rPr"), "w:b");
        addRunText(r, run.text);
    }

    // Begin run with the form field data, up to the type element, which is returned.
    template <typename Field>
    pugi::xml_node beginField(pugi::xml_node p, const Field& f, const char* type)
    {
        checkText(f.name);
        checkText(f.helpText);
        checkText(f.statusText);
        if (!f.name.empty()) {
            bookmark_ = nextBookmark_++;
            auto b = add(p, "w:bookmarkStart", "w:id", std::to_string(bookmark_).c_str());
            b.append_attribute("w:name") = f.name.c_str();
        }
        auto ff = add(add(add(p, "w:r"), "w:fldChar", "w:fldCharType", "begin"), "w:ffData");
        addVal(ff, "w:name", f.name);
        add(ff, "w:enabled");
        add(ff, "w:calcOnExit", "w:val", "0");
        if (!f.helpText.empty())
            add(ff, "w:helpText", "w:type", "text").append_attribute("w:val") = f.helpText.c_str();
        if (!f.statusText.empty())
            add(ff, "w:statusText", "w:type", "text").append_attribute("w:val") = f.statusText.c_str();
        return add(ff, type);
    }

    template <typename Field>
    void endField(pugi::xml_node p, const Field& f)
    {
        addFldChar(p, "end");
        if (!f.name.empty())
            add(p, "w:bookmarkEnd", "w:id", std::to_string(bookmark_).c_str());
    }

    void inlineItem(pugi::xml_node p, const TextField& f)
    {
        checkText(f.value);
        checkText(f.defaultText);
        auto input = beginField(p, f, "w:textInput");
        if (!f.defaultText.empty())
            addVal(input, "w:default", f.defaultText);
        if (f.maxLength > 0)
            addVal(input, "w:maxLength", std::to_string(f.maxLength));
        addInstr(p, " FORMTEXT ");
        addFldChar(p, "separate");
        addResult(p, f.value.empty() ? emptyResult : f.value);
        endField(p, f);
    }

    void inlineItem(pugi::xml_node p, const CheckBox& f)
    {
        auto box = beginField(p, f, "w:checkBox");
        add(box, "w:sizeAuto");
        add(box, "w:default", "w:val", "0");
        if (f.checked)
            add(box, "w:checked");
        addInstr(p, " FORMCHECKBOX ");
        endField(p, f);
    }

    void inlineItem(pugi::xml_node p, const DropDown& f)
    {
        for (const std::string& e : f.entries)
            checkText(e);
        bool inRange = f.entries.empty()
                           ? f.selected == 0
                           : f.selected >= 0 && static_cast<std::size_t>(f.selected) < f.entries.size();
        if (!inRange)
            invalid("drop-down \"" + f.name + "\" selects entry " + std::to_string(f.selected) +
                    " of " + std::to_string(f.entries.size()));
        auto list = beginField(p, f, "w:ddList");
        if (f.selected != 0)
            add(list, "w:result", "w:val", std::to_string(f.selected).c_str());
        for (const std::string& e : f.entries)
            addVal(list, "w:listEntry", e);
        addInstr(p, " FORMDROPDOWN ");
        addFldChar(p, "separate");
        addResult(p, f.entries.empty() ? std::string(emptyResult) : f.entries[f.selected]);
        endField(p, f);
    }

    int nextBookmark_ = 0;
    int bookmark_ = 0;
};

constexpr const char* footerRelId = "rId3";

std::string documentXml(const Document& doc)
{
    pugi::xml_document xml;
    auto root = startPart(xml, "w:document");
    root.append_attribute("xmlns:w") = nsW;
    root.append_attribute("xmlns:r") = nsR;
    auto body = add(root, "w:body");

    BodyWriter writer;
    writer.blocks(body, doc.body, doc.landscape ? pageHeight - 2 * marginSide : textWidth);

    auto sect = add(body, "w:sectPr");
    if (doc.pageNumberFooter) {
        auto ref = add(sect, "w:footerReference", "w:type", "default");
        ref.append_attribute("r:id") = footerRelId;
    }
    auto size = add(sect, "w:pgSz", "w:w", std::to_string(doc.landscape ? pageHeight : pageWidth).c_str());
    size.append_attribute("w:h") = doc.landscape ? pageWidth : pageHeight;
    if (doc.landscape)
        size.append_attribute("w:orient") = "landscape";
    auto mar = add(sect, "w:pgMar");
    for (auto [a, v] : {std::pair{"w:top", 1417}, {"w:right", marginSide}, {"w:bottom", 1134},
                        {"w:left", marginSide}, {"w:header", 708}, {"w:footer", 708}, {"w:gutter", 0}})
        mar.append_attribute(a) = v;
    if (doc.pageNumberStart)
        add(sect, "w:pgNumType", "w:start", std::to_string(*doc.pageNumberStart).c_str());
    add(sect, "w:cols", "w:space", "708");
    add(sect, "w:docGrid", "w:linePitch", "360");
    return serialize(xml);
}

std::string footerXml(const Document& doc)
{
    pugi::xml_document xml;
    auto root = startPart(xml, "w:ftr");
    root.append_attribute("xmlns:w") = nsW;
    root.append_attribute("xmlns:r") = nsR;
    auto p = add(root, "w:p");
    add(add(p, "w:pPr"), "w:jc", "w:val", "center");
    addT(add(p, "w:r"), "Pagina ");
    addFldChar(p, "begin");
    addInstr(p, " PAGE ");
    addFldChar(p, "separate");
    addResult(p, std::to_string(doc.pageNumberStart.value_or(1)));
    addFldChar(p, "end");
    return serialize(xml);
}

std::string settingsXml(const Document& doc)
{
    pugi::xml_document xml;
    auto root = startPart(xml, "w:settings");
    root.append_attribute("xmlns:w") = nsW;
    add(root, "w:zoom", "w:percent", "100");
    if (doc.protectForms)
        add(root, "w:documentProtection", "w:edit", "forms").append_attribute("w:enforcement") = "1";
    add(root, "w:defaultTabStop", "w:val", "708");
    add(root, "w:characterSpacingControl", "w:val", "doNotCompress");
    auto compat = add(add(root, "w:compat"), "w:compatSetting", "w:name", "compatibilityMode");
    compat.append_attribute("w:uri") = "http://schemas.microsoft.com/office/word";
    compat.append_attribute("w:val") = "15";
    return serialize(xml);
}

pugi::xml_node addStyle(pugi::xml_node root, const char* type, const char* id, const char* name,
                        bool isDefault)
{
    auto s = add(root, "w:style", "w:type", type);
    if (isDefault)
        s.append_attribute("w:default") = "1";
    s.append_attribute("w:styleId") = id;
    add(s, "w:name", "w:val", name);
    return s;
}

void addHidden(pugi::xml_node style, const char* priority)
{
    add(style, "w:uiPriority", "w:val", priority);
    add(style, "w:semiHidden");
    add(style, "w:unhideWhenUsed");
}

std::string stylesXml()
{
    pugi::xml_document xml;
    auto root = startPart(xml, "w:styles");
    root.append_attribute("xmlns:w") = nsW;

    auto defaults = add(root, "w:docDefaults");
    auto rPr = add(add(defaults, "w:rPrDefault"), "w:rPr");
    auto fonts = add(rPr, "w:rFonts");
    for (const char* a : {"w:ascii", "w:eastAsia", "w:hAnsi", "w:cs"})
        fonts.append_attribute(a) = "Calibri";
    add(rPr, "w:sz", "w:val", "22");
    add(rPr, "w:szCs", "w:val", "22");
    add(rPr, "w:lang", "w:val", "it-IT");
    auto spacing = add(add(add(defaults, "w:pPrDefault"), "w:pPr"), "w:spacing", "w:after", "160");
    spacing.append_attribute("w:line") = "259";
    spacing.append_attribute("w:lineRule") = "auto";

    add(addStyle(root, "paragraph", "Normal", "Normal", true), "w:qFormat");
    addHidden(addStyle(root, "character", "DefaultParagraphFont", "Default Paragraph Font", true), "1");

    auto normalTable = addStyle(root, "table", "TableNormal", "Normal Table", true);
    addHidden(normalTable, "99");
    auto ntPr = add(normalTable, "w:tblPr");
    addW(ntPr, "w:tblInd", 0);
    auto mar = add(ntPr, "w:tblCellMar");
    for (auto [side, w] : {std::pair{"w:top", 0}, {"w:left", cellMargins / 2}, {"w:bottom", 0},
                           {"w:right", cellMargins / 2}})
        addW(mar, side, w);

    addHidden(addStyle(root, "numbering", "NoList", "No List", true), "99");

    auto grid = addStyle(root, "table", "TableGrid", "Table Grid", false);
    add(grid, "w:basedOn", "w:val", "TableNormal");
    add(grid, "w:uiPriority", "w:val", "39");
    auto gridSpacing = add(add(grid, "w:pPr"), "w:spacing", "w:after", "0");
    gridSpacing.append_attribute("w:line") = "240";
    gridSpacing.append_attribute("w:lineRule") = "auto";
    auto borders = add(add(grid, "w:tblPr"), "w:tblBorders");
    for (const char* side : {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"}) {
        auto b = add(borders, side, "w:val", "single");
        b.append_attribute("w:sz") = "4";
        b.append_attribute("w:space") = "0";
        b.append_attribute("w:color") = "auto";
    }
    return serialize(xml);
}

std::string coreXml(const Document& doc)
{
    checkText(doc.title);
    checkText(doc.author);
    pugi::xml_document xml;
    auto root = startPart(xml, "cp:coreProperties");
    root.append_attribute("xmlns:cp") =
        "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
    root.append_attribute("xmlns:dc") = "http://purl.org/dc/elements/1.1/";
    root.append_attribute("xmlns:dcterms") = "http://purl.org/dc/terms/";
    root.append_attribute("xmlns:dcmitype") = "http://purl.org/dc/dcmitype/";
    root.append_attribute("xmlns:xsi") = "http://www.w3.org/2001/XMLSchema-instance";
    if (!doc.title.empty())
        add(root, "dc:title").text() = doc.title.c_str();
    if (!doc.author.empty()) {
        add(root, "dc:creator").text() = doc.author.c_str();
        add(root, "cp:lastModifiedBy").text() = doc.author.c_str();
    }
    add(root, "cp:revision").text() = "1";
    return serialize(xml);
}

std::string appXml()
{
    pugi::xml_document xml;
    auto root = startPart(xml, "Properties");
    root.append_attribute("xmlns") =
        "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
    root.append_attribute("xmlns:vt") =
        "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
    add(root, "Template").text() = "Normal.dotm";
    add(root, "TotalTime").text() = "0";
    add(root, "Application").text() = "Quarvello";
    add(root, "DocSecurity").text() = "0";
    return serialize(xml);
}

wordauto::opc::Package build(const Document& doc)
{
    namespace opc = wordauto::opc;
    // Everything is built before the package is touched, so invalid input throws early.
    std::string document = documentXml(doc);
    std::string core = coreXml(doc);

    auto pkg = opc::Package::createEmpty();
    auto put = [&](const std::string& name, std::string content, const char* type) {
        pkg.setPart(name, std::move(content));
        pkg.setOverride(name, type);
    };
    put("word/document.xml", std::move(document), doc.isTemplate ? ctTemplate : ctDocument);
    put("word/styles.xml", stylesXml(), ctStyles);
    put("word/settings.xml", settingsXml(doc), ctSettings);
    std::vector<opc::Relationship> docRels = {
        {"rId1", opc::reltype::styles, "styles.xml"},
        {"rId2", opc::reltype::settings, "settings.xml"},
    };
    if (doc.pageNumberFooter) {
        put("word/footer1.xml", footerXml(doc), ctFooter);
        docRels.push_back({footerRelId, opc::reltype::footer, "footer1.xml"});
    }
    put("docProps/core.xml", std::move(core), ctCore);
    put("docProps/app.xml", appXml(), ctApp);

    pkg.setRelationships("", {
        {"rId1", opc::reltype::officeDocument, "word/document.xml"},
        {"rId2", relCore, "docProps/core.xml"},
        {"rId3", relApp, "docProps/app.xml"},
    });
    pkg.setRelationships("word/document.xml", docRels);
    return pkg;
}

} // namespace

std::string toBytes(const Document& doc)
{
    return build(doc).toBytes();
}

void write(const Document& doc, const std::string& path)
{
    build(doc).saveAs(path);
}

} // namespace docbuilder
