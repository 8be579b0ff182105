// Opening a list, the report and the merged dossier for the user: the messages, the visible
// Word that the rule gives, and an open copy brought to the front instead of opened again.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/engine_fixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testsupport;

namespace {

class OpenDocumentsTest : public DossierFolderTest {
protected:
    void SetUp() override
    {
        DossierFolderTest::SetUp();
        frame.treeAddItem(engine::kTreeRoot, {"T101", "1.01 Scavi", "1.01", true, 0});
        frame.treeAddItem("T101", {"L10101", "1.01.01 Scavi a sezione", "1.01.01", false, 0});
        frame.treeAddItem("T101", {"L10102", "1.01.02 Trincee", "1.01.02", false, 0});
    }

    // A document of the dossier folder under this file name, with a field to tell it by.
    std::string write(const std::string& file)
    {
        docbuilder::Document d;
        d.body = {docbuilder::TextField{"f001", file}};
        const std::string p = state.dossierFolder() + "/" + file;
        docbuilder::write(d, p);
        return p;
    }
    std::string activeField() const
    {
        return engine.oWord->ActiveDocument().FormFields().Item("f001").Result();
    }
};

struct MessageCase {
    const char* label;
    const char* selected; // tree item selected before the command ("" none)
    const char* file;     // a file written to the dossier folder first ("" none)
    void (engine::Engine::*command)();
    const char* text;
};

const MessageCase kMessages[] = {
    {"no item selected", "", "1.01.01.doc", &engine::Engine::FNZOPEN, "Selezionare una lista"},
    {"a section selected", "T101", "1.01.01.doc", &engine::Engine::FNZOPEN,
     "Selezionare una lista"},
    {"the list missing", "L10102", "1.01.01.doc", &engine::Engine::FNZOPEN,
     "La lista 1.01.02 non esiste"},
    {"the report missing", "L10101", "_Fascicolo.doc", &engine::Engine::FNZOPENR,
     "Non esiste il file rapporto per questo fascicolo"},
    {"a dossier never merged", "L10101", "_Rapporto_Fascicolo.doc", &engine::Engine::FNZOPENF,
     "Non esiste il file fascicolo"},
};

TEST_F(OpenDocumentsTest, EachMessageLeavesWordAndTheOpenFlagAsTheyWere)
{
    for (const auto& c : kMessages) {
        for (bool wordHeld : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.label << (wordHeld ? ", Word held" : ", no Word"));
            frame.boxes.clear();
            fs::remove_all(state.dossierFolder());
            fs::create_directories(state.dossierFolder());
            frame.selected = c.selected;
            write(c.file);
            std::optional<wordauto::DOC_Application> held;
            if (wordHeld)
                held = engine.obtainWord();
            (engine.*c.command)();

            ASSERT_EQ(frame.boxes.size(), 1u);
            EXPECT_EQ(frame.boxes[0].text, c.text);
            EXPECT_EQ(frame.boxes[0].caption, "Corvalta");
            EXPECT_EQ(frame.boxes[0].type, 0x20u);
            EXPECT_FALSE(frame.boxes[0].errorBox);
            EXPECT_FALSE(engine.lDocsOpen);
            if (wordHeld) {
                ASSERT_TRUE(engine.oWord);
                EXPECT_TRUE(*engine.oWord == *held);
                EXPECT_FALSE(held->Visible());
                EXPECT_EQ(held->Documents().Count(), 0);
                held->Quit(0);
                engine.oWord.reset();
            } else {
                EXPECT_FALSE(engine.oWord);
                EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
            }
        }
    }
}

TEST_F(OpenDocumentsTest, OpenTwiceOpensTheListOnceForEditingInAVisibleWord)
{
    write("1.01.01.doc"); // the command asks for "1.01.01.DOC"
    write("1.01.02.doc");
    frame.selected = "L10101";
    engine.FNZOPEN();
    ASSERT_TRUE(engine.oWord);
    const wordauto::DOC_Application word = *engine.oWord;
    EXPECT_TRUE(engine.lDocsOpen);
    EXPECT_TRUE(word.Visible());
    EXPECT_FALSE(word.ActiveDocument().ReadOnly());
    EXPECT_EQ(activeField(), "1.01.01.doc");

    frame.selected = "L10102";
    engine.FNZOPEN();
    EXPECT_EQ(activeField(), "1.01.02.doc");

    // The second time the copy already open comes to the front, in the same Word.
    frame.selected = "L10101";
    engine.FNZOPEN();
    EXPECT_TRUE(*engine.oWord == word);
    EXPECT_EQ(word.Documents().Count(), 2);
    EXPECT_EQ(activeField(), "1.01.01.doc");
    EXPECT_TRUE(frame.boxes.empty());
}

TEST_F(OpenDocumentsTest, AnOpenDocumentNamedInOtherCapitalsCountsAsTheSame)
{
    write("_Rapporto_Fascicolo.doc");
    // The report's name written all in capitals, open in the program's Word from elsewhere,
    // and another document the active one.
    auto& word = engine.obtainWord();
    for (const char* file : {"_RAPPORTO_FASCICOLO.DOC", "altro.doc"}) {
        docbuilder::Document d;
        const bool other = file == std::string("altro.doc");
        d.body = {docbuilder::TextField{"f001", other ? "other" : "in capitals"}};
        docbuilder::write(d, path(file));
        word.Documents().Open(path(file), false, true);
    }
    ASSERT_EQ(activeField(), "other");

    engine.FNZOPENR();
    EXPECT_EQ(word.Documents().Count(), 2);
    EXPECT_EQ(activeField(), "in capitals");
    EXPECT_TRUE(word.Visible());
    EXPECT_TRUE(engine.lDocsOpen);
}

TEST_F(OpenDocumentsTest, ReportAndDossierOpenReadOnlyAndOnceEach)
{
    for (const char* file : {"_Rapporto_Fascicolo.doc", "_Fascicolo.doc"}) {
        SCOPED_TRACE(file);
        write(file);
        const bool report = std::string(file) == "_Rapporto_Fascicolo.doc";
        for (int i = 0; i < 2; ++i)
            report ? engine.FNZOPENR() : engine.FNZOPENF();
        EXPECT_EQ(activeField(), file);
        EXPECT_TRUE(engine.oWord->ActiveDocument().ReadOnly());
    }
    EXPECT_EQ(engine.oWord->Documents().Count(), 2);
    EXPECT_TRUE(frame.boxes.empty());
}

TEST_F(OpenDocumentsTest, TheReportAfterAReportRunOpensInANewVisibleWord)
{
    write("_Rapporto_Fascicolo.doc");
    // The report run works in a hidden Word and quits it at its end.
    auto& run = engine.obtainWord();
    run.Visible(false);
    const wordauto::DOC_Application quit = run;
    engine.FNZCLOSEALL();
    ASSERT_FALSE(quit.IsRunning());

    engine.FNZOPENR();
    ASSERT_TRUE(engine.oWord);
    EXPECT_FALSE(*engine.oWord == quit);
    EXPECT_TRUE(engine.oWord->IsRunning());
    EXPECT_TRUE(engine.oWord->Visible());
    EXPECT_EQ(activeField(), "_Rapporto_Fascicolo.doc");
}

} // namespace
