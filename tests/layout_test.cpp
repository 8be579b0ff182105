// The layout of documents into pages: where page breaks fall for tables, kept paragraphs and
// explicit breaks, and that absurd sizes in a file are clamped instead of crashing or hanging.
#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/document_layout.h"
#include "wordauto/layout/fonts.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGuiApplication>

#include <functional>
#include <string>
#include <vector>

using namespace wordauto;
namespace db = docbuilder;

namespace {

std::shared_ptr<detail::DocumentModel> modelOf(const std::string& bytes)
{
    return detail::DocumentModel::fromPackage(opc::Package::fromBytes(bytes, "prova.docx"), "", true);
}

layout::DocumentLayout layOut(const db::Document& doc)
{
    auto model = modelOf(db::toBytes(doc));
    return layout::layoutDocument(*model);
}

std::string pageText(const layout::Page& page)
{
    std::string all;
    for (const auto& t : page.items.texts)
        all += t.text.toStdString() + "|";
    return all;
}

// The page (from 1) where a piece of text first shows, 0 when it shows nowhere.
int pageOf(const layout::DocumentLayout& l, const std::string& text)
{
    for (std::size_t i = 0; i < l.pages.size(); ++i)
        if (pageText(l.pages[i]).find(text) != std::string::npos)
            return static_cast<int>(i) + 1;
    return 0;
}

int countOn(const layout::Page& page, const std::string& text)
{
    const std::string all = pageText(page);
    int n = 0;
    for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
        ++n;
    return n;
}

std::vector<db::Block> fillers(int count)
{
    std::vector<db::Block> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(db::Paragraph("Riga di riempimento " + std::to_string(i)));
    return out;
}

std::string lines(const std::string& stem, int count)
{
    std::string s;
    for (int i = 1; i <= count; ++i)
        s += (i > 1 ? "\n" : "") + stem + " " + std::to_string(i);
    return s;
}

db::Document bodyOf(std::vector<db::Block> blocks)
{
    db::Document d;
    d.body = std::move(blocks);
    return d;
}

db::Document withFillers(int count, std::vector<db::Block> more)
{
    auto blocks = fillers(count);
    for (auto& b : more)
        blocks.push_back(std::move(b));
    return bodyOf(std::move(blocks));
}

db::Table longTable(int rows)
{
    std::vector<db::Row> r{db::headerRow({db::bold("Intestazione N."), db::bold("Voce")})};
    for (int i = 1; i <= rows; ++i)
        r.push_back(db::row({std::to_string(i), "Voce " + std::to_string(i)}));
    return db::table(std::move(r));
}

std::string longParagraph(int words)
{
    std::string s = "Inizio del paragrafo";
    for (int i = 0; i < words; ++i)
        s += " parola";
    return s + " fine del paragrafo";
}

struct Case {
    const char* name;
    std::function<db::Document()> build;
    int pages;
    const char* text; // lands on page `page`
    int page;
};

// A4 with 2.5 cm top and 2 cm bottom margins holds 32 body paragraphs of Calibri 11 (Word's
// 1.08 lines plus 8 pt after each, the last one's 8 pt allowed into the margin): the 33rd
// starts page 2.
const Case kCases[] = {
    {"EmptyDocumentIsOnePage", [] { return bodyOf({}); }, 1, "", 1},
    {"ExplicitPageBreak", [] { return bodyOf({db::Paragraph("Prima\fSeconda"), db::Paragraph("Terza")}); }, 2,
     "Seconda", 2},
    {"PageBreakBeforeParagraph",
     [] { return bodyOf({db::Paragraph("Uno"), db::pageBreakBefore(db::Paragraph("Capitolo due"))}); }, 2,
     "Capitolo due", 2},
    {"FullPageOfParagraphs", [] { return withFillers(32, {}); }, 1, "Riga di riempimento 32", 1},
    {"OneParagraphMoreStartsPageTwo", [] { return withFillers(33, {}); }, 2, "Riga di riempimento 33", 2},
    {"HeadingWithoutKeepStaysAtTheBottom",
     [] { return withFillers(31, {db::Paragraph("Titolo sciolto"), db::Paragraph("Testo del capitolo")}); }, 2,
     "Titolo sciolto", 1},
    {"KeepWithNextHeadingMovesToTheNextPage",
     [] {
         return withFillers(31, {db::keepWithNext(db::Paragraph("Titolo tenuto")), db::Paragraph("Testo del capitolo")});
     },
     2, "Titolo tenuto", 2},
    {"TableBreaksAcrossPages", [] { return bodyOf({longTable(80)}); }, 2, "Voce 80", 2},
    {"SplittableRowBreaksBetweenItsLines",
     [] { return withFillers(28, {db::table({db::row({"Blocco", lines("Linea divisibile", 12)})})}); }, 2,
     "Linea divisibile 1", 1},
    {"RowThatCannotSplitMovesWhole",
     [] {
         return withFillers(28, {db::table({db::unsplittableRow({"Blocco", lines("Linea intera", 12)})})});
     },
     2, "Linea intera 1", 2},
    {"MergedCells",
     [] {
         return bodyOf({db::table({db::row({db::mergeFirst(db::Cell(lines("Cella unita", 3))), "a"}),
                                   db::row({db::mergedAbove(), "b"})}),
                        db::Paragraph("Dopo la tabella")});
     },
     1, "Cella unita 3", 1},
    {"NestedTable",
     [] {
         return bodyOf({db::table({db::row({"Esterna", db::cell({"sopra", db::table({db::row({"Interna A", "Interna B"})})})})})});
     },
     1, "Interna B", 1},
    {"LandscapeSection",
     [] {
         auto d = withFillers(22, {db::Paragraph("Ultima orizzontale")});
         d.landscape = true;
         return d;
     },
     2, "Ultima orizzontale", 2},
    {"ParagraphLongerThanAPage", [] { return bodyOf({db::Paragraph(longParagraph(1100))}); }, 2,
     "fine del paragrafo", 2},
};

class LayoutCases : public ::testing::TestWithParam<Case> {};

TEST_P(LayoutCases, PageCountAndWhereTheTextLands)
{
    const Case& c = GetParam();
    const auto l = layOut(c.build());
    EXPECT_EQ(static_cast<int>(l.pages.size()), c.pages);
    EXPECT_EQ(pageOf(l, c.text), c.page) << "\"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(Layout, LayoutCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Layout, HeaderRowsRepeatOnEveryPageOfTheTable)
{
    const auto l = layOut(bodyOf({longTable(140)}));
    ASSERT_EQ(l.pages.size(), 3u);
    for (const auto& page : l.pages)
        EXPECT_EQ(countOn(page, "Intestazione N."), 1);
    // Every row shows once, none lost at a page break.
    for (int i = 1; i <= 140; ++i)
        EXPECT_NE(pageOf(l, "Voce " + std::to_string(i) + "|"), 0) << i;
}

TEST(Layout, ASplitRowContinuesOnTheNextPageWithItsRemainingLines)
{
    const auto l = layOut(withFillers(28, {db::table({db::row({"Blocco", lines("Linea divisibile", 12)})})}));
    ASSERT_EQ(l.pages.size(), 2u);
    EXPECT_EQ(pageOf(l, "Linea divisibile 12"), 2);
    EXPECT_EQ(countOn(l.pages[0], "Blocco"), 1);
    EXPECT_EQ(countOn(l.pages[1], "Blocco"), 0);
}

TEST(Layout, WhatFollowsAVerticalMergeStandsBelowAllOfItsLines)
{
    const auto l = layOut(bodyOf({db::table({db::row({db::mergeFirst(db::Cell(lines("Cella unita", 5))), "a"}),
                                             db::row({db::mergedAbove(), "b"})}),
                                  db::Paragraph("Dopo la tabella")}));
    qreal lastMerged = 0, after = 0;
    for (const auto& t : l.pages.at(0).items.texts) {
        if (t.text == "Cella unita 5")
            lastMerged = t.baseline.y();
        if (t.text == "Dopo la tabella")
            after = t.baseline.y();
    }
    ASSERT_GT(lastMerged, 0);
    EXPECT_GT(after, lastMerged + 10);
}

TEST(Layout, LandscapePagesAreWiderThanHigh)
{
    auto d = bodyOf({db::Paragraph("Orizzontale")});
    d.landscape = true;
    const auto l = layOut(d);
    ASSERT_EQ(l.pages.size(), 1u);
    EXPECT_GT(l.pages[0].size.width(), l.pages[0].size.height());
}

TEST(Layout, FormFieldsShowAsWordPrintsThem)
{
    const auto l = layOut(bodyOf({db::para({"Esito: ", db::CheckBox{"c1", true}, " ", db::CheckBox{"c2", false},
                                            " ", db::DropDown{"d1", {"Conforme", "Non conforme"}, 1}, " ",
                                            db::TextField{"f1", "Rossi"}, " ", db::TextField{"f2", ""}, " fine"})}));
    ASSERT_EQ(l.pages.size(), 1u);
    const auto& boxes = l.pages[0].items.boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].crossed);
    EXPECT_FALSE(boxes[1].crossed);
    // A box is about the size of the 11-point text around it.
    EXPECT_NEAR(boxes[0].rect.width(), 11 * 0.9, 1);
    EXPECT_EQ(pageOf(l, "Non conforme"), 1);
    EXPECT_EQ(pageOf(l, "Rossi"), 1);
    // The empty text field takes the room of its five en spaces and shows nothing.
    qreal rossiEnd = 0, fine = 0;
    for (const auto& t : l.pages[0].items.texts) {
        if (t.text == "Rossi")
            rossiEnd = t.baseline.x() + t.width;
        if (t.text.contains(QStringLiteral("fine")))
            fine = t.baseline.x();
    }
    EXPECT_GT(fine - rossiEnd, 5 * 5.5);
}

TEST(Layout, EachFormFieldOfTheBodyIsPlacedWhereItShows)
{
    db::Document d = bodyOf({db::para({"Esito: ", db::CheckBox{"c1", true}, " ",
                                       db::DropDown{"d1", {"Conforme", "Non conforme"}, 1}, " ",
                                       db::TextField{"f1", "Rossi"}, " ", db::TextField{"f2", ""}, " fine"}),
                             db::table({db::row({"Voce", db::para({db::TextField{"f3", "Cella"}})})})});
    d.pageNumberFooter = true;
    const auto l = layOut(d);
    ASSERT_EQ(l.pages.size(), 1u);
    const auto& items = l.pages[0].items;
    std::vector<int> order;
    for (const auto& f : items.fields)
        order.push_back(f.field);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4})); // in document order, the footer's none
    // A piece of text holding `text` runs across the box, on the box's line.
    const auto textIn = [&](const QRectF& r, const QString& text) {
        for (const auto& t : items.texts)
            if (t.text.contains(text) && r.top() < t.baseline.y() && t.baseline.y() <= r.bottom()
                && t.baseline.x() <= r.left() + 0.5 && r.right() <= t.baseline.x() + t.width + 0.5)
                return true;
        return false;
    };
    EXPECT_TRUE(items.fields[0].rect.contains(items.boxes[0].rect.center()));
    EXPECT_TRUE(textIn(items.fields[1].rect, QStringLiteral("Non conforme")));
    EXPECT_TRUE(textIn(items.fields[2].rect, QStringLiteral("Rossi")));
    EXPECT_GT(items.fields[1].rect.width(), items.fields[2].rect.width()); // "Non conforme", "Rossi"
    EXPECT_GT(items.fields[3].rect.width(), 5 * 5.5); // the empty field's five en spaces
    EXPECT_LT(items.fields[3].rect.right(), items.fields[2].rect.right() + 40);
    EXPECT_TRUE(textIn(items.fields[4].rect, QStringLiteral("Cella"))); // moved with its table
}

TEST(Layout, WindowsFontsAreSetInTheirMetricCompatibleSubstitutes)
{
    layOut(bodyOf({})); // brings up the GUI application and the fonts
    const std::pair<const char*, const char*> pairs[] = {
        {"Calibri", "Carlito"}, {"Cambria", "Caladea"}, {"Arial", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"}};
    for (const auto& [windows, free] : pairs) {
        const QFontInfo info(layout::layoutFont(QString::fromLatin1(windows), 11, false, false));
        EXPECT_EQ(info.family().toStdString(), free) << windows;
    }
}

TEST(Layout, PageNumbersFollowTheSectionsStartingNumber)
{
    auto d = bodyOf({db::Paragraph("Uno\fDue\fTre")});
    d.pageNumberFooter = true;
    d.pageNumberStart = 7;
    const auto l = layOut(d);
    ASSERT_EQ(l.pages.size(), 3u);
    EXPECT_EQ(countOn(l.pages[0], "7"), 1);
    EXPECT_EQ(pageOf(l, "9|"), 3);
}

// The main story of a builder document with some of its XML replaced.
std::string edited(const db::Document& doc, const std::vector<std::pair<std::string, std::string>>& edits)
{
    auto pkg = opc::Package::fromBytes(db::toBytes(doc), "prova.docx");
    std::string xml = pkg.part("word/document.xml");
    for (const auto& [from, to] : edits) {
        const auto at = xml.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            xml.replace(at, from.size(), to);
    }
    pkg.setPart("word/document.xml", xml);
    return pkg.toBytes();
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

struct BadCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> edits;
};

const db::Document kPlain = [] {
    auto d = bodyOf({db::Paragraph("Testo"), db::table({db::row({"a", "b"})})});
    d.pageNumberFooter = true;
    return d;
}();

TEST(Layout, AbsurdSizesAreClampedAndStillGiveAtLeastOnePage)
{
    const std::string wide = "<w:tbl><w:tblGrid>" + repeat("<w:gridCol w:w=\"1\"/>", 5000) + "</w:tblGrid><w:tr>"
                             + repeat("<w:tc><w:p><w:r><w:t>x</w:t></w:r></w:p></w:tc>", 5000) + "</w:tr></w:tbl>";
    std::string deep = "<w:p><w:r><w:t>profondo</w:t></w:r></w:p>";
    for (int i = 0; i < 60; ++i)
        deep = "<w:tbl><w:tr><w:tc>" + deep + "</w:tc></w:tr></w:tbl><w:p/>";
    const BadCase cases[] = {
        {"zero page size", {{"w:w=\"11906\" w:h=\"16838\"", "w:w=\"0\" w:h=\"0\""}}},
        {"negative page size", {{"w:w=\"11906\" w:h=\"16838\"", "w:w=\"-5000\" w:h=\"-99999999\""}}},
        {"margins wider than the page", {{"w:right=\"1134\"", "w:right=\"90000\""}, {"w:top=\"1417\"", "w:top=\"-70000\""}}},
        {"font size zero", {{"<w:t>Testo</w:t>", "</w:r><w:r><w:rPr><w:sz w:val=\"0\"/></w:rPr><w:t>Testo</w:t>"}}},
        {"font size 10,000 points",
         {{"<w:t>Testo</w:t>", "</w:r><w:r><w:rPr><w:sz w:val=\"20000\"/></w:rPr><w:t>Testo lungo</w:t>"}}},
        {"grid of 5,000 columns", {{"<w:p><w:r><w:t>Testo</w:t>", wide + "<w:p><w:r><w:t>Testo</w:t>"}}},
        {"tables nested 60 deep", {{"<w:p><w:r><w:t>Testo</w:t>", deep + "<w:p><w:r><w:t>Testo</w:t>"}}},
        {"exact line height of zero and huge spacing",
         {{"<w:p><w:r><w:t>Testo</w:t>",
           "<w:p><w:pPr><w:spacing w:before=\"999999999\" w:after=\"-5\" w:line=\"0\" w:lineRule=\"exact\"/>"
           "<w:ind w:left=\"999999\" w:right=\"999999\" w:hanging=\"-99999\"/></w:pPr><w:r><w:t>Testo</w:t>"}}},
        {"row of exact height taller than a page",
         {{"<w:tr>", "<w:tr><w:trPr><w:trHeight w:val=\"99999\" w:hRule=\"exact\"/><w:cantSplit/></w:trPr>"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto model = modelOf(edited(kPlain, c.edits));
        const auto l = layout::layoutDocument(*model);
        EXPECT_GE(l.pages.size(), 1u);
        EXPECT_LE(l.pages.size(), 5000u);
        for (const auto& p : l.pages) {
            EXPECT_GE(p.size.width(), 72);
            EXPECT_LE(p.size.height(), 1584);
        }
    }
}

TEST(Layout, DeeplyNestedUnknownElementsAreSkippedWithoutRecursion)
{
    // As deep as the package reader lets a part be; deeper parts are refused when read.
    const std::string open = repeat("<x:u xmlns:x=\"urn:x\">", 900);
    const std::string close = repeat("</x:u>", 900);
    auto model = modelOf(edited(kPlain, {{"<w:r><w:t>Testo</w:t>", "<w:r>" + open + close + "<w:t>Testo</w:t>"},
                                         {"<w:tbl>", open + close + "<w:tbl>"}}));
    const auto l = layout::layoutDocument(*model);
    ASSERT_EQ(l.pages.size(), 1u);
    EXPECT_EQ(pageOf(l, "Testo"), 1);
}

class PageCountTest : public testsupport::TempDirTest {};

TEST_F(PageCountTest, ThePageCountIsKeptUntilTheDocumentChanges)
{
    const std::string path = this->path("conteggio.doc");
    db::write(bodyOf({db::Paragraph("Uno")}), path);
    DOC_Application app;
    auto doc = app.Documents().Open(path);
    EXPECT_EQ(doc.BuiltInDocumentProperties().Item(wdPropertyPages).Value(), 1);
    app.Selection().InsertBreak();
    EXPECT_EQ(doc.BuiltInDocumentProperties().Item(wdPropertyPages).Value(), 2);
    EXPECT_THROW(doc.BuiltInDocumentProperties().Item(3), WordError);
    app.Quit(wdDoNotSaveChanges);
}

} // namespace
