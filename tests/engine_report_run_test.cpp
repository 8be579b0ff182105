// The report run end to end: every list of a dossier checked, both result documents written
// from their templates, the tree refreshed, and no list document touched.
#include "tests/fixture_docs.h"
#include "tests/sample_root_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

using namespace engine;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

using Table = std::vector<std::vector<std::string>>;

// The cleaned cells of a table of a document, rows from `firstRow` on.
Table readTable(const std::string& path, int table, int firstRow)
{
    wordauto::DOC_Application app;
    auto doc = app.Documents().Open(path, false, true);
    auto t = doc.Tables().Item(table);
    Table out;
    for (int r = firstRow; r <= t.Rows().Count(); ++r) {
        std::vector<std::string> row;
        for (int c = 1; c <= t.Rows().Item(r).CellCount(); ++c)
            row.push_back(cleanCell(t.Cell(r, c).Range().Text_()));
        out.push_back(row);
    }
    app.Quit(0);
    return out;
}

// Rows grouped by list number, each list's rows in their order: the run follows the dossier's
// load order, which within one first digit is the folder listing's.
Table byList(Table rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a[0] < b[0]; });
    return rows;
}

std::map<std::string, std::string> listDocuments(const std::string& folder)
{
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string()[0] != '_')
            out[e.path().filename().string()] = readFile(e.path());
    return out;
}

class ReportRunTest : public SampleRootTest {
public:
    std::vector<std::string> boxTexts() const { return frameBoxTexts(); }
};

TEST_F(ReportRunTest, TheSampleDossierGivesTheResultsItShipsWith)
{
    // The sample's result documents are what a run over its lists gives.
    const Table shippedStatus = readTable(folder + "/_Stato_Liste.doc", 1, 2);
    const Table shippedFindings = readTable(folder + "/_Rapporto_Fascicolo.doc", 1, 3);
    const Table shippedMeasures = readTable(folder + "/_Rapporto_Fascicolo.doc", 2, 3);
    state.lShowStatus = true;
    state.lShowDetail = true;
    engine.FNZLOAD();
    frame.boxes.clear();
    const auto listsBefore = listDocuments(folder);

    engine.FNZPARSE();

    EXPECT_EQ(byList(readTable(folder + "/_Stato_Liste.doc", 1, 2)), byList(shippedStatus));
    EXPECT_EQ(byList(readTable(folder + "/_Rapporto_Fascicolo.doc", 1, 3)), byList(shippedFindings));
    EXPECT_EQ(byList(readTable(folder + "/_Rapporto_Fascicolo.doc", 2, 3)), byList(shippedMeasures));
    EXPECT_EQ(listDocuments(folder), listsBefore); // lists are only read
    // The scheme-breaking list and the two structural faults speak once each, captioned
    // Quarvello; nothing else is said.
    ASSERT_EQ(frame.boxes.size(), 3u);
    for (const auto& b : frame.boxes) {
        EXPECT_EQ(b.caption, "Quarvello");
        EXPECT_EQ(b.type, mb::Stop);
    }
    EXPECT_EQ(frame.treeItem("L10201")->stateImage, 2);
    EXPECT_EQ(frame.treeItem("L10202")->stateImage, 1);
    EXPECT_FALSE(frame.childrenOf("L10201").empty());
    EXPECT_FALSE(engine.oWord); // Word was closed at the end
    const auto& p = *frame.progress.back();
    EXPECT_EQ(p.caption, "Quarvello");
    EXPECT_EQ(p.positions.back(), 100);
    EXPECT_TRUE(p.cancelDisabled);
    EXPECT_TRUE(p.closed);
    EXPECT_EQ(p.texts.front(), "Scansione in corso lista " + state.aDossierLists.front() + " ...Attendere");
}

TEST_F(ReportRunTest, ACancelOnTheThirdOfFiveListsLeavesBlankCopiesAndTheFaces)
{
    state.lShowStatus = true;
    engine.FNZLOAD();
    state.aDossierLists.resize(5);
    const int faceBefore = frame.treeItem("L10201")->stateImage;
    frame.boxes.clear();
    frame.cancelAfterTexts = 3; // pressed while the third list is examined
    engine.FNZPARSE();
    EXPECT_EQ(boxTexts().back(), "Generazione rapporto interrotta");
    EXPECT_EQ(frame.boxes.back().type, mb::Exclamation);
    const auto& texts = frame.progress.back()->texts;
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                            [](const std::string& t) { return t.rfind("Scansione", 0) == 0; }),
              3);
    EXPECT_EQ(readTable(folder + "/_Stato_Liste.doc", 1, 2), readTable(root + "/_Stato_Liste.doc", 1, 2));
    EXPECT_EQ(readTable(folder + "/_Rapporto_Fascicolo.doc", 1, 3),
              readTable(root + "/_Rapporto_Fascicolo.doc", 1, 3));
    EXPECT_EQ(frame.treeItem("L10201")->stateImage, faceBefore);
    ASSERT_TRUE(engine.oWord);
    EXPECT_TRUE(engine.oWord->IsRunning()); // an early stop leaves its hidden Word running
    EXPECT_EQ(engine.oWord->Documents().Count(), 0);
}

TEST_F(ReportRunTest, WordQuitOrReplacedWhileEventsRunStopsTheRunAsACancel)
{
    // What the user may do at a pass of the event loop: close the window (its Word is quit and
    // dropped), close everything, or start a task that makes a new Word.
    struct Case {
        const char* what;
        std::function<void(Engine&)> meanwhile;
    } const cases[] = {
        {"window closed", [](Engine& e) { e.quitWordOnClose(); }},
        {"close-all", [](Engine& e) { e.FNZCLOSEALL(); }},
        {"another Word", [](Engine& e) { e.oWord.emplace(); }},
    };
    engine.FNZLOAD();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frame.boxes.clear();
        int passes = 0;
        frame.onPump = [&] {
            if (++passes == 2)
                c.meanwhile(engine);
        };
        engine.FNZPARSE();
        frame.onPump = nullptr;
        EXPECT_EQ(passes, 2); // the run stopped at once
        EXPECT_EQ(boxTexts().back(), "Generazione rapporto interrotta");
        EXPECT_TRUE(frame.progress.back()->closed);
        EXPECT_EQ(readFile(folder + "/_Stato_Liste.doc"), readFile(root + "/_Stato_Liste.doc"));
        EXPECT_EQ(readFile(folder + "/_Rapporto_Fascicolo.doc"), readFile(root + "/_Rapporto_Fascicolo.doc"));
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        engine.oWord.reset();
    }
}

TEST_F(ReportRunTest, EachEarlyStopSaysWhy)
{
    struct Case {
        const char* what;
        std::function<void(ReportRunTest&)> arrange;
        std::string message;
        bool examined; // a progress window was opened
    };
    const Case cases[] = {
        {"report template missing",
         [](ReportRunTest& t) { fs::remove(t.root + "/_Rapporto_Fascicolo.doc"); },
         root + "/_Rapporto_Fascicolo.doc\r\nIl file non esiste", false},
        {"status template missing", [](ReportRunTest& t) { fs::remove(t.root + "/_Stato_Liste.doc"); },
         root + "/_Stato_Liste.doc\r\nIl file non esiste", false},
        {"list not in the index",
         [](ReportRunTest& t) { t.state.aDossierLists.insert(t.state.aDossierLists.begin() + 1, "9.99.99"); },
         "9.99.99 - La lista non esiste nell'indice", true},
        {"list document gone",
         [](ReportRunTest& t) { fs::remove(t.folder + "/" + t.state.aDossierLists[1] + ".DOC"); },
         "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sample::writeSampleRoot(root);
        engine.FNZLOAD();
        const std::string second = state.aDossierLists[1];
        c.arrange(*this);
        frame.boxes.clear();
        frame.progress.clear();
        engine.FNZPARSE();
        const std::string expected = c.message.empty() ? second + " - La lista non esiste" : c.message;
        EXPECT_EQ(boxTexts().back(), expected);
        EXPECT_EQ(frame.boxes.back().caption, "Corvalta");
        EXPECT_EQ(frame.boxes.back().type, mb::Stop);
        EXPECT_EQ(frame.progress.empty(), !c.examined);
        EXPECT_TRUE(engine.oWord && engine.oWord->IsRunning());
        engine.FNZCLOSEALL();
    }
}

TEST_F(ReportRunTest, ADossierWithoutListsWritesTheTemplatesAsTheyAre)
{
    engine.FNZLOAD();
    state.aDossierLists.clear();
    frame.boxes.clear();
    engine.FNZPARSE();
    EXPECT_TRUE(frame.boxes.empty());
    EXPECT_EQ(readTable(folder + "/_Stato_Liste.doc", 1, 1), readTable(root + "/_Stato_Liste.doc", 1, 1));
    EXPECT_EQ(readTable(folder + "/_Rapporto_Fascicolo.doc", 2, 1), readTable(root + "/_Rapporto_Fascicolo.doc", 2, 1));
    EXPECT_FALSE(engine.oWord);
}

TEST_F(ReportRunTest, RowsAreInsertedAboveTheTemplateRowInOrder)
{
    engine.FNZLOAD();
    state.aDossierLists = {"1.02.02", "5.06.02", "1.01.02"}; // empty, empty, complete
    engine.FNZPARSE();
    EXPECT_EQ(readTable(folder + "/_Stato_Liste.doc", 1, 2),
              (Table{{"1.02.02", "1"}, {"5.06.02", "1"}, {"1.01.02", "4"}}));
    EXPECT_EQ(readTable(folder + "/_Rapporto_Fascicolo.doc", 1, 3),
              (Table{{"1.02.02", "L1", "Lista vuota - da compilare", "1"},
                     {"5.06.02", "L1", "Lista vuota - da compilare", "1"}}));
}

TEST_F(ReportRunTest, AListNumberedTwiceInTheIndexIsReadAsItsFirstRowSays)
{
    engine.FNZLOAD();
    state.aDossierLists = {"1.01.02"}; // a complete B1 list
    const auto first = std::find_if(state.aListIndex.begin(), state.aListIndex.end(),
                                    [](const IndexRow& r) { return r.number == "1.01.02"; });
    ASSERT_NE(first, state.aListIndex.end());
    ASSERT_EQ(first->kind, "B1");
    IndexRow later = *first;
    later.kind = "A1"; // its field names would break this kind's scheme
    state.aListIndex.push_back(later);
    frame.boxes.clear();
    engine.FNZPARSE();
    EXPECT_TRUE(frame.boxes.empty());
    EXPECT_EQ(readTable(folder + "/_Stato_Liste.doc", 1, 2), (Table{{"1.01.02", "4"}}));
}

} // namespace
