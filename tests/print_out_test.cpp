// PrintOut through the PDF destination: every document of the sample root prints as many
// pages as its page count says, with every cell's text and every field's value in order and
// the page numbers its first section starts from.
#include "data/docbuilder/docbuilder.h"
#include "data/generator/sample_root.h"
#include "tests/pdf_text.h"
#include "tests/test_support.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <QPrinterInfo>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

using namespace wordauto;
using namespace testsupport;
namespace db = docbuilder;

namespace {

// Text without the blanks, line ends, cell marks and en spaces that layout and extraction
// place differently.
std::string squeezed(const std::string& s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c <= ' ')
            continue;
        if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA0) {
            ++i;
            continue;
        }
        if (c == 0xE2 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80
            && static_cast<unsigned char>(s[i + 2]) == 0x82) {
            i += 2;
            continue;
        }
        out += static_cast<char>(c);
    }
    return out;
}

// The body text of the pages, footer lines "Pagina n" left out.
std::string bodyText(const std::vector<std::string>& pages)
{
    static const std::regex footer("(^|\n)Pagina \\d+(\n|$)");
    std::string out;
    for (const auto& p : pages)
        out += std::regex_replace(p, footer, "\n");
    return squeezed(out);
}

// Each expected text found after the one before it; the first missing one is returned.
std::string firstMissingInOrder(const std::string& text, const std::vector<std::string>& expected)
{
    std::size_t at = 0;
    for (const auto& e : expected) {
        const std::string s = squeezed(e);
        if (s.empty())
            continue;
        const auto found = text.find(s, at);
        if (found == std::string::npos)
            return e;
        at = found + s.size();
    }
    return {};
}

struct Expected {
    std::vector<std::string> cells;
    std::vector<std::string> fields;
};

Expected expectedText(DOC_Document& doc)
{
    Expected e;
    auto tables = doc.Tables();
    for (int t = 1; t <= tables.Count(); ++t) {
        auto rows = tables.Item(t).Rows();
        for (int r = 1; r <= rows.Count(); ++r) {
            auto row = rows.Item(r);
            for (int c = 1; c <= row.CellCount(); ++c)
                e.cells.push_back(row.Cells(c).Range().Text_());
        }
    }
    auto fields = doc.FormFields();
    for (int i = 1; i <= fields.Count(); ++i) {
        auto f = fields.Item(i);
        try {
            f.CheckBox().Value();
            continue; // a box, drawn, not text
        } catch (const WordError&) {
        }
        e.fields.push_back(f.Result());
    }
    return e;
}

bool isDocument(const fs::path& p)
{
    std::string ext = p.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".doc" || ext == ".dot";
}

class PrintOutTest : public TempDirTest {
protected:
    void TearDown() override
    {
        DOC_Application::SetPrintDestination("");
        TempDirTest::TearDown();
    }

    // Prints the document at path (opened read-only) into a folder of its own and returns the
    // PDF, with the page count the document reported before printing.
    fs::path printAlone(const fs::path& doc, const std::string& folder, long& pages,
                        const std::function<void(DOC_Document&)>& before = {}, Expected* expected = nullptr)
    {
        DOC_Application::SetPrintDestination(path(folder));
        DOC_Application app;
        auto d = app.Documents().Open(doc.string(), false, true);
        if (before)
            before(d);
        if (expected)
            *expected = expectedText(d);
        pages = d.BuiltInDocumentProperties().Item(wdPropertyPages).Value();
        app.PrintOut(false);
        app.Quit(wdDoNotSaveChanges);
        return fs::path(path(folder)) / (doc.stem().string() + ".pdf");
    }
};

TEST_F(PrintOutTest, EverySampleDocumentPrintsItsPagesCellsAndFieldValuesInOrder)
{
    const std::string root = path("root");
    sample::writeSampleRoot(root);
    std::vector<fs::path> docs;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && isDocument(e.path()))
            docs.push_back(e.path());
    std::sort(docs.begin(), docs.end());
    ASSERT_GT(docs.size(), 40u);

    int index = 0;
    for (const auto& doc : docs) {
        SCOPED_TRACE(doc.string());
        long pages = 0;
        Expected expected;
        const fs::path pdf = printAlone(doc, "pdf" + std::to_string(++index), pages, {}, &expected);
        ASSERT_TRUE(fs::exists(pdf));
        EXPECT_GE(pages, 1);
        EXPECT_EQ(pdfPages(pdf), pages);
        const auto text = pdfPagesText(pdf);
        ASSERT_EQ(static_cast<long>(text.size()), pages);
        const std::string body = bodyText(text);
        EXPECT_EQ(firstMissingInOrder(body, expected.cells), "");
        EXPECT_EQ(firstMissingInOrder(body, expected.fields), "");
        // The footers count the pages from 1.
        for (std::size_t p = 0; p < text.size(); ++p)
            EXPECT_NE(text[p].find("Pagina " + std::to_string(p + 1) + "\n"), std::string::npos) << "page " << p + 1;
    }
}

TEST_F(PrintOutTest, FootersShowTheNumbersTheFirstSectionStartsFrom)
{
    const std::string root = path("root");
    sample::writeSampleRoot(root);
    // A blank list of more than one page.
    fs::path list;
    for (const auto& e : fs::directory_iterator(fs::path(root) / "LDC")) {
        DOC_Application app;
        auto d = app.Documents().Open(e.path().string(), false, true);
        if (list.empty() && d.BuiltInDocumentProperties().Item(wdPropertyPages).Value() == 2)
            list = e.path();
        app.Quit(wdDoNotSaveChanges);
    }
    ASSERT_FALSE(list.empty());
    long pages = 0;
    const fs::path pdf = printAlone(list, "pdf", pages, [](DOC_Document& d) {
        auto footer = d.Sections().Item(1).Footers().Item(1);
        footer.LinkToPrevious(false);
        footer.PageNumbers().StartingNumber(7);
    });
    ASSERT_EQ(pages, 2);
    const auto text = pdfPagesText(pdf);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_NE(text[0].find("Pagina 7\n"), std::string::npos) << text[0];
    EXPECT_NE(text[1].find("Pagina 8\n"), std::string::npos) << text[1];
}

TEST_F(PrintOutTest, EachPrintOfADocumentIsKeptAsItsOwnPdf)
{
    db::Document d;
    d.body = {db::Paragraph("Una pagina")};
    db::write(d, path("lista.doc"));
    long pages = 0;
    printAlone(path("lista.doc"), "pdf", pages);
    printAlone(path("lista.doc"), "pdf", pages);
    EXPECT_TRUE(fs::exists(path("pdf/lista.pdf")));
    EXPECT_TRUE(fs::exists(path("pdf/lista (2).pdf")));
    EXPECT_EQ(pdfPages(path("pdf/lista (2).pdf")), 1);
}

TEST_F(PrintOutTest, WithoutPrinterOrDestinationPrintOutSaysThereIsNoPrinter)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    db::Document d;
    d.body = {db::Paragraph("Testo")};
    db::write(d, path("lista.doc"));
    DOC_Application app;
    app.Documents().Open(path("lista.doc"));
    try {
        app.PrintOut(false);
        FAIL() << "printed without a printer";
    } catch (const WordError& e) {
        EXPECT_NE(std::string(e.what()).find("Nessuna stampante"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("lista.doc"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(listing().size() == 1u);
    app.Quit(wdDoNotSaveChanges);
}

} // namespace
