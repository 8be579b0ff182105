// Documents written by hand in the shapes other writers produce (whole fields in one run,
// fields without a separator, results split over runs, nested tables, another prefix for the
// WordprocessingML namespace): the object model must read and write them as Word does.
#include "tests/xml_shapes.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

using namespace wordauto;
using namespace xmlshapes;
namespace fs = std::filesystem;

namespace {

const std::string kPlaceholder = "\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82\xE2\x80\x82";
const std::string kEndOfCell = "\r\x07";

std::string rawDocumentXml(const std::string& path)
{
    return opc::Package::open(path).part("word/document.xml");
}

// Every case runs once per namespace binding: the other bindings must read as the w: one.
class XmlShapesTest : public ::testing::TestWithParam<Binding> {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string("word_xml_shapes_") + std::to_string(::getpid()) + "_" + info->name();
        for (char& c : leaf)
            if (c == '/')
                c = '_';
        dir_ = fs::path(::testing::TempDir()) / leaf;
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes the body as a package and returns its path.
    std::string make(const std::string& body, const std::string& file = "lista.doc")
    {
        const std::string path = (dir_ / file).string();
        writePackage(path, documentXml(body, GetParam()));
        return path;
    }
    std::string path(const std::string& file) const { return (dir_ / file).string(); }

    fs::path dir_;
};

std::string cellText(DOC_Document& doc, int table, int row, int column)
{
    return doc.Tables().Item(table).Cell(row, column).Range().Text_();
}

// ---- reading --------------------------------------------------------------------------------

TEST_P(XmlShapesTest, OnlyFormFieldsCountAsBookmarksWhereverTheBookmarkSits)
{
    const std::string body =
        // Bookmark around the whole field, as Word writes it.
        p(bookmarkStart(1, "Attorno") + textField("Attorno", r(t("uno"))) + bookmarkEnd(1))
        // Bookmark inside the field, between begin and end.
        + p(r(beginChar(ffData("Dentro", "<w:textInput/>"))) + bookmarkStart(2, "Dentro")
            + r(instr("FORMTEXT")) + r(kSeparateChar) + r(t("due")) + bookmarkEnd(2) + r(kEndChar))
        // A field with no bookmark at all.
        + p(textField("Senza", r(t("tre"))))
        // A plain bookmark around text, not a field.
        + p(bookmarkStart(3, "Segnalibro") + r(t("testo")) + bookmarkEnd(3));
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    auto fields = doc.FormFields();
    ASSERT_EQ(fields.Count(), 3);
    const char* names[] = {"Attorno", "Dentro", "Senza"};
    const char* results[] = {"uno", "due", "tre"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(fields.Item(i + 1).Name(), names[i]);
        EXPECT_EQ(fields.Item(i + 1).Result(), results[i]);
        EXPECT_TRUE(doc.Bookmarks().Exists(names[i]));
    }
    EXPECT_FALSE(doc.Bookmarks().Exists("Segnalibro"));
    EXPECT_THROW(fields.Item("Segnalibro"), WordError);
    EXPECT_FALSE(doc.Bookmarks().Exists("Attorn"));
}

TEST_P(XmlShapesTest, NamesAreFoundWithoutRegardToCaseAndTheFirstOfANameWins)
{
    const std::string body = p(textField("Verbale", r(t("primo")))) + p(textField("VERBALE", r(t("secondo"))))
                             + p(textField("", r(t("senza nome"))));
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    ASSERT_EQ(doc.FormFields().Count(), 3);
    for (const char* spelling : {"verbale", "VERBALE", "vErBaLe"}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(doc.FormFields().Item(spelling).Result(), "primo");
        EXPECT_EQ(doc.FormFields().Item(spelling).Name(), "Verbale");
        EXPECT_TRUE(doc.Bookmarks().Exists(spelling));
    }
    EXPECT_EQ(doc.FormFields().Item(2).Result(), "secondo");
    // A field without a name is counted but has no bookmark to be found by.
    EXPECT_EQ(doc.FormFields().Item(3).Name(), "");
    EXPECT_EQ(doc.FormFields().Item(3).Result(), "senza nome");
    EXPECT_FALSE(doc.Bookmarks().Exists(""));
    EXPECT_THROW(doc.FormFields().Item(""), WordError);
}

TEST_P(XmlShapesTest, HeldFieldsKeepTheirFieldWhenNamesRepeatOrAreMissing)
{
    const std::string body = tbl(tr(tc(p(textField("", r(t("a"))))) + tc(p(textField("", r(t("b"))))))
                                 + tr(tc(p(textField("Doppio", r(t("c"))))) + tc(p(textField("doppio", r(t("d"))))))
                                 + tr(tc(p(r(t("x")))) + tc(p(r(t("y"))))))
                             + p("");
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);
    ASSERT_EQ(doc.FormFields().Count(), 4);
    auto secondUnnamed = doc.FormFields().Item(2);
    auto secondDouble = doc.FormFields().Item(4);
    // A cell written elsewhere makes handles look their field up again.
    doc.Tables().Item(1).Cell(3, 1).Range().Text_("cambiata");
    secondUnnamed.Result("B");
    secondDouble.Result("D");

    const char* expected[] = {"a", "B", "c", "D"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(doc.FormFields().Item(i + 1).Result(), expected[i]) << "field " << i + 1;
}

TEST_P(XmlShapesTest, CheckBoxStateComesFromCheckedThenDefault)
{
    struct Case {
        const char* what;
        const char* box;   // content of w:checkBox after w:sizeAuto
        bool ticked;
    };
    const Case cases[] = {
        {"checked without val", "<w:checked/>", true},
        {"checked 1", "<w:checked w:val=\"1\"/>", true},
        {"checked true", "<w:checked w:val=\"true\"/>", true},
        {"checked on", "<w:checked w:val=\"on\"/>", true},
        {"checked 0", "<w:checked w:val=\"0\"/>", false},
        {"checked false", "<w:checked w:val=\"false\"/>", false},
        {"checked off", "<w:checked w:val=\"off\"/>", false},
        {"default 1 only", "<w:default w:val=\"1\"/>", true},
        {"default without val only", "<w:default/>", true},
        {"default 0 only", "<w:default w:val=\"0\"/>", false},
        {"neither", "", false},
        {"checked 0 over default 1", "<w:default w:val=\"1\"/><w:checked w:val=\"0\"/>", false},
        {"checked over default 0", "<w:default w:val=\"0\"/><w:checked/>", true},
    };
    std::string body;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        body += p(r(t("Voce ")) + checkBox("c" + std::to_string(i), cases[i].box));
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    ASSERT_EQ(doc.FormFields().Count(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        auto field = doc.FormFields().Item("c" + std::to_string(i));
        EXPECT_EQ(field.CheckBox().Value(), cases[i].ticked);
        EXPECT_EQ(field.Result(), cases[i].ticked ? "1" : "0");
    }
}

TEST_P(XmlShapesTest, TextFieldResultsWhateverTheRunsLookLike)
{
    struct Case {
        const char* what;
        std::string paragraph;  // holds field "f<i>" after the text "Nome: "
        std::string result;
        std::string cell;       // the cell's text, field codes left out
    };
    auto ff = [](const std::string& name) { return beginChar(ffData(name, "<w:textInput/>")); };
    const std::vector<Case> cases = {
        {"whole field in one run",
         r(t("Nome: ") + ff("f0") + instr("FORMTEXT") + kSeparateChar + t("Rossi") + kEndChar + t(" fine")),
         "Rossi", "Nome: Rossi fine"},
        {"no separate",
         r(t("Nome: ")) + r(ff("f1")) + r(instr("FORMTEXT")) + r(kEndChar),
         "", "Nome: "},
        {"separate in the result's run",
         r(t("Nome: ")) + r(ff("f2")) + r(instr("FORMTEXT")) + r(kSeparateChar + t("Verdi")) + r(kEndChar),
         "Verdi", "Nome: Verdi"},
        {"code split over runs",
         r(t("Nome: ")) + r(ff("f3")) + r(instr("FORM")) + r(instr("TEXT")) + r(kSeparateChar)
             + r(t("Neri")) + r(kEndChar),
         "Neri", "Nome: Neri"},
        {"empty placeholder",
         r(t("Nome: ")) + textField("f4", r(t(kPlaceholder))),
         "", "Nome: " + kPlaceholder},
        {"placeholder split over runs",
         r(t("Nome: ")) + textField("f5", r(t(kPlaceholder.substr(0, 6))) + r(t(kPlaceholder.substr(6)))),
         "", "Nome: " + kPlaceholder},
        {"whitespace only",
         r(t("Nome: ")) + textField("f6", r(t("   "))),
         "   ", "Nome:    "},
        {"split over many runs",
         r(t("Nome: ")) + textField("f7", r("<w:rPr><w:b/></w:rPr>" + t("Ros")) + "<w:proofErr w:type=\"spellStart\"/>"
                                              + r(t("s")) + "<w:proofErr w:type=\"spellEnd\"/>" + r(t("i"))),
         "Rossi", "Nome: Rossi"},
        {"tab and line break",
         r(t("Nome: ")) + textField("f8", r(t("a") + "<w:tab/>" + t("b")) + r("<w:br/>" + t("c"))),
         "a\tb\vc", "Nome: a\tb\vc"},
        {"hyphens",
         r(t("Nome: ")) + textField("f9", r(t("De") + "<w:noBreakHyphen/>" + t("Luca") + "<w:softHyphen/>" + t("x"))),
         "De\x1eLuca\x1fx", "Nome: De\x1eLuca\x1fx"},
        {"tracked insertion in the result",
         r(t("Nome: ")) + textField("f10", "<w:ins w:id=\"90\" w:author=\"x\" w:date=\"2024-01-01T00:00:00Z\">"
                                              + r(t("Gialli")) + "</w:ins>"),
         "Gialli", "Nome: Gialli"},
    };
    std::string rows;
    for (const auto& c : cases)
        rows += tr(tc(p(r(t(c.what)))) + tc(p(c.paragraph)));
    DOC_Application app;
    auto doc = app.Documents().Open(make(tbl(rows)), false, true);

    ASSERT_EQ(doc.FormFields().Count(), static_cast<int>(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const std::string name = "f" + std::to_string(i);
        EXPECT_EQ(doc.FormFields().Item(static_cast<int>(i) + 1).Name(), name);
        EXPECT_EQ(doc.FormFields().Item(name).Result(), cases[i].result);
        EXPECT_EQ(cellText(doc, 1, static_cast<int>(i) + 1, 2), cases[i].cell + kEndOfCell);
    }
}

TEST_P(XmlShapesTest, StatusAndHelpTextsAreRead)
{
    const std::string body = p(textField("f", r(t("x")), "Nome del preposto", "Cognome e nome"))
                             + p(textField("g", r(t("y"))));
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    EXPECT_EQ(doc.FormFields().Item("f").StatusText(), "Nome del preposto");
    EXPECT_EQ(doc.FormFields().Item("f").HelpText(), "Cognome e nome");
    EXPECT_EQ(doc.FormFields().Item("g").StatusText(), "");
    EXPECT_EQ(doc.FormFields().Item("g").HelpText(), "");
}

TEST_P(XmlShapesTest, OtherFieldsDoNotDisturbFormFieldsAndDropDownsGiveTheirEntry)
{
    auto dropDown = [](const std::string& name, const std::string& choice) {
        return r(beginChar(ffData(name, "<w:ddList>" + choice
                                             + "<w:listEntry w:val=\"Sì\"/><w:listEntry w:val=\"No\"/>"
                                               "<w:listEntry w:val=\"N.A.\"/></w:ddList>")))
               + r(instr("FORMDROPDOWN")) + r(kEndChar);
    };
    const std::string pageField = r("<w:fldChar w:fldCharType=\"begin\"/>") + r(instr("PAGE"))
                                  + r(kSeparateChar) + r(t("3")) + r(kEndChar);
    const std::string body =
        p(textField("prima", r(t("A"))))
        + p(r(t("Pagina ")) + pageField)
        // An IF field holding a PAGE field: two levels of non-form fields.
        + p(r("<w:fldChar w:fldCharType=\"begin\"/>") + r(instr("IF ")) + pageField
            + r(instr(" = 1 \"uno\" \"altro\"")) + r(kSeparateChar) + r(t("altro")) + r(kEndChar))
        + p(dropDown("scelta", "<w:result w:val=\"1\"/>"))
        + p(dropDown("predefinita", "<w:default w:val=\"2\"/>"))
        + p(dropDown("nessuna", ""))
        + p(r(t("Pagina ")) + "<w:fldSimple w:instr=\" PAGE \">" + r(t("4")) + "</w:fldSimple>")
        + p(textField("dopo", r(t("B"))) + r(t(" e ")) + pageField);
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    struct Expect {
        const char* name;
        const char* result;
    };
    const Expect expected[] = {
        {"prima", "A"}, {"scelta", "No"}, {"predefinita", "N.A."}, {"nessuna", "Sì"}, {"dopo", "B"},
    };
    ASSERT_EQ(doc.FormFields().Count(), static_cast<int>(std::size(expected)));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        auto field = doc.FormFields().Item(static_cast<int>(i) + 1);
        EXPECT_EQ(field.Name(), expected[i].name);
        EXPECT_EQ(field.Result(), expected[i].result);
    }
}

TEST_P(XmlShapesTest, NestedTablesKeepTheirFieldsInPlace)
{
    // Outer table: row 1 holds a field and a cell with a nested table; row 2 a field.
    const std::string nested = tbl(tr(tc(p(r(t("A")))) + tc(p(textField("n1", r(t("Bianchi")))))));
    const std::string outer = tbl(tr(tc(p(textField("o1", r(t("Rossi"))))) + tc(p(r(t("prima"))) + nested + p("")))
                                  + tr(tc(p(textField("o2", r(t("Verdi"))))) + tc(p(""))));
    const std::string body = p(textField("f0", r(t("Intestazione")))) + outer + p("")
                             + tbl(tr(tc(p(textField("t2", r(t("Neri"))))) + tc(p(r(t("x")))))) + p("");
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    const char* order[] = {"f0", "o1", "n1", "o2", "t2"};
    ASSERT_EQ(doc.FormFields().Count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(doc.FormFields().Item(i + 1).Name(), order[i]) << "position " << i + 1;
    EXPECT_EQ(doc.FormFields().Item("n1").Result(), "Bianchi");

    EXPECT_EQ(doc.Tables().Count(), 2);
    EXPECT_EQ(doc.Tables().Item(1).Rows().Count(), 2);
    // The nested cells with their marks, the nested row's end, then the paragraph after the
    // nested table, whose mark is the outer cell's.
    EXPECT_EQ(cellText(doc, 1, 1, 2), "prima\rA\r\x07" "Bianchi\r\x07\r\x07\r\x07");
    EXPECT_EQ(cellText(doc, 1, 2, 1), "Verdi" + kEndOfCell);
    EXPECT_EQ(cellText(doc, 2, 1, 1), "Neri" + kEndOfCell);
    EXPECT_THROW(doc.Tables().Item(3), WordError);
}

// ---- writing --------------------------------------------------------------------------------

TEST_P(XmlShapesTest, WrittenResultsReadBackAfterSaveAs)
{
    struct Case {
        const char* what;
        std::string paragraph;  // holds field "f" and the text around it
        std::string written;
        std::string cell;       // the cell's text after the write
        std::vector<std::string> rawHas;
        std::vector<std::string> rawLacks;
    };
    const std::string ff = beginChar(ffData("f", "<w:textInput/>"));
    const std::vector<Case> cases = {
        {"whole field in one run",
         r(t("Nome: ") + ff + instr("FORMTEXT") + kSeparateChar + t("Rossi") + kEndChar + t(" fine")),
         "nuovo", "Nome: nuovo fine", {"FORMTEXT"}, {"Rossi"}},
        {"no separate",
         r(t("Nome: ")) + r(ff) + r(instr("FORMTEXT")) + r(kEndChar),
         "nuovo", "Nome: nuovo", {"FORMTEXT"}, {}},
        {"empty text writes the placeholder",
         r(t("Nome: ")) + textField("f", r(t("Rossi"))),
         "", "Nome: " + kPlaceholder, {kPlaceholder}, {"Rossi"}},
        {"result over many runs, bookmark inside kept",
         r(t("Nome: ")) + r(ff) + r(instr("FORMTEXT")) + r(kSeparateChar) + bookmarkStart(7, "dentro")
             + r(t("Ros")) + r(t("s")) + r(t("i")) + bookmarkEnd(7) + r(kEndChar),
         "nuovo", "Nome: nuovo", {"dentro"}, {"Ros"}},
        {"spaces at both ends",
         r(t("Nome: ")) + textField("f", r(t("x"))),
         "  due  ", "Nome:   due  ", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string source = make(tbl(tr(tc(p(r(t("Voce")))) + tc(p(c.paragraph)))) + p(""));
        const std::string target = path("salvato.doc");
        {
            DOC_Application app;
            auto doc = app.Documents().Open(source, false, true);
            ASSERT_EQ(doc.FormFields().Count(), 1);
            doc.FormFields().Item("f").Result(c.written);
            EXPECT_EQ(doc.FormFields().Item("f").Result(), c.written);
            EXPECT_EQ(cellText(doc, 1, 1, 2), c.cell + kEndOfCell);
            doc.SaveAs(target);
            app.Quit(0);
        }
        DOC_Application app;
        auto doc = app.Documents().Open(target, false, true);
        ASSERT_EQ(doc.FormFields().Count(), 1);
        EXPECT_EQ(doc.FormFields().Item(1).Name(), "f");
        EXPECT_EQ(doc.FormFields().Item("f").Result(), c.written);
        EXPECT_EQ(cellText(doc, 1, 1, 2), c.cell + kEndOfCell);
        const std::string raw = rawDocumentXml(target);
        for (const auto& s : c.rawHas)
            EXPECT_NE(raw.find(s), std::string::npos) << "missing " << s;
        for (const auto& s : c.rawLacks)
            EXPECT_EQ(raw.find(s), std::string::npos) << "left over " << s;
        app.Quit(0);
        fs::remove(source);
        fs::remove(target);
    }
}

TEST_P(XmlShapesTest, CheckBoxValuesWrittenReadBackAfterSaveAs)
{
    struct Case {
        const char* what;
        const char* box;
        bool set;
    };
    const Case cases[] = {
        {"checked without val, unticked", "<w:checked/>", false},
        {"default 1 only, unticked", "<w:default w:val=\"1\"/>", false},
        {"default without val, unticked", "<w:default/>", false},
        {"checked 0, ticked", "<w:checked w:val=\"0\"/>", true},
        {"checked false over default 0, ticked", "<w:default w:val=\"0\"/><w:checked w:val=\"false\"/>", true},
        {"neither, ticked", "", true},
    };
    std::string body;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        body += p(checkBox("c" + std::to_string(i), cases[i].box));
    const std::string target = path("salvato.doc");
    {
        DOC_Application app;
        auto doc = app.Documents().Open(make(body), false, true);
        for (std::size_t i = 0; i < std::size(cases); ++i)
            doc.FormFields().Item("c" + std::to_string(i)).CheckBox().Value(cases[i].set);
        doc.SaveAs(target);
        app.Quit(0);
    }
    DOC_Application app;
    auto doc = app.Documents().Open(target, false, true);
    ASSERT_EQ(doc.FormFields().Count(), static_cast<int>(std::size(cases)));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        auto field = doc.FormFields().Item("c" + std::to_string(i));
        EXPECT_EQ(field.CheckBox().Value(), cases[i].set);
        EXPECT_EQ(field.Result(), cases[i].set ? "1" : "0");
    }
}

TEST_P(XmlShapesTest, AddedRowsAndWrittenCellsKeepOnlyTheLookOfTheFirstParagraphAndRun)
{
    const std::string centred = "<w:pPr><w:jc w:val=\"center\"/></w:pPr>";
    const std::string right = "<w:pPr><w:jc w:val=\"right\"/></w:pPr>";
    const std::string bold = "<w:rPr><w:b/></w:rPr>";
    const std::string underlined = "<w:rPr><w:u w:val=\"single\"/></w:rPr>";
    const std::string width = "<w:tcPr><w:tcW w:w=\"3000\" w:type=\"dxa\"/></w:tcPr>";
    // A cell as Word leaves it after editing: paragraph ids, a bookmark, runs of another look,
    // a second paragraph, line breaks between elements.
    const std::string edited = "<w:tc>" + width + "\n<w:p w:rsidR=\"00A1\">" + centred
                               + bookmarkStart(1, "segno") + r(bold + t("vecchio")) + bookmarkEnd(1)
                               + r("<w:rPr><w:i/></w:rPr>" + t("testo")) + "</w:p>\n"
                               + p(r(t("seconda"))) + "</w:tc>";
    const std::string boxed = sdt(tc(p(right + r(underlined + t("nel controllo")))));
    const std::string body =
        tbl(tr(tc(p(r(t("Voce")))) + tc(p(r(t("Esito"))))) + tr(edited + boxed)) + p("");
    const std::string target = path("scritta.doc");
    {
        DOC_Application app;
        auto doc = app.Documents().Open(make(body), false, true);
        auto table = doc.Tables().Item(1);
        table.Rows().Add(table.Rows().Item(2)); // from the edited row
        table.Rows().Add(table.Rows().Item(2)); // from a row left empty
        ASSERT_EQ(table.Rows().Count(), 4);
        table.Cell(2, 1).Range().Text_("uno\rdue\tfine");
        table.Cell(2, 2).Range().Text_(" a  b ");
        table.Cell(4, 1).Range().Text_("nu\x01ovo\f\x02\r\nfine\r\x07");
        table.Cell(4, 2).Range().Text_("x\vy");
        doc.SaveAs(target);
        app.Quit(0);
    }
    const std::string raw = rawDocumentXml(target);
    const auto from = raw.find("<w:tr>", raw.find("</w:tr>"));
    const auto to = raw.find("</w:tbl>");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    const std::string cleared =
        "<w:tr><w:tc>" + width + p(centred) + "</w:tc>" + sdt(tc(p(right))) + "</w:tr>";
    const std::string expected =
        // An added row has no runs left to take a look from.
        "<w:tr><w:tc>" + width + p(centred + r("<w:t>uno</w:t>"))
        + p(centred + r("<w:t>due</w:t><w:tab/><w:t>fine</w:t>")) + "</w:tc>"
        + sdt(tc(p(right + r(t(" a  b "))))) + "</w:tr>"
        + cleared
        + "<w:tr><w:tc>" + width + p(centred + r(bold + "<w:t>nuovo</w:t><w:br w:type=\"page\"/>"))
        + p(centred + r(bold + "<w:t>fine</w:t>")) + "</w:tc>"
        + sdt(tc(p(right + r(underlined + "<w:t>x</w:t><w:br/><w:t>y</w:t>")))) + "</w:tr>";
    EXPECT_EQ(raw.substr(from, to - from), expected);
}

TEST_P(XmlShapesTest, ContentControlsAroundTablesRowsAndCellsAreSeenThrough)
{
    const std::string first = tbl(tr(tc(p(r(t("r1c1")))) + sdt(tc(p(textField("b", r(t("B")))))))
                                  + sdt(tr(tc(p(r(t("r2c1")))) + tc(p(r(t("r2c2")))))));
    const std::string second = tbl(tr(tc(p(textField("c", r(t("C"))))) + tc(p(""))));
    const std::string body = p(textField("a", r(t("A")))) + sdt(first) + p("")
                             + "<w:customXml w:element=\"lista\">" + second + "</w:customXml>" + p("");
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    ASSERT_EQ(doc.Tables().Count(), 2);
    EXPECT_EQ(doc.Tables().Item(1).Rows().Count(), 2);
    EXPECT_EQ(cellText(doc, 1, 1, 2), "B" + kEndOfCell);
    EXPECT_EQ(cellText(doc, 1, 2, 2), "r2c2" + kEndOfCell);
    EXPECT_EQ(cellText(doc, 2, 1, 1), "C" + kEndOfCell);
    ASSERT_EQ(doc.FormFields().Count(), 3);
    EXPECT_EQ(doc.FormFields().Item(2).Name(), "b");
    EXPECT_EQ(doc.FormFields().Item(3).Result(), "C");
}

TEST_P(XmlShapesTest, BrokenFieldMarkupIsLeftOutWithoutDisturbingTheRest)
{
    const std::string body = p(r(kEndChar))  // an end with nothing open
                             + p(textField("a", r(t("A"))))
                             + p(r(kSeparateChar))  // a separate with nothing open
                             // A field that never ends.
                             + p(r(beginChar(ffData("rotto", "<w:textInput/>"))) + r(instr("FORMTEXT"))
                                 + r(kSeparateChar) + r(t("senza fine")))
                             + p(textField("b", r(t("B"))));
    DOC_Application app;
    auto doc = app.Documents().Open(make(body), false, true);

    ASSERT_EQ(doc.FormFields().Count(), 2);
    EXPECT_EQ(doc.FormFields().Item(1).Name(), "a");
    EXPECT_EQ(doc.FormFields().Item(1).Result(), "A");
    EXPECT_EQ(doc.FormFields().Item(2).Name(), "b");
    EXPECT_EQ(doc.FormFields().Item(2).Result(), "B");
    EXPECT_FALSE(doc.Bookmarks().Exists("rotto"));
}

TEST_P(XmlShapesTest, AnEditThatTakesFieldCharactersWithItLeavesTheirFieldsOut)
{
    const std::string textInput = r(beginChar(ffData("esterno", "<w:textInput/>")));
    struct Case {
        const char* what;
        std::string body;
        std::function<void(DOC_Document&)> edit;
        std::vector<std::string> before;
        std::vector<std::string> after;
    };
    const std::vector<Case> cases = {
        {"a result written over a field nested in it",
         p(textInput + r(instr("FORMTEXT")) + r(kSeparateChar) + textField("interno", r(t("dentro"))) + r(kEndChar))
             + p(textField("dopo", r(t("D")))),
         [](DOC_Document& doc) { doc.FormFields().Item("esterno").Result("nuovo"); },
         {"esterno", "interno", "dopo"},
         {"esterno", "dopo"}},
        // Word leaves a footer reference empty; a crafted one may hold a field.
        {"a footer reference holding a field given up for the previous section's",
         p(textField("prima", r(t("P")))) + p("<w:pPr><w:sectPr/></w:pPr>") + p(textField("dopo", r(t("D"))))
             + "<w:sectPr><w:footerReference w:type=\"default\">" + r(beginChar(ffData("nascosto", "<w:textInput/>")))
             + r(kEndChar) + "</w:footerReference></w:sectPr>",
         [](DOC_Document& doc) { doc.Sections().Item(2).Footers().Item(1).LinkToPrevious(true); },
         {"prima", "dopo", "nascosto"},
         {"prima", "dopo"}},
    };
    auto names = [](DOC_Document& doc) {
        std::vector<std::string> out;
        for (int i = 1; i <= doc.FormFields().Count(); ++i)
            out.push_back(doc.FormFields().Item(i).Name());
        return out;
    };
    for (const auto& c : cases)
        for (const bool readFirst : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (readFirst ? ", fields read before" : ""));
            DOC_Application app;
            auto doc = app.Documents().Open(make(c.body), false, true);
            if (readFirst) {
                ASSERT_EQ(names(doc), c.before);
            }
            c.edit(doc);
            EXPECT_EQ(names(doc), c.after);
            for (const auto& gone : c.before)
                if (std::find(c.after.begin(), c.after.end(), gone) == c.after.end()) {
                    EXPECT_FALSE(doc.Bookmarks().Exists(gone)) << gone;
                    EXPECT_THROW(doc.FormFields().Item(gone), WordError) << gone;
                }
            EXPECT_EQ(doc.FormFields().Item("dopo").Result(), "D");
            app.Quit(0);
        }
}

INSTANTIATE_TEST_SUITE_P(Bindings, XmlShapesTest,
                         ::testing::Values(Binding::W, Binding::Ns0, Binding::Default),
                         [](const auto& info) { return bindingName(info.param); });

} // namespace
