// Instances, documents, closing with and without asking, and building one document out of
// several the way the merge does.
#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <deque>
#include <set>

using namespace wordauto;
using namespace testsupport;
namespace db = docbuilder;

namespace {

db::Document listWith(const std::string& title, const std::string& field, bool footer = false)
{
    db::Document d;
    d.pageNumberFooter = footer;
    d.body = {db::Paragraph(title), db::table({db::row({title, db::TextField{field, title}})})};
    return d;
}

// Answers the save question from a script and records who was asked.
class ScriptedPrompt {
public:
    explicit ScriptedPrompt(std::deque<SaveAnswer> answers) : answers_(std::move(answers))
    {
        DOC_Application::SetSavePrompt([this](const std::string& name) {
            asked.push_back(name);
            if (answers_.empty()) {
                ADD_FAILURE() << "unexpected save question for " << name;
                return SaveAnswer::Cancel;
            }
            auto a = answers_.front();
            answers_.pop_front();
            return a;
        });
    }
    ~ScriptedPrompt() { DOC_Application::SetSavePrompt(nullptr); }
    std::vector<std::string> asked;

private:
    std::deque<SaveAnswer> answers_;
};

class ApplicationTest : public TempDirTest {};

TEST_F(ApplicationTest, TheWindowTestSeesAnyRunningInstanceUntilItEnds)
{
    EXPECT_FALSE(DOC_Application::WindowExists());
    {
        DOC_Application first;
        DOC_Application second;
        EXPECT_FALSE(first == second); // every construction is a new instance
        first.Visible(false);
        EXPECT_TRUE(DOC_Application::WindowExists()); // hidden ones count too
        first.Quit();
        EXPECT_TRUE(DOC_Application::WindowExists());
        DOC_Application copy = second; // a copy is a handle to the same instance
        copy.Quit();
        EXPECT_FALSE(second.IsRunning());
        EXPECT_FALSE(DOC_Application::WindowExists());
    }
    {
        DOC_Application dropped;
    }
    EXPECT_FALSE(DOC_Application::WindowExists());
}

TEST_F(ApplicationTest, OpeningAnOpenFileActivatesThatCopy)
{
    db::write(listWith("A", "f001"), path("1.01.01.DOC"));
    db::write(listWith("B", "f001"), path("1.01.02.DOC"));
    DOC_Application app;
    auto a = app.Documents().Open(path("1.01.01.DOC"), false, true);
    auto b = app.Documents().Open(path("1.01.02.DOC"), false, true);
    EXPECT_EQ(app.ActiveDocument(), b);
    auto again = app.Documents().Open(path("./1.01.01.DOC"), false, true);
    EXPECT_EQ(again, a);
    EXPECT_EQ(app.ActiveDocument(), a);
    EXPECT_EQ(app.Documents().Count(), 2);
    EXPECT_EQ(app.Documents().Item(2).Name(), "1.01.02.DOC");
    // A document is known by its normal path however it was spelled.
    db::write(listWith("C", "f001"), path("1.01.03.DOC"));
    fs::create_directory(path("x"));
    for (const std::string spelling : {"x/../1.01.03.DOC", "x//../1.01.03.DOC", "x/./../1.01.03.DOC"}) {
        auto c = app.Documents().Open(path(spelling), false, true);
        EXPECT_EQ(c.FullName(), path("1.01.03.DOC")) << spelling;
        c.Close(0);
    }
    a.Close();
    EXPECT_EQ(app.ActiveDocument(), b); // closing the active one activates the one before
    b.Activate();
    app.Documents().Item(1).Close(0);
    EXPECT_THROW(app.ActiveDocument(), WordError);
}

TEST_F(ApplicationTest, CloseAndQuitAskAboutChangedDocumentsOnly)
{
    db::write(listWith("A", "f001"), path("a.doc"));
    db::write(listWith("B", "f001"), path("b.doc"));
    db::write(listWith("C", "f001"), path("c.doc"));
    const std::string untouchedB = readFile(path("b.doc"));
    {
        ScriptedPrompt prompt({SaveAnswer::Cancel, SaveAnswer::Yes, SaveAnswer::No});
        DOC_Application app;
        auto a = app.Documents().Open(path("a.doc"));
        auto b = app.Documents().Open(path("b.doc"));
        app.Documents().Open(path("c.doc"), false, true); // unchanged: nobody is asked
        a.FormFields().Item("f001").Result("salvato");
        b.FormFields().Item("f001").Result("scartato");
        EXPECT_THROW(a.Close(), WordError); // "Annulla" keeps it open
        EXPECT_EQ(app.Documents().Count(), 3);
        a.Close();                          // "Sì"
        app.Quit();                         // b: "No"
        EXPECT_EQ(prompt.asked, (std::vector<std::string>{"a.doc", "a.doc", "b.doc"}));
        EXPECT_FALSE(app.IsRunning());
    }
    DOC_Application app;
    EXPECT_EQ(app.Documents().Open(path("a.doc")).FormFields().Item("f001").Result(), "salvato");
    EXPECT_EQ(readFile(path("b.doc")), untouchedB);
}

TEST_F(ApplicationTest, AQuitCancelledByTheUserEndsNothing)
{
    db::write(listWith("A", "f001"), path("a.doc"));
    ScriptedPrompt prompt({SaveAnswer::Cancel});
    DOC_Application app;
    app.Documents().Open(path("a.doc")).FormFields().Item(1).Result("x");
    EXPECT_THROW(app.Quit(), WordError);
    EXPECT_TRUE(app.IsRunning());
    EXPECT_EQ(app.Documents().Count(), 1);
    app.Quit(wdDoNotSaveChanges);
}

// Answers where a document never saved goes, from a script, and records what was proposed.
class ScriptedSaveAs {
public:
    explicit ScriptedSaveAs(std::deque<std::string> answers) : answers_(std::move(answers))
    {
        DOC_Application::SetSaveAsPrompt([this](const std::string& proposed) {
            proposals.push_back(proposed);
            if (answers_.empty()) {
                ADD_FAILURE() << "unexpected file choice for " << proposed;
                return std::string();
            }
            auto a = answers_.front();
            answers_.pop_front();
            return a;
        });
    }
    ~ScriptedSaveAs() { DOC_Application::SetSaveAsPrompt(nullptr); }
    std::vector<std::string> proposals;

private:
    std::deque<std::string> answers_;
};

TEST_F(ApplicationTest, SiForADocumentNeverSavedAsksWhereAndAnnullaThereKeepsItOpen)
{
    db::Document tmpl = listWith("Fascicolo", "f001");
    tmpl.isTemplate = true;
    fs::create_directories(path("modelli"));
    db::write(tmpl, path("modelli/_Fascicolo1.dot"));
    fs::create_directories(path("fascicolo"));
    const std::string wanted = path("fascicolo/_Fascicolo.doc");
    struct Case {
        const char* name;
        bool byQuit; // Quit() of the instance, or Close() of the document
        std::string proposal; // set by the caller; empty: the library's own
        std::string chosen;   // empty: Annulla in the file choice
    } const cases[] = {
        {"quit, proposed beside the template", true, "", path("altrove.doc")},
        {"quit, proposed by the caller", true, wanted, wanted},
        {"quit, Annulla in the file choice", true, wanted, ""},
        {"close, proposed by the caller", false, wanted, wanted},
        {"close, Annulla in the file choice", false, wanted, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(wanted);
        fs::remove(path("altrove.doc"));
        ScriptedPrompt question({SaveAnswer::Yes});
        ScriptedSaveAs where({c.chosen});
        DOC_Application app;
        auto doc = app.Documents().Add(path("modelli/_Fascicolo1.dot"));
        EXPECT_EQ(doc.ProposedFullName(), path("modelli/Documento1.doc"));
        if (!c.proposal.empty())
            doc.ProposedFullName(c.proposal);
        doc.FormFields().Item("f001").Result("unito");
        if (c.chosen.empty()) {
            EXPECT_THROW(c.byQuit ? app.Quit() : doc.Close(), WordCancel);
            EXPECT_TRUE(app.IsRunning());
            EXPECT_EQ(app.Documents().Count(), 1);
            EXPECT_FALSE(doc.Saved());
            EXPECT_FALSE(fs::exists(wanted));
            app.Quit(wdDoNotSaveChanges);
        } else {
            c.byQuit ? app.Quit() : doc.Close();
            EXPECT_EQ(c.byQuit, !app.IsRunning());
            DOC_Application reader;
            EXPECT_EQ(reader.Documents().Open(c.chosen, false, true).FormFields().Item("f001").Result(), "unito");
            reader.Quit(wdDoNotSaveChanges);
            if (app.IsRunning())
                app.Quit();
        }
        EXPECT_EQ(where.proposals,
                  (std::vector<std::string>{c.proposal.empty() ? path("modelli/Documento1.doc") : c.proposal}));
        EXPECT_EQ(question.asked, (std::vector<std::string>{"Documento1"}));
    }
}

TEST_F(ApplicationTest, WithoutAFileChoiceSiForADocumentNeverSavedCancelsTheQuit)
{
    db::Document tmpl = listWith("Fascicolo", "f001");
    tmpl.isTemplate = true;
    db::write(tmpl, path("_Fascicolo1.dot"));
    ScriptedPrompt question({SaveAnswer::Yes, SaveAnswer::No});
    DOC_Application app;
    app.Documents().Add(path("_Fascicolo1.dot")).FormFields().Item("f001").Result("x");
    EXPECT_THROW(app.Quit(), WordCancel);
    EXPECT_TRUE(app.IsRunning());
    app.Quit(); // "No" always ends it
    EXPECT_FALSE(app.IsRunning());
}

TEST_F(ApplicationTest, AddMakesAnUnnamedDocumentFromATemplate)
{
    db::Document tmpl = listWith("Fascicolo", "f001");
    tmpl.isTemplate = true;
    db::write(tmpl, path("_Fascicolo1.dot"));
    DOC_Application app;
    auto doc = app.Documents().Add(path("_Fascicolo1.dot"));
    EXPECT_EQ(doc.Name(), "Documento1");
    EXPECT_EQ(app.ActiveDocument(), doc);
    EXPECT_THROW(doc.Save(), WordError); // no file name yet
    doc.SaveAs(path("_Fascicolo.doc"));
    EXPECT_EQ(doc.Name(), "_Fascicolo.doc");
    auto pkg = opc::Package::open(path("_Fascicolo.doc"));
    EXPECT_EQ(pkg.contentType("word/document.xml"),
              "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
    EXPECT_EQ(opc::Package::open(path("_Fascicolo1.dot")).contentType("word/document.xml"),
              "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
}

TEST_F(ApplicationTest, MergingListsWithPageBreaksKeepsEveryFieldAndTable)
{
    db::Document tmpl;
    tmpl.isTemplate = true;
    db::write(tmpl, path("_Fascicolo1.dot"));
    const std::vector<std::string> lists = {"1.01.01", "1.01.02", "1.02.01"};
    for (std::size_t i = 0; i < lists.size(); ++i)
        db::write(listWith(lists[i], "t1f00" + std::to_string(i + 1), i == 1), path(lists[i] + ".DOC"));

    DOC_Application app;
    auto merged = app.Documents().Add(path("_Fascicolo1.dot"));
    auto sel = app.Selection();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        sel.InsertFile(path(lists[i] + ".DOC"));
        if (i + 1 < lists.size()) {
            sel.Collapse(wdCollapseEnd);
            sel.InsertBreak();
        }
    }
    merged.CopyStylesFromTemplate(path("_Fascicolo1.dot"));
    merged.Protect_(wdAllowOnlyFormFields, true);
    merged.SaveAs(path("_Fascicolo.doc"));
    ASSERT_TRUE(unzipTestPasses(path("_Fascicolo.doc")));

    DOC_Application reader;
    auto doc = reader.Documents().Open(path("_Fascicolo.doc"), false, true);
    ASSERT_EQ(doc.Tables().Count(), 3);
    for (std::size_t i = 0; i < lists.size(); ++i) {
        SCOPED_TRACE(lists[i]);
        EXPECT_EQ(doc.Tables().Item(static_cast<int>(i) + 1).Cell(1, 1).Range().Text_(),
                  lists[i] + "\r\x07");
        EXPECT_EQ(doc.FormFields().Item(static_cast<int>(i) + 1).Result(), lists[i]);
    }
    EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
    // Two breaks, between the documents, in the body's block order.
    const std::string xml = opc::Package::open(path("_Fascicolo.doc")).part("word/document.xml");
    std::size_t breaks = 0;
    std::size_t last = 0;
    std::vector<std::size_t> at;
    while ((last = xml.find("w:type=\"page\"", last)) != std::string::npos) {
        at.push_back(last++);
        ++breaks;
    }
    ASSERT_EQ(breaks, 2u);
    EXPECT_LT(xml.find("1.01.01"), at[0]);
    EXPECT_LT(at[0], xml.find("1.01.02"));
    EXPECT_LT(xml.find("1.01.02"), at[1]);
    EXPECT_LT(at[1], xml.find("1.02.01"));
    // Bookmark ids stay unique after the merge.
    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_string(xml.c_str()));
    std::set<std::string> ids;
    for (auto b : parsed.select_nodes("//w:bookmarkStart"))
        EXPECT_TRUE(ids.insert(b.node().attribute("w:id").value()).second);
}

TEST_F(ApplicationTest, SelectingAFieldSelectsTheBlockThatHoldsIt)
{
    db::Document d;
    d.body = {db::Paragraph("prima"),
              db::table({db::row({"riga", db::TextField{"t1f001", "in tabella"}})}),
              db::para({"Note: ", db::TextField{"note1", "nel paragrafo"}}),
              db::Paragraph("dopo")};
    db::write(d, path("lista.doc"));
    DOC_Application app;
    auto doc = app.Documents().Open(path("lista.doc"), false, false);
    auto sel = app.Selection();
    // A field in a cell selects its whole table, a field in a paragraph that paragraph: each
    // break goes in right after the block.
    for (const char* field : {"t1f001", "note1"}) {
        doc.FormFields().Item(field).Select();
        sel.Collapse(wdCollapseEnd);
        sel.InsertBreak();
    }
    doc.SaveAs(path("copia.doc"));
    const std::string xml = opc::Package::open(path("copia.doc")).part("word/document.xml");
    const auto firstBreak = xml.find("w:type=\"page\"");
    const auto secondBreak = xml.find("w:type=\"page\"", firstBreak + 1);
    ASSERT_NE(secondBreak, std::string::npos);
    EXPECT_LT(xml.find("in tabella"), xml.find("</w:tbl>"));
    EXPECT_LT(xml.find("</w:tbl>"), firstBreak);
    EXPECT_LT(firstBreak, xml.find("Note: "));
    EXPECT_LT(xml.find("nel paragrafo"), secondBreak);
    EXPECT_LT(secondBreak, xml.find("dopo"));
}

TEST_F(ApplicationTest, FooterPageNumbersStartWhereTheyAreTold)
{
    db::write(listWith("A", "f001", true), path("a.doc"));
    db::write(listWith("B", "f001", false), path("b.doc"));
    for (const char* file : {"a.doc", "b.doc"}) {
        SCOPED_TRACE(file);
        DOC_Application app;
        auto doc = app.Documents().Open(path(file), false, true);
        ASSERT_EQ(doc.Sections().Count(), 1);
        auto footer = doc.Sections().Item(1).Footers().Item(1);
        EXPECT_FALSE(footer.LinkToPrevious()); // the first section has nothing to link to
        footer.LinkToPrevious(false);
        EXPECT_EQ(footer.PageNumbers().StartingNumber(), 0);
        footer.PageNumbers().StartingNumber(7);
        doc.SaveAs(path(std::string("n_") + file));
        doc.Close(0);
        auto again = app.Documents().Open(path(std::string("n_") + file), false, true);
        EXPECT_EQ(again.Sections().Item(1).Footers().Item(1).PageNumbers().StartingNumber(), 7);
        EXPECT_TRUE(unzipTestPasses(path(std::string("n_") + file)));
    }
}

TEST_F(ApplicationTest, UnprotectThenProtectKeepsTheFieldsContents)
{
    db::Document d = listWith("A", "f001");
    d.protectForms = true;
    db::write(d, path("p.doc"));
    DOC_Application app;
    auto doc = app.Documents().Open(path("p.doc"), false, true);
    EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
    doc.Unprotect();
    EXPECT_EQ(doc.ProtectionType(), wdNoProtection);
    doc.Protect_(wdAllowOnlyFormFields, true);
    EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "A");
    doc.Close(0);
}

} // namespace
