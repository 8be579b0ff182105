// Reading the list index from a real document, the built-in catalogue, and the rules for the
// one Word instance.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/fixture_docs.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace engine;
using namespace testsupport;
namespace db = docbuilder;

namespace {

const std::vector<Cells> kValidIndex = {
    {"1.00.00", "SICUREZZA PREVENTIVA", "", "", "T10000", "ROOT"},
    {"1.01.00", "Impresa", "", "", "T10100", "T10000"},
    {"1.01.01", "Documenti dell'impresa", "A1", "S", "L10101", "T10100"},
    {"", "", "", "", "", ""},
    {"1.01.02", "Idoneità tecnico professionale", "B1", "", "L10102", "T10100"},
    {"2.00.00", "SICUREZZA GENERALE", "", "", "T20000", "ROOT"},
    {"2.00.01", "Rischi naturali", "C1", " S", "L20001", "ROOT"},
};

class IndexTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        state.cRootDir = dir_.string();
    }
    void TearDown() override
    {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        TempDirTest::TearDown();
    }
    ProgramState state;
    RecordingFrame frame;
    Engine engine{state, frame};
};

TEST_F(IndexTest, AValidIndexFillsBothArraysInOrderAndKeepsItsWordHidden)
{
    writeIndex(path("_INDICE_LISTE.DOC"), kValidIndex); // names match whatever their case
    ASSERT_TRUE(engine.MTDLOAD1());
    ASSERT_EQ(state.aSectionIndex.size(), 3u);
    ASSERT_EQ(state.aListIndex.size(), 3u);
    EXPECT_EQ(state.aSectionIndex[1].symbol, "T10100");
    EXPECT_EQ(state.aSectionIndex[1].parent, "T10000");
    const auto& l = state.aListIndex;
    EXPECT_EQ(l[0].number, "1.01.01");
    EXPECT_EQ(l[0].title, "Documenti dell'impresa");
    EXPECT_EQ(l[0].kind, "A1");
    EXPECT_TRUE(l[0].mandatory);
    EXPECT_FALSE(l[1].mandatory);
    EXPECT_TRUE(l[2].mandatory); // a blank typed before the S is removed
    EXPECT_EQ(l[2].parent, "ROOT");
    EXPECT_TRUE(frame.boxes.empty());
    ASSERT_TRUE(engine.oWord);
    EXPECT_FALSE(engine.oWord->Visible());
    EXPECT_EQ(engine.oWord->Documents().Count(), 1); // the index stays open
    ASSERT_EQ(frame.progress.size(), 1u);
    const auto& p = *frame.progress[0];
    EXPECT_EQ(p.caption, "Quarvello");
    EXPECT_TRUE(p.cancelHidden);
    EXPECT_EQ(p.texts, std::vector<std::string>{"Caricamento dati... Attendere..."});
    EXPECT_EQ(p.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(p.positions.begin(), p.positions.end()));
    EXPECT_TRUE(p.closed);
}

TEST_F(IndexTest, EachValidationFailureNamesItsColumnAndTheWordRow)
{
    struct Case {
        const char* what;
        Cells bad;
        const char* message;
    };
    const Case cases[] = {
        {"empty title and symbol", {"1.01.03", "", "A1", "", "", "T10100"}, "Errore nell'indice liste [Titolo] riga: 4"},
        {"list without kind, no parent", {"1.01.03", "Lista", "", "", "L10103", ""}, "Errore nell'indice liste [Tipo] riga: 4"},
        {"symbol of another letter", {"1.01.03", "Lista", "A1", "", "X10103", "T10100"}, "Errore nell'indice liste [Simbolo] riga: 4"},
        {"lower-case symbol", {"1.01.03", "Lista", "A1", "", "l10103", "T10100"}, "Errore nell'indice liste [Simbolo] riga: 4"},
        {"empty parent", {"1.01.03", "Lista", "A1", "", "L10103", ""}, "Errore nell'indice liste [Simbolo Padre] riga: 4"},
        {"parent of another letter", {"1.01.03", "Lista", "A1", "", "L10103", "L10100"}, "Errore nell'indice liste [Simbolo Padre] riga: 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Row 4 is bad; row 5 would be bad too, but only the first is reported.
        writeIndex(path("_Indice_Liste.doc"),
                   {kValidIndex[0], kValidIndex[1], c.bad, {"9.99.99", "", "", "", "", ""}});
        frame.boxes.clear();
        EXPECT_FALSE(engine.MTDLOAD1());
        ASSERT_EQ(frame.boxes.size(), 1u);
        EXPECT_TRUE(frame.boxes[0].errorBox);
        EXPECT_EQ(frame.boxes[0].text, c.message);
        // The rows before the bad one stay; the Word started for the load was quit.
        EXPECT_EQ(state.aSectionIndex.size(), 2u);
        EXPECT_FALSE(engine.oWord);
        EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
    }
}

TEST_F(IndexTest, ASectionWithoutKindIsValid)
{
    writeIndex(path("_Indice_Liste.doc"), {{"1.00.00", "Sezione", "", "", "T10000", "Root"}});
    EXPECT_TRUE(engine.MTDLOAD1());
    EXPECT_EQ(state.aSectionIndex.size(), 1u);
}

TEST_F(IndexTest, AHeaderOnlyIndexOrOneOfBlankNumbersLoadsEmpty)
{
    for (const auto& rows : {std::vector<Cells>{}, std::vector<Cells>{{"", "x", "", "", "", ""}, {" ", "", "", "", "", ""}}}) {
        writeIndex(path("_Indice_Liste.doc"), rows);
        state.aSectionIndex = {IndexRow{}};
        EXPECT_TRUE(engine.MTDLOAD1());
        EXPECT_TRUE(state.aSectionIndex.empty());
        EXPECT_TRUE(state.aListIndex.empty());
        EXPECT_TRUE(frame.boxes.empty());
        engine.FNZCLOSEALL();
    }
}

TEST_F(IndexTest, TheMandatoryCellMustHoldExactlyS)
{
    const std::pair<const char*, bool> cases[] = {{"S", true}, {" S", true}, {"s", false},
                                                  {"Si", false}, {"S ", false}, {"", false}};
    for (const auto& [cell, mandatory] : cases) {
        SCOPED_TRACE(std::string("'") + cell + "'");
        writeIndex(path("_Indice_Liste.doc"), {{"1.01.01", "Lista", "A1", cell, "L10101", "ROOT"}});
        ASSERT_TRUE(engine.MTDLOAD1());
        ASSERT_EQ(state.aListIndex.size(), 1u);
        EXPECT_EQ(state.aListIndex[0].mandatory, mandatory);
        engine.FNZCLOSEALL();
    }
}

TEST_F(IndexTest, ABlankAfterTheNumberStaysInTheNumber)
{
    writeIndex(path("_Indice_Liste.doc"), {{"1.01.01 ", "Lista", "A1", "", "L10101", "ROOT"}});
    ASSERT_TRUE(engine.MTDLOAD1());
    EXPECT_EQ(state.aListIndex[0].number, "1.01.01 ");
}

TEST_F(IndexTest, AMissingIndexIsReportedAndStartsNoWord)
{
    EXPECT_FALSE(engine.MTDLOAD1());
    ASSERT_EQ(frame.boxes.size(), 1u);
    EXPECT_EQ(frame.boxes[0].text, path("_Indice_Liste.doc") + "\r\nIl file indice liste non esiste");
    EXPECT_EQ(frame.boxes[0].caption, "Corvalta");
    EXPECT_EQ(frame.boxes[0].type, mb::Stop);
    EXPECT_FALSE(engine.oWord);
    EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
    EXPECT_TRUE(frame.progress.empty());
}

TEST_F(IndexTest, ARunningWordIsQuitAndTheUserWarnedBeforeANewHiddenOne)
{
    writeIndex(path("_Indice_Liste.doc"), kValidIndex);
    engine.obtainWord();
    wordauto::DOC_Application held = *engine.oWord;
    ASSERT_TRUE(wordauto::DOC_Application::WindowExists());
    ASSERT_TRUE(engine.MTDLOAD1());
    ASSERT_EQ(frame.boxes.size(), 1u);
    EXPECT_EQ(frame.boxes[0].text, "Chiudere Word prima di proseguire");
    EXPECT_EQ(frame.boxes[0].type, mb::Exclamation);
    EXPECT_FALSE(held.IsRunning());
    ASSERT_TRUE(engine.oWord);
    EXPECT_FALSE(*engine.oWord == held);
    EXPECT_FALSE(engine.oWord->Visible());
}

TEST_F(IndexTest, TheCatalogueHasItsThirtyTwoSections)
{
    state.aListIndex = {IndexRow{}};
    engine.MTDLOAD0();
    EXPECT_TRUE(state.aListIndex.empty());
    ASSERT_EQ(state.aSectionIndex.size(), 32u);
    const auto& s = state.aSectionIndex;
    EXPECT_EQ(s[0].number, "1.00.00");
    EXPECT_EQ(s[0].symbol, "T10000");
    EXPECT_EQ(s[0].parent, "ROOT");
    EXPECT_EQ(s[24].number, "4.10.00");
    EXPECT_EQ(s[24].symbol, "T41000");
    EXPECT_EQ(s[24].parent, "T40000");
    EXPECT_EQ(s[26].number, "5.02.00"); // there is no 5.01.00
    EXPECT_EQ(s[31].title, "Attrezzature");
    for (const auto& row : s) {
        EXPECT_TRUE(row.kind.empty());
        EXPECT_FALSE(row.mandatory);
    }
}

TEST_F(IndexTest, CleaningDropsOnlyTrailingControlCharacters)
{
    EXPECT_EQ(NOCONTROL("abc\r\x07"), "abc");
    EXPECT_EQ(NOCONTROL("a\x01" "b\x1f"), "a\x01" "b");
    EXPECT_EQ(NOCONTROL("\r\x07"), "");
    EXPECT_EQ(cleanCell("  S \r\x07"), "S ");
    EXPECT_EQ(percentDown(655, 655), 100);
    EXPECT_EQ(percentDown(50000, 65535), 76); // no 16-bit overflow
}

class WordInstanceTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
    }
    ProgramState state;
    RecordingFrame frame;
    Engine engine{state, frame};
};

TEST_F(WordInstanceTest, TheObtainRuleStartsOnceAndReusesWhileAWindowExists)
{
    bool created = false;
    auto& first = engine.obtainWord(&created);
    EXPECT_TRUE(created);
    wordauto::DOC_Application kept = first;
    engine.obtainWord(&created);
    EXPECT_FALSE(created);
    EXPECT_TRUE(*engine.oWord == kept);
}

TEST_F(WordInstanceTest, CloseAllQuitsTheHeldWordAndClearsTheOpenFlag)
{
    engine.lDocsOpen = true;
    engine.FNZCLOSEALL(); // no Word: only the flag changes
    EXPECT_FALSE(engine.lDocsOpen);
    EXPECT_FALSE(engine.oWord);

    engine.obtainWord();
    wordauto::DOC_Application held = *engine.oWord;
    engine.lDocsOpen = true;
    engine.FNZCLOSEALL();
    EXPECT_FALSE(held.IsRunning());
    EXPECT_FALSE(engine.oWord);
    EXPECT_FALSE(engine.lDocsOpen);
}

TEST_F(WordInstanceTest, AfterCloseAllAUsersOwnWordIsNotReused)
{
    wordauto::DOC_Application users; // stands for a Word the user started
    engine.FNZCLOSEALL();
    bool created = false;
    engine.obtainWord(&created);
    EXPECT_TRUE(created);
    EXPECT_FALSE(*engine.oWord == users);
    users.Quit();
}

TEST_F(WordInstanceTest, ClosingTheMainWindowQuitsTheHeldWordOnly)
{
    EXPECT_TRUE(engine.quitWordOnClose()); // nothing held, nothing sent
    engine.obtainWord();
    wordauto::DOC_Application held = *engine.oWord;
    EXPECT_TRUE(engine.quitWordOnClose());
    EXPECT_FALSE(held.IsRunning());
    EXPECT_FALSE(engine.oWord);
}

} // namespace
