// The dossier on screen, headless: the load of a dossier folder into the tree, the header and
// notes boxes, and the faces and detail rows read back from the result documents.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/fixture_docs.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace engine;
using namespace testsupport;
namespace db = docbuilder;

namespace {

IndexRow section(const std::string& number, const std::string& symbol, const std::string& parent)
{
    return {number, "Sezione " + number, "", false, symbol, parent};
}
IndexRow list(const std::string& number, const std::string& kind = "B1")
{
    const std::string symbol = listItemName(number);
    return {number, "Lista " + number, kind, false, symbol, "T" + withoutPoints(number.substr(0, 4) + ".00")};
}

class DossierTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        state.cRootDir = dir_.string();
        state.cDossierDir = "/Cantiere Nord";
        frame.dossierBox = state.cDossierDir;
        folder = state.dossierFolder();
        std::filesystem::create_directories(folder);
        state.aSectionIndex = {section("1.00.00", "T10000", "ROOT"), section("1.01.00", "T10100", "T10000"),
                               section("2.00.00", "T20000", "ROOT"), section("1.10.00", "T11000", "T10000")};
        state.aListIndex = {list("1.01.01"), list("1.01.02"), list("2.00.01", "C1"), list("0.00.01", "A1")};
        state.aListIndex[2].parent = "T20000";
        state.aListIndex[3].parent = "ROOT";
    }
    void TearDown() override
    {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        TempDirTest::TearDown();
    }
    std::string in(const std::string& name) const { return folder + "/" + name; }
    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> out;
        for (const auto& b : frame.boxes)
            out.push_back(b.text);
        return out;
    }
    void writeHeader(bool withDate = true)
    {
        db::Document d;
        std::vector<db::Inline> fields = {db::TextField{"f001", " Edil Rossi S.r.l. "},
                                          db::TextField{"f002", "non letto"},
                                          db::TextField{"f003", "Ristrutturazione"},
                                          db::TextField{"f004", "Via Roma 1"},
                                          db::TextField{"f005", "Ing. Bianchi"},
                                          db::TextField{"note1", "  Sopralluogo con pioggia  "}};
        if (withDate)
            fields.push_back(db::TextField{"f006", "05.03.10"});
        d.body = {db::para(fields)};
        db::write(d, in("0.00.01.DOC"));
    }

    ProgramState state;
    RecordingFrame frame;
    Engine engine{state, frame};
    std::string folder;
};

TEST_F(DossierTest, KnownListsHangUnderTheirSectionsAndUnknownOnesAreReportedOneByOne)
{
    writeHeader();
    for (const char* f : {"1.01.02.doc", "1.01.01.DOC", "9.99.01.DOC", "9.99.02.DOC", "2.00.01.DOC",
                          "1.AB.CD.DOC", "note.txt", "1.01.03x.DOC", "1.0à.01.doc"})
        writeNotesList(in(f), "");
    std::filesystem::create_directory(in("1.02.00.DOC")); // a folder is not a document
    engine.FNZLOAD();

    auto texts = boxTexts();
    std::sort(texts.begin(), texts.end()); // the order within one digit is the listing's
    // "?" takes one character, so "1.0à.01" is a number as long as any other.
    EXPECT_EQ(texts, (std::vector<std::string>{"La lista 1.0à.01 non esiste nel file indice",
                                               "La lista 1.AB.CD non esiste nel file indice",
                                               "La lista 9.99.01 non esiste nel file indice",
                                               "La lista 9.99.02 non esiste nel file indice"}));
    for (const auto& b : frame.boxes) {
        EXPECT_EQ(b.caption, "Corvalta");
        EXPECT_EQ(b.type, mb::Question);
    }
    std::vector<std::string> lists = state.aDossierLists;
    EXPECT_EQ(lists.front(), "0.00.01");
    std::sort(lists.begin(), lists.end());
    EXPECT_EQ(lists, (std::vector<std::string>{"0.00.01", "1.01.01", "1.01.02", "2.00.01"}));
    // Top sections sorted by value (1.10.00 stays under 1.00.00, after 1.01.00 as added).
    EXPECT_EQ(frame.childrenOf("ROOT"), (std::vector<std::string>{"L00001", "T10000", "T20000"}));
    EXPECT_EQ(frame.childrenOf("T10000"), (std::vector<std::string>{"T10100", "T11000"}));
    const auto sectionItem = frame.treeItem("T10100");
    ASSERT_TRUE(sectionItem);
    EXPECT_TRUE(sectionItem->bold);
    EXPECT_EQ(sectionItem->stateImage, 0);
    EXPECT_EQ(sectionItem->caption, "1.01.00 - Sezione 1.01.00");
    const auto listItem = frame.treeItem("L10101");
    ASSERT_TRUE(listItem);
    EXPECT_FALSE(listItem->bold);
    EXPECT_EQ(listItem->stateImage, 1);
    EXPECT_EQ(listItem->value, "1.01.01");
    EXPECT_EQ(frame.header[1], "Edil Rossi S.r.l.");
    EXPECT_EQ(frame.suspendDepth, 0);
    EXPECT_EQ(frame.expands, 1);
    ASSERT_EQ(frame.progress.size(), 1u);
    EXPECT_TRUE(frame.progress[0]->cancelHidden);
    EXPECT_EQ(frame.progress[0]->positions.back(), 100);
    EXPECT_TRUE(frame.progress[0]->closed);
    // A hidden Word without documents stays for the next task.
    ASSERT_TRUE(engine.oWord);
    EXPECT_EQ(engine.oWord->Documents().Count(), 0);
    EXPECT_FALSE(engine.oWord->Visible());
}

TEST_F(DossierTest, AListNumberedTwiceInTheIndexHangsAsItsFirstRowSays)
{
    IndexRow later = list("1.01.01");
    later.title = "Seconda riga";
    later.parent = "T20000";
    state.aListIndex.push_back(later);
    writeHeader();
    writeNotesList(in("1.01.01.DOC"), "");
    engine.FNZLOAD();
    const auto item = frame.treeItem("L10101");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->caption, "1.01.01 - Lista 1.01.01");
    EXPECT_EQ(frame.childrenOf("T10100"), std::vector<std::string>{"L10101"});
    EXPECT_EQ(frame.childrenOf("T20000"), std::vector<std::string>{});
}

TEST_F(DossierTest, TheBarMovesAsIfEachUnknownNumberLeftTheArrayWhereItStood)
{
    state.aListIndex.push_back(list("5.00.01"));
    state.aListIndex.back().parent = "T20000";
    // One file per first digit, so the listing's order is the digits' order: known, unknown,
    // unknown, known.
    for (const char* f : {"1.01.01.DOC", "3.99.01.DOC", "4.99.01.DOC", "5.00.01.DOC"})
        writeNotesList(in(f), "");
    engine.FNZLOAD();
    EXPECT_EQ(state.aDossierLists, (std::vector<std::string>{"1.01.01", "5.00.01"}));
    ASSERT_EQ(frame.progress.size(), 1u);
    // 1 of 4, 2 of 4, then 2 of 3 and 2 of 2 as the array shrinks.
    EXPECT_EQ(frame.progress[0]->positions, (std::vector<int>{0, 25, 50, 66, 100}));
}

TEST_F(DossierTest, AnEmptyDossierShowsEverySectionAndAsksForTheHeader)
{
    engine.FNZLOAD();
    EXPECT_EQ(boxTexts(), std::vector<std::string>{
                              "La lista 0.00.01.doc non esiste\r\nImpossibile visualizzare i dati della verifica"});
    EXPECT_TRUE(state.aDossierLists.empty());
    EXPECT_EQ(frame.treeOutline(), "T10000\n  T10100\n  T11000\nT20000\n");
    for (int box = 1; box <= 5; ++box)
        EXPECT_EQ(frame.header[box], "");
}

TEST_F(DossierTest, WithoutAFolderNothingLoadsAndNoWordStarts)
{
    struct Case {
        std::string box;
        std::string dossier;
        std::string message;
    };
    const Case cases[] = {
        {"", "/Cantiere Nord", "Selezionare una cartella fascicolo"},
        {"   ", "/Cantiere Nord", "Selezionare una cartella fascicolo"},
        {"/Manca", "/Manca", dir_.string() + "/DATI/Manca\r\nLa cartella non esiste"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        writeNotesList(in("1.01.01.DOC"), "");
        frame = RecordingFrame{};
        frame.header[1] = "prima";
        frame.dossierBox = c.box;
        state.cDossierDir = c.dossier;
        state.aDossierLists = {"1.01.01"};
        engine.FNZLOAD();
        EXPECT_EQ(boxTexts(), std::vector<std::string>{c.message});
        EXPECT_TRUE(state.aDossierLists.empty());
        EXPECT_EQ(frame.treeOutline(), "");
        EXPECT_EQ(frame.header[1], "prima"); // the header is not touched
        EXPECT_TRUE(frame.progress.empty());
        EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
    }
}

TEST_F(DossierTest, TheHeaderFillsTheBoxesAndTheNotesOnlyWhenShown)
{
    for (bool notes : {false, true}) {
        SCOPED_TRACE(notes);
        writeHeader(/*withDate=*/notes);
        state.lShowNotes = notes;
        engine.FNZLOAD();
        EXPECT_EQ(frame.header[1], "Edil Rossi S.r.l.");
        EXPECT_EQ(frame.header[2], "Via Roma 1");
        EXPECT_EQ(frame.header[3], "Ristrutturazione");
        EXPECT_EQ(frame.header[4], notes ? "05.03.10" : ""); // f006 missing: the date stays empty
        EXPECT_EQ(frame.header[5], "Ing. Bianchi");
        EXPECT_EQ(frame.notes, notes ? "Sopralluogo con pioggia" : "");
    }
}

TEST_F(DossierTest, NotesComeFromTheFileOrFromTheCopyBeingEdited)
{
    writeNotesList(in("1.01.01.DOC"), " Manca il parapetto ");
    state.aDossierLists = {"1.01.01"};
    frame.treeAddItem("ROOT", TreeItem{"L10101", "1.01.01 - Lista", "1.01.01", false, 1});
    frame.treeAddItem("ROOT", TreeItem{"T10000", "1.00.00 - Sezione", "1.00.00", true, 0});

    frame.selected = "T10000";
    engine.MTDLOAD3();
    frame.selected = "";
    engine.MTDLOAD3();
    EXPECT_EQ(boxTexts(), std::vector<std::string>(2, "Selezionare una lista"));

    frame.selected = "L10101";
    engine.MTDLOAD3();
    EXPECT_EQ(frame.notes, "Manca il parapetto");
    ASSERT_EQ(frame.progress.size(), 1u);
    EXPECT_TRUE(frame.progress[0]->barHidden);
    EXPECT_TRUE(frame.progress[0]->cancelHidden);
    EXPECT_EQ(frame.progress[0]->texts, std::vector<std::string>{"Caricamento note lista... Attendere..."});
    EXPECT_EQ(engine.oWord->Documents().Count(), 0); // what it opened, it closed

    // The user has the list open and changed its notes without saving.
    engine.lDocsOpen = true;
    auto editing = engine.oWord->Documents().Open(in("1.01.01.DOC"), false, false);
    editing.FormFields().Item("note1").Result("Parapetto montato");
    engine.oWord->Documents().Add(in("1.01.01.DOC")); // another document is active meanwhile
    engine.MTDLOAD3();
    EXPECT_EQ(frame.notes, "Parapetto montato");
    EXPECT_EQ(engine.oWord->Documents().Count(), 2); // the user's copy stays open

    std::filesystem::remove(in("1.01.01.DOC"));
    engine.MTDLOAD3();
    EXPECT_EQ(boxTexts().back(), "La lista 1.01.01 non esiste\r\nImpossibile visualizzare le note");
    editing.Close(0);
}

class ResultsTest : public DossierTest {
protected:
    void SetUp() override
    {
        DossierTest::SetUp();
        for (const char* f : {"1.01.01.DOC", "1.01.02.DOC", "2.00.01.DOC"})
            writeNotesList(in(f), "");
        writeTableDocument(in("_Stato_Liste.doc"), {{"Lista", "Stato"},
                                             {"1.01.01", "3 "},
                                             {"9.99.99", "2"},   // not in the index
                                             {"1.01.02 ", "2"},  // blank after the number
                                             {"2.00.01", "4"},
                                             {"2.00.01", "2"},   // a later line wins
                                             {"", "4"}});
        writeTableDocument(in("_Rapporto_Fascicolo.doc"), {{"Lista", "Rif.", "Messaggio", "Stato"},
                                                    {"Lista", "", "", ""},
                                                    {"1.01.01", "t2-013", "Campo descrizione compilato", "3"},
                                                    {"1.01.02", "T1-001", "Manca spunta", "x"},
                                                    {"2.00.01", "T1-002", "PSC/POS manca spunta", "2"},
                                                    {"1.01.01", "L1", "Lista vuota - da compilare", "1"}});
        state.lShowStatus = true;
    }
};

TEST_F(ResultsTest, FacesAndDetailRowsAreReadBackByTheRowRule)
{
    state.lShowDetail = true;
    engine.FNZLOAD();
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 3);
    EXPECT_EQ(frame.treeItem("L10102")->stateImage, 1);
    EXPECT_EQ(frame.treeItem("L20001")->stateImage, 2);
    EXPECT_EQ(frame.childrenOf("L10101"), (std::vector<std::string>{"X00003", "X00006"}));
    const auto detail = frame.treeItem("X00003");
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->caption, "Rif.: [ T2-013 ] - Campo descrizione compilato");
    EXPECT_EQ(detail->value, "t2-013");
    EXPECT_EQ(detail->stateImage, 3);
    EXPECT_EQ(frame.treeItem("X00004")->stateImage, 0); // no digits read as 0
    EXPECT_FALSE(frame.treeItem("X00002"));             // the second header row drops out
    // Not interactive: nothing is reported and nothing is left open.
    EXPECT_EQ(boxTexts(), std::vector<std::string>{
                              "La lista 0.00.01.doc non esiste\r\nImpossibile visualizzare i dati della verifica"});
    EXPECT_EQ(engine.oWord->Documents().Count(), 0);

    engine.MTDSTATUS2(true); // twice gives one set, not two
    EXPECT_EQ(frame.childrenOf("L10101").size(), 2u);

    engine.MTDRESET2();
    EXPECT_TRUE(frame.childrenOf("L10101").empty());
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 3);
    engine.MTDRESET1();
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 1);
    EXPECT_EQ(frame.treeItem("L20001")->stateImage, 1);
}

TEST_F(ResultsTest, DetailRowsNeedTheStatusViewToo)
{
    state.lShowStatus = false;
    state.lShowDetail = true;
    engine.FNZLOAD();
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 1);
    EXPECT_TRUE(frame.childrenOf("L10101").empty());
}

TEST_F(ResultsTest, MissingResultsAreReportedOnlyWhenTheUserAsked)
{
    std::filesystem::remove(in("_Stato_Liste.doc"));
    std::filesystem::remove(in("_Rapporto_Fascicolo.doc"));
    state.lShowDetail = true;
    engine.FNZLOAD();
    const std::size_t before = frame.boxes.size();
    frame.treeAddItem("L10101", TreeItem{"X00009", "vecchio", "T1", false, 2});
    engine.MTDSTATUS1(true);
    engine.MTDSTATUS2(true);
    ASSERT_EQ(frame.boxes.size(), before + 2);
    EXPECT_EQ(frame.boxes[before].text,
              "Per questo fascicolo non esiste il file _Stato_Liste.doc\r\nÈ necessario generare il rapporto");
    EXPECT_EQ(frame.boxes[before + 1].text,
              "Per questo fascicolo non esiste il file _Rapporto_Fascicolo.doc\r\nÈ necessario generare il rapporto");
    EXPECT_EQ(frame.boxes[before].type, mb::Question);
    EXPECT_TRUE(frame.childrenOf("L10101").empty()); // old detail rows go even so
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 1);
}

TEST_F(ResultsTest, AnInteractiveReadExpandsClosesItsDocumentAndShowsWordAgainForTheUser)
{
    engine.FNZLOAD();
    engine.lDocsOpen = true;
    const int expands = frame.expands;
    engine.MTDSTATUS1(true);
    EXPECT_EQ(frame.expands, expands + 1);
    EXPECT_EQ(engine.oWord->Documents().Count(), 0);
    EXPECT_TRUE(engine.oWord->Visible());
}

TEST_F(ResultsTest, ADocumentInBothCasesIsOneListOfTheDossierTwice)
{
    writeNotesList(in("1.01.01.doc"), ""); // beside 1.01.01.DOC: both match the listing
    state.lShowDetail = true;
    engine.FNZLOAD();
    EXPECT_EQ(std::count(state.aDossierLists.begin(), state.aDossierLists.end(), "1.01.01"), 2);
    auto lists = frame.childrenOf("T10100"); // in the listing's order
    std::sort(lists.begin(), lists.end());
    EXPECT_EQ(lists, (std::vector<std::string>{"L10101", "L10102"}));
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 3);
    EXPECT_EQ(frame.childrenOf("L10101"), (std::vector<std::string>{"X00003", "X00006"}));

    // One of the two leaves the dossier: the other keeps its rows read.
    state.aDossierLists.erase(std::find(state.aDossierLists.begin(), state.aDossierLists.end(), "1.01.01"));
    engine.MTDRESET1();
    engine.MTDSTATUS1(true);
    engine.MTDSTATUS2(true);
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 3);
    EXPECT_EQ(frame.childrenOf("L10101"), (std::vector<std::string>{"X00003", "X00006"}));
}

TEST_F(ResultsTest, ARowWhoseListLeftTheDossierIsSkippedThoughItsItemIsStillThere)
{
    state.lShowDetail = true;
    engine.FNZLOAD();
    ASSERT_EQ(frame.treeItem("L20001")->stateImage, 2);
    // 2.00.01 leaves the array; its item stays in the tree, so only the row rule keeps its
    // rows out.
    state.aDossierLists.erase(std::find(state.aDossierLists.begin(), state.aDossierLists.end(), "2.00.01"));
    TreeItem item = *frame.treeItem("L20001");
    item.stateImage = 1;
    frame.treeSetItem(item);
    frame.treeDeleteItem("L20001", true);
    engine.MTDSTATUS1(true);
    engine.MTDSTATUS2(true);
    EXPECT_EQ(frame.treeItem("L20001")->stateImage, 1);
    EXPECT_TRUE(frame.childrenOf("L20001").empty());
    EXPECT_EQ(frame.treeItem("L10101")->stateImage, 3); // the others are read as before
    EXPECT_EQ(frame.childrenOf("L10101"), (std::vector<std::string>{"X00003", "X00006"}));
}

} // namespace
