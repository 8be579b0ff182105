#include "data/docbuilder/docbuilder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace docbuilder;

namespace {

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A folder of its own for each test, removed afterwards.
class DocBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "docbuilder_test_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes the document, checks the zip with unzip and returns its parts by name.
    std::map<std::string, std::string> writeAndUnzip(const Document& doc,
                                                     const std::string& file = "doc.doc")
    {
        fs::path path = dir_ / file;
        write(doc, path.string());
        return unzipChecked(path);
    }

    std::map<std::string, std::string> unzipChecked(const fs::path& path)
    {
        std::map<std::string, std::string> parts;
        std::string quoted = "'" + path.string() + "'";
        EXPECT_EQ(std::system(("unzip -tqq " + quoted).c_str()), 0) << "unzip -t failed";
        fs::path out = dir_ / (path.filename().string() + ".d");
        fs::remove_all(out);
        EXPECT_EQ(std::system(("unzip -qq -o " + quoted + " -d '" + out.string() + "'").c_str()), 0);
        for (const auto& e : fs::recursive_directory_iterator(out))
            if (e.is_regular_file())
                parts[fs::relative(e.path(), out).generic_string()] = readFile(e.path());
        return parts;
    }

    fs::path dir_;
};

pugi::xml_document parse(const std::string& text)
{
    pugi::xml_document xml;
    auto result = xml.load_string(text.c_str(), pugi::parse_default | pugi::parse_declaration);
    EXPECT_TRUE(result) << result.description() << " at " << result.offset;
    return xml;
}

std::vector<std::string> childNames(pugi::xml_node n)
{
    std::vector<std::string> names;
    for (auto c : n.children())
        names.emplace_back(c.name());
    return names;
}

std::string runText(pugi::xml_node r)
{
    std::string s;
    for (auto t : r.children("w:t"))
        s += t.text().get();
    return s;
}

// A paragraph as a list of tokens: "[name" and "]" for bookmarks, the field characters, the
// instruction, and "t:<text>" for a text run.
std::vector<std::string> signature(pugi::xml_node p)
{
    std::vector<std::string> tokens;
    for (auto c : p.children()) {
        std::string name = c.name();
        if (name == "w:bookmarkStart")
            tokens.push_back(std::string("[") + c.attribute("w:name").value());
        else if (name == "w:bookmarkEnd")
            tokens.push_back("]");
        else if (auto fc = c.child("w:fldChar"))
            tokens.push_back(fc.attribute("w:fldCharType").value());
        else if (auto it = c.child("w:instrText"))
            tokens.push_back(std::string("instr:") + it.text().get());
        else if (name == "w:r")
            tokens.push_back("t:" + runText(c));
    }
    return tokens;
}

Document fullDocument()
{
    Document doc;
    doc.protectForms = true;
    doc.pageNumberFooter = true;
    doc.pageNumberStart = 3;
    doc.title = "Lista 1.01";
    doc.author = "Ufficio tecnico";
    doc.body = {
        "Lista di controllo",
        table({row({bold("N."), bold("Voce"), bold("Esito")}),
               row({"1.01.01", TextField{"f001", "Rossi"}, CheckBox{"t1c001", true}}),
               row({"1.01.02", TextField{"f002"}, DropDown{"d001", {"Sì", "No"}, 1}})}),
    };
    return doc;
}

const char* const mainDocumentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
const char* const mainTemplateType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";

TEST_F(DocBuilderTest, PackageHoldsWellFormedPartsWithTheirContentTypes)
{
    struct Case {
        std::string file;
        bool isTemplate;
        bool footer;
    };
    for (const Case& c : {Case{"a.doc", false, false}, Case{"b.DOC", false, true}, Case{"c.dot", true, true}}) {
        SCOPED_TRACE(c.file);
        Document doc = fullDocument();
        doc.isTemplate = c.isTemplate;
        doc.pageNumberFooter = c.footer;
        auto parts = writeAndUnzip(doc, c.file);

        std::set<std::string> expected = {"[Content_Types].xml", "_rels/.rels", "word/document.xml",
                                          "word/_rels/document.xml.rels", "word/styles.xml",
                                          "word/settings.xml", "docProps/core.xml", "docProps/app.xml"};
        if (c.footer)
            expected.insert("word/footer1.xml");
        std::set<std::string> names;
        for (const auto& [name, content] : parts) {
            names.insert(name);
            SCOPED_TRACE(name);
            auto xml = parse(content);
            auto decl = xml.first_child();
            ASSERT_EQ(decl.type(), pugi::node_declaration);
            EXPECT_STREQ(decl.attribute("encoding").value(), "UTF-8");
            EXPECT_STREQ(decl.attribute("standalone").value(), "yes");
        }
        EXPECT_EQ(names, expected);

        std::map<std::string, std::string> overrides;
        auto typesDoc = parse(parts["[Content_Types].xml"]);
        auto types = typesDoc.child("Types");
        for (auto o : types.children("Override"))
            overrides[o.attribute("PartName").value()] = o.attribute("ContentType").value();
        for (const std::string& name : expected) {
            if (name.ends_with(".rels") || name == "[Content_Types].xml")
                continue;
            EXPECT_TRUE(overrides.contains("/" + name)) << name << " has no content type";
        }
        EXPECT_EQ(overrides["/word/document.xml"], c.isTemplate ? mainTemplateType : mainDocumentType);
        EXPECT_TRUE(types.find_child_by_attribute("Default", "Extension", "rels"));
    }
}

TEST_F(DocBuilderTest, BytesAreTheSamePackageAsTheWrittenFile)
{
    fs::path path = dir_ / "bytes.docx";
    std::ofstream(path, std::ios::binary) << toBytes(fullDocument());
    auto fromBytes = unzipChecked(path);
    auto fromFile = writeAndUnzip(fullDocument());
    EXPECT_EQ(fromBytes, fromFile);
}

TEST_F(DocBuilderTest, RelationshipsPointAtThePartsAndTheFooterReferenceResolves)
{
    auto parts = writeAndUnzip(fullDocument());
    auto rootRelsDoc = parse(parts["_rels/.rels"]);
    auto rootRels = rootRelsDoc.child("Relationships");
    auto office = rootRels.find_child_by_attribute(
        "Relationship", "Type",
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
    EXPECT_STREQ(office.attribute("Target").value(), "word/document.xml");
    for (auto r : rootRels.children("Relationship"))
        EXPECT_TRUE(parts.contains(r.attribute("Target").value())) << r.attribute("Target").value();

    std::map<std::string, std::string> targetById;
    auto docRels = parse(parts["word/_rels/document.xml.rels"]);
    for (auto r : docRels.child("Relationships").children()) {
        std::string target = std::string("word/") + r.attribute("Target").value();
        EXPECT_TRUE(parts.contains(target)) << target;
        targetById[r.attribute("Id").value()] = target;
    }
    EXPECT_EQ(targetById.size(), 3u);

    auto xml = parse(parts["word/document.xml"]);
    auto root = xml.child("w:document");
    EXPECT_STREQ(root.attribute("xmlns:w").value(),
                 "http://schemas.openxmlformats.org/wordprocessingml/2006/main");
    EXPECT_STREQ(root.attribute("xmlns:r").value(),
                 "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    auto ref = root.child("w:body").child("w:sectPr").child("w:footerReference");
    EXPECT_STREQ(ref.attribute("w:type").value(), "default");
    EXPECT_EQ(targetById[ref.attribute("r:id").value()], "word/footer1.xml");

    auto stylesDoc = parse(parts["word/styles.xml"]);
    auto styles = stylesDoc.child("w:styles");
    EXPECT_TRUE(styles.child("w:docDefaults").child("w:rPrDefault").child("w:rPr").child("w:rFonts"));
    auto normal = styles.find_child_by_attribute("w:style", "w:styleId", "Normal");
    EXPECT_STREQ(normal.attribute("w:type").value(), "paragraph");
    EXPECT_STREQ(normal.attribute("w:default").value(), "1");
    std::string tableStyle = root.select_node("//w:tblPr/w:tblStyle").node().attribute("w:val").value();
    EXPECT_STREQ(styles.find_child_by_attribute("w:style", "w:styleId", tableStyle.c_str())
                     .attribute("w:type").value(), "table");
}

TEST_F(DocBuilderTest, FormFieldsHaveWordsShape)
{
    const std::string enSpaces = "\u2002\u2002\u2002\u2002\u2002";
    struct Case {
        Inline field;
        std::vector<std::string> ffData;    // children of w:ffData in order
        std::vector<std::string> typeChildren;
        std::vector<std::string> paragraph; // signature after the leading "Esito: " run
    };
    const std::vector<Case> cases = {
        {TextField{"f001"}, {"w:name", "w:enabled", "w:calcOnExit", "w:textInput"}, {},
         {"[f001", "begin", "instr: FORMTEXT ", "separate", "t:" + enSpaces, "end", "]"}},
        {TextField{"f002", "Rossi, 3 m", "stato", "aiuto", "nessuno"},
         {"w:name", "w:enabled", "w:calcOnExit", "w:helpText", "w:statusText", "w:textInput"},
         {"w:default"},
         {"[f002", "begin", "instr: FORMTEXT ", "separate", "t:Rossi, 3 m", "end", "]"}},
        {CheckBox{"t1c001", true}, {"w:name", "w:enabled", "w:calcOnExit", "w:checkBox"},
         {"w:sizeAuto", "w:default", "w:checked"},
         {"[t1c001", "begin", "instr: FORMCHECKBOX ", "end", "]"}},
        {CheckBox{"t1c002", false, "Spuntare se conforme"},
         {"w:name", "w:enabled", "w:calcOnExit", "w:statusText", "w:checkBox"},
         {"w:sizeAuto", "w:default"},
         {"[t1c002", "begin", "instr: FORMCHECKBOX ", "end", "]"}},
        {DropDown{"d001", {"Sì", "No", "N.A."}, 2}, {"w:name", "w:enabled", "w:calcOnExit", "w:ddList"},
         {"w:result", "w:listEntry", "w:listEntry", "w:listEntry"},
         {"[d001", "begin", "instr: FORMDROPDOWN ", "separate", "t:N.A.", "end", "]"}},
        {DropDown{"d002", {"Sì", "No"}, 0, "", "Scegliere"},
         {"w:name", "w:enabled", "w:calcOnExit", "w:helpText", "w:ddList"},
         {"w:listEntry", "w:listEntry"},
         {"[d002", "begin", "instr: FORMDROPDOWN ", "separate", "t:Sì", "end", "]"}},
        {TextField{"", "senza nome"}, {"w:name", "w:enabled", "w:calcOnExit", "w:textInput"}, {},
         {"begin", "instr: FORMTEXT ", "separate", "t:senza nome", "end"}},
    };
    for (const Case& c : cases) {
        std::string name = std::visit([](const auto& f) -> std::string {
            if constexpr (requires { f.name; }) return f.name; else return {};
        }, c.field);
        SCOPED_TRACE(name);
        Document doc;
        doc.body = {para({"Esito: ", c.field})};
        auto xml = parse(writeAndUnzip(doc)["word/document.xml"]);
        auto p = xml.select_node("/w:document/w:body/w:p").node();

        std::vector<std::string> expected = {"t:Esito: "};
        expected.insert(expected.end(), c.paragraph.begin(), c.paragraph.end());
        EXPECT_EQ(signature(p), expected);

        auto ffData = p.select_node("w:r/w:fldChar[@w:fldCharType='begin']/w:ffData").node();
        ASSERT_TRUE(ffData);
        EXPECT_EQ(childNames(ffData), c.ffData);
        EXPECT_EQ(ffData.child("w:name").attribute("w:val").value(), name);
        EXPECT_STREQ(ffData.child("w:calcOnExit").attribute("w:val").value(), "0");
        EXPECT_EQ(childNames(ffData.last_child()), c.typeChildren);
        for (auto t : {"w:helpText", "w:statusText"}) {
            if (auto n = ffData.child(t)) {
                EXPECT_STREQ(n.attribute("w:type").value(), "text");
            }
        }

        EXPECT_STREQ(p.select_node("w:r/w:instrText").node().attribute("xml:space").value(), "preserve");
        auto start = p.child("w:bookmarkStart");
        EXPECT_STREQ(start.attribute("w:id").value(), p.child("w:bookmarkEnd").attribute("w:id").value());
    }
}

TEST_F(DocBuilderTest, FieldDataCarriesTheirValues)
{
    Document doc;
    doc.body = {para({TextField{"f1", "x", "Stato del campo", "Aiuto: <vedi> & \"nota\"", "Valore"},
                       CheckBox{"c1", true}, CheckBox{"c2", false},
                       DropDown{"d1", {"Sì", "No", "N.A."}, 1}})};
    auto xml = parse(writeAndUnzip(doc)["word/document.xml"]);
    auto ff = [&](const char* name) {
        return xml.select_node(("//w:ffData[w:name/@w:val='" + std::string(name) + "']").c_str()).node();
    };
    EXPECT_STREQ(ff("f1").child("w:helpText").attribute("w:val").value(), "Aiuto: <vedi> & \"nota\"");
    EXPECT_STREQ(ff("f1").child("w:statusText").attribute("w:val").value(), "Stato del campo");
    EXPECT_STREQ(ff("f1").child("w:textInput").child("w:default").attribute("w:val").value(), "Valore");
    EXPECT_STREQ(ff("c1").child("w:checkBox").child("w:default").attribute("w:val").value(), "0");
    EXPECT_TRUE(ff("c1").child("w:checkBox").child("w:checked"));
    EXPECT_FALSE(ff("c2").child("w:checkBox").child("w:checked"));
    auto dd = ff("d1").child("w:ddList");
    EXPECT_STREQ(dd.child("w:result").attribute("w:val").value(), "1");
    std::vector<std::string> entries;
    for (auto e : dd.children("w:listEntry"))
        entries.emplace_back(e.attribute("w:val").value());
    EXPECT_EQ(entries, (std::vector<std::string>{"Sì", "No", "N.A."}));
}

TEST_F(DocBuilderTest, LargeTableHasFullGridCellsEndingInParagraphsAndUniqueBookmarks)
{
    std::vector<Row> rows;
    for (int i = 1; i <= 999; ++i) {
        std::string n = std::to_string(i);
        rows.push_back(row({"1.01." + n, TextField{"f" + n}, CheckBox{"c" + n, i % 2 == 0}}));
    }
    Document doc;
    doc.body = {table(std::move(rows))};
    auto xml = parse(writeAndUnzip(doc)["word/document.xml"]);
    auto body = xml.child("w:document").child("w:body");
    EXPECT_EQ(childNames(body), (std::vector<std::string>{"w:tbl", "w:p", "w:sectPr"}));

    auto tbl = body.child("w:tbl");
    EXPECT_EQ(childNames(tbl.child("w:tblPr")).front(), "w:tblStyle");
    EXPECT_STREQ(tbl.child("w:tblPr").child("w:tblW").attribute("w:type").value(), "dxa");
    int gridTotal = 0;
    for (auto g : tbl.child("w:tblGrid").children("w:gridCol"))
        gridTotal += g.attribute("w:w").as_int();
    EXPECT_EQ(tbl.select_nodes("w:tblGrid/w:gridCol").size(), 3u);
    EXPECT_EQ(gridTotal, tbl.child("w:tblPr").child("w:tblW").attribute("w:w").as_int());
    EXPECT_EQ(tbl.select_nodes("w:tr").size(), 999u);

    for (auto tr : tbl.children("w:tr")) {
        ASSERT_EQ(tr.select_nodes("w:tc").size(), 3u);
        for (auto tc : tr.children("w:tc")) {
            EXPECT_STREQ(tc.first_child().name(), "w:tcPr");
            EXPECT_TRUE(tc.child("w:tcPr").child("w:tcW"));
            EXPECT_STREQ(tc.last_child().name(), "w:p");
        }
    }

    std::map<std::string, std::string> nameById;
    for (auto b : xml.select_nodes("//w:bookmarkStart")) {
        auto [it, fresh] = nameById.emplace(b.node().attribute("w:id").value(),
                                            b.node().attribute("w:name").value());
        EXPECT_TRUE(fresh) << "bookmark id " << it->first << " used twice";
    }
    EXPECT_EQ(nameById.size(), 2u * 999);
    std::set<std::string> ended;
    for (auto b : xml.select_nodes("//w:bookmarkEnd"))
        ended.insert(b.node().attribute("w:id").value());
    EXPECT_EQ(ended.size(), nameById.size());
    for (const auto& [id, name] : nameById)
        EXPECT_TRUE(ended.contains(id)) << name;
}

TEST_F(DocBuilderTest, CellsHoldParagraphsRunsAndNestedTables)
{
    Document doc;
    doc.body = {table(
        {row({cell({"prima", para({"seconda ", bold("parte"), TextField{"f1", "x"}}),
                    table({row({"interna", CheckBox{"c1"}})})}),
              span(2, "Note\tvarie\nsu due righe")}),
         row({"a", " b", "c "})},
        {3000, 2000, 4638})};
    auto xml = parse(writeAndUnzip(doc)["word/document.xml"]);
    auto tbl = xml.child("w:document").child("w:body").child("w:tbl");
    auto first = tbl.child("w:tr").child("w:tc");

    EXPECT_EQ(childNames(first), (std::vector<std::string>{"w:tcPr", "w:p", "w:p", "w:tbl", "w:p"}));
    EXPECT_EQ(first.child("w:tcPr").child("w:tcW").attribute("w:w").as_int(), 3000);
    auto paragraphs = first.children("w:p");
    auto p = paragraphs.begin();
    EXPECT_EQ(signature(*p), (std::vector<std::string>{"t:prima"}));
    ++p;
    EXPECT_EQ(signature(*p), (std::vector<std::string>{"t:seconda ", "t:parte", "[f1", "begin",
                                                        "instr: FORMTEXT ", "separate", "t:x", "end", "]"}));
    EXPECT_TRUE(p->select_node("w:r[2]/w:rPr/w:b"));
    EXPECT_FALSE(p->first_child().child("w:rPr"));
    ++p;
    EXPECT_FALSE(p->first_child()) << "the paragraph after a nested table is empty";

    auto nested = first.child("w:tbl");
    EXPECT_LE(nested.child("w:tblPr").child("w:tblW").attribute("w:w").as_int(), 3000);
    EXPECT_EQ(nested.select_nodes("w:tr/w:tc").size(), 2u);
    EXPECT_STREQ(nested.select_node("w:tr/w:tc[1]").node().last_child().name(), "w:p");

    auto spanned = first.next_sibling("w:tc");
    EXPECT_EQ(spanned.child("w:tcPr").child("w:tcW").attribute("w:w").as_int(), 2000 + 4638);
    EXPECT_EQ(spanned.child("w:tcPr").child("w:gridSpan").attribute("w:val").as_int(), 2);
    EXPECT_EQ(childNames(spanned.child("w:p").child("w:r")),
              (std::vector<std::string>{"w:t", "w:tab", "w:t", "w:br", "w:t"}));

    // Spaces at either end survive only with xml:space="preserve".
    auto second = tbl.child("w:tr").next_sibling("w:tr");
    auto t = [&](int i) {
        return second.select_node(("w:tc[" + std::to_string(i) + "]/w:p/w:r/w:t").c_str()).node();
    };
    EXPECT_FALSE(t(1).attribute("xml:space"));
    EXPECT_STREQ(t(2).text().get(), " b");
    EXPECT_STREQ(t(2).attribute("xml:space").value(), "preserve");
    EXPECT_STREQ(t(3).text().get(), "c ");
    EXPECT_STREQ(t(3).attribute("xml:space").value(), "preserve");
    EXPECT_EQ(second.select_nodes("w:tc").size(), 3u);
}

TEST_F(DocBuilderTest, EmptyParagraphsKeepTablesApartAndCloseCellsAndBody)
{
    const Table t = table({row({"x"})});
    struct Case {
        std::string what;
        std::vector<Block> blocks;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, {"w:p"}},
        {"one paragraph", {"a"}, {"w:p"}},
        {"a table", {t}, {"w:tbl", "w:p"}},
        {"two tables", {t, t}, {"w:tbl", "w:p", "w:tbl", "w:p"}},
        {"table, paragraph, table", {t, "a", t, "b"}, {"w:tbl", "w:p", "w:tbl", "w:p"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Document inBody;
        inBody.body = c.blocks;
        auto bodyDoc = parse(writeAndUnzip(inBody)["word/document.xml"]);
        std::vector<std::string> expected = c.expected;
        expected.push_back("w:sectPr");
        EXPECT_EQ(childNames(bodyDoc.child("w:document").child("w:body")), expected);

        Document inCell;
        inCell.body = {table({row({cell(c.blocks)})})};
        auto cellDoc = parse(writeAndUnzip(inCell)["word/document.xml"]);
        expected = c.expected;
        expected.insert(expected.begin(), "w:tcPr");
        EXPECT_EQ(childNames(cellDoc.select_node("/w:document/w:body/w:tbl/w:tr/w:tc").node()), expected);
    }
}

TEST_F(DocBuilderTest, ProtectionFooterAndPageNumbersAppearOnlyWhenAsked)
{
    struct Case {
        bool protect;
        bool footer;
        std::optional<int> start;
    };
    for (const Case& c : {Case{false, false, {}}, Case{true, false, {}}, Case{false, true, 7}, Case{true, true, {}}}) {
        SCOPED_TRACE(::testing::Message() << "protect " << c.protect << " footer " << c.footer);
        Document doc;
        doc.body = {"Testo"};
        doc.protectForms = c.protect;
        doc.pageNumberFooter = c.footer;
        doc.pageNumberStart = c.start;
        auto parts = writeAndUnzip(doc);

        auto settings = parse(parts["word/settings.xml"]);
        std::vector<std::string> order = {"w:zoom", "w:defaultTabStop", "w:characterSpacingControl", "w:compat"};
        if (c.protect)
            order.insert(order.begin() + 1, "w:documentProtection");
        EXPECT_EQ(childNames(settings.child("w:settings")), order);
        auto protection = settings.child("w:settings").child("w:documentProtection");
        if (c.protect) {
            EXPECT_STREQ(protection.attribute("w:edit").value(), "forms");
            EXPECT_STREQ(protection.attribute("w:enforcement").value(), "1");
        }
        auto compat = settings.select_node("//w:compat/w:compatSetting[@w:name='compatibilityMode']").node();
        EXPECT_STREQ(compat.attribute("w:val").value(), "15");

        auto xml = parse(parts["word/document.xml"]);
        auto sect = xml.child("w:document").child("w:body").last_child();
        ASSERT_STREQ(sect.name(), "w:sectPr");
        EXPECT_EQ(sect.child("w:pgSz").attribute("w:w").as_int(), 11906);
        EXPECT_EQ(sect.child("w:pgSz").attribute("w:h").as_int(), 16838);
        EXPECT_TRUE(sect.child("w:pgMar"));
        EXPECT_EQ(bool(sect.child("w:footerReference")), c.footer);
        if (c.footer) {
            EXPECT_STREQ(sect.first_child().name(), "w:footerReference");
        }
        EXPECT_EQ(bool(sect.child("w:pgNumType")), c.start.has_value());
        if (c.start) {
            EXPECT_EQ(sect.child("w:pgNumType").attribute("w:start").as_int(), *c.start);
        }

        EXPECT_EQ(parts.contains("word/footer1.xml"), c.footer);
        if (c.footer) {
            auto footer = parse(parts["word/footer1.xml"]);
            auto p = footer.child("w:ftr").child("w:p");
            EXPECT_EQ(signature(p), (std::vector<std::string>{"t:Pagina ", "begin", "instr: PAGE ", "separate",
                                                              "t:" + std::to_string(c.start.value_or(1)), "end"}));
        }
    }
}

TEST(DocBuilder, RejectsWhatWordCannotHold)
{
    auto withBody = [](std::vector<Block> body) {
        Document doc;
        doc.body = std::move(body);
        return doc;
    };
    Document badTitle;
    badTitle.title = "a\x01";
    const std::vector<std::pair<std::string, Document>> cases = {
        {"control character", withBody({"riga\x0B"})},
        {"carriage return", withBody({"a\rb"})},
        {"truncated UTF-8", withBody({para({TextField{"f1", "caff\xC3"}})})},
        {"overlong UTF-8", withBody({para({CheckBox{"\xC0\xAF"}})})},
        {"selection past the entries", withBody({para({DropDown{"d1", {"Sì", "No"}, 2}})})},
        {"negative selection", withBody({para({DropDown{"d1", {"Sì"}, -1}})})},
        {"widths for fewer columns", withBody({table({row({"a", "b"})}, {1000})})},
        {"zero span", withBody({table({row({span(0, "a")})})})},
        {"control character in the title", badTitle},
    };
    for (const auto& [what, doc] : cases)
        EXPECT_THROW(toBytes(doc), std::invalid_argument) << what;

    EXPECT_NO_THROW(toBytes(withBody({para({"Perché \t a capo\n", DropDown{"vuoto"}, TextField{"€"}})})));
}

} // namespace
