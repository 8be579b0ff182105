// Start-up from the settings file, the folder choosers and the view switches of the main
// window, on real documents in a temporary root folder.
#include "app/dwmain.h"
#include "framework/folder_chooser.h"
#include "framework/inifile.h"
#include "framework/msgbox.h"
#include "tests/fixture_docs.h"
#include "tests/test_support.h"
#include "tests/window_fixture.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <filesystem>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::vector<Cells> kIndex = {
    {"0.00.01", "Dati generali della verifica", "A1", "S", "L00001", "ROOT"},
    {"1.00.00", "SICUREZZA PREVENTIVA", "", "", "T10000", "ROOT"},
    {"1.01.00", "Impresa", "", "", "T10100", "T10000"},
    {"1.01.01", "Documenti dell'impresa", "B1", "", "L10101", "T10100"},
    {"1.01.02", "Idoneità", "B1", "", "L10102", "T10100"},
};

class SettingsTest : public WindowFolderTest {
protected:
    void SetUp() override
    {
        WindowFolderTest::SetUp();
        root = (dir_ / "Cantieri 2026").string();
        dossier = root + "/DATI/Cantiere A";
        fs::create_directories(dossier);
        writeIndex(root + "/_Indice_Liste.doc", kIndex);
        writeNotesList(dossier + "/0.00.01.DOC", "Note del fascicolo");
        writeNotesList(dossier + "/1.01.01.DOC", "Notes of 1.01.01");
        writeNotesList(dossier + "/1.01.02.doc", "");
        writeTableDocument(dossier + "/_Stato_Liste.doc", {{"Lista", "Stato"}, {"1.01.01", "4"}, {"1.01.02", "2"}});
        writeTableDocument(dossier + "/_Rapporto_Fascicolo.doc",
                           {{"Lista", "Rif.", "Messaggio", "Stato"}, {"", "", "", ""},
                            {"1.01.02", "T1-001", "Manca spunta", "2"}});
    }
    void writeIni(const std::string& text) { writeFile(dir_ / "ORMK.INI", text); }
    std::string setting(const char* key) const { return framework::INIFILE("ORMK").GETSTRING("STP1", key); }
    app::DWMAIN& start()
    {
        window = std::make_unique<app::DWMAIN>(state);
        window->MTDINIT();
        return *window;
    }
    std::vector<QString> texts() const
    {
        std::vector<QString> out;
        for (const auto& b : vendrik::MessageBoxLog::shown())
            out.push_back(b.text);
        return out;
    }
    int face(const char* name) const { return window->TV1->GETITEMATTRIBUTES(name)->stateImage; }

    std::string root;
    std::string dossier;
};

TEST_F(SettingsTest, EachKeyIsReadWithItsDefaultAndLimit)
{
    struct Case {
        const char* ini;
        bool notes, status, detail, detailEnabled;
        unsigned pause;
    } const cases[] = {
        {"", false, false, false, false, 0},
        {"[stp1]\nCB1=1\ncb2=1\nCB3=1\nSLE9=12\n", true, true, true, false, 12},
        {"[STP1]\nCB1=2\nCB2=0\nCB3=1\nSLE9=90\n", false, false, false, false, 60},
        {"[STP1]\nCB2=1\nCB3=0\nSLE9=abc\n", false, true, false, false, 0},
        {"[ALTRO]\nCB1=1\n[STP1]\nCB2=1 \n", false, true, false, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        writeIni(c.ini);
        auto& w = start();
        EXPECT_EQ(state.lShowNotes, c.notes);
        EXPECT_EQ(state.lShowStatus, c.status);
        EXPECT_EQ(state.lShowDetail, c.detail);
        EXPECT_EQ(w.CB3->isChecked(), c.detail);
        EXPECT_EQ(state.nSle9, c.pause);
        if (!c.status) {
            EXPECT_FALSE(w.CB3->isEnabled());
        }
        EXPECT_EQ(w.CB1->isChecked(), c.notes);
        window.reset();
    }
    // CB3 stays as stored when CB2 forces it off.
    writeIni("[STP1]\nCB2=0\nCB3=1\n");
    start();
    EXPECT_EQ(setting("CB3"), "1");
}

TEST_F(SettingsTest, ALongRootFolderIsReadWholeAndTheDossierShows)
{
    const std::string deep = dir_.string() + "/" + std::string(70, 'c') + "/Cantieri della provincia";
    fs::create_directories(deep + "/DATI/Cantiere A");
    fs::copy(root + "/_Indice_Liste.doc", deep);
    fs::copy(dossier + "/0.00.01.DOC", deep + "/DATI/Cantiere A");
    fs::copy(dossier + "/1.01.01.DOC", deep + "/DATI/Cantiere A");
    ASSERT_GT(deep.size(), 79u);
    writeIni("[STP1]\nSLE0=" + deep + "\nSLE1=/Cantiere A\nCB2=1\n");
    auto& w = start();
    EXPECT_EQ(state.cRootDir, deep);
    EXPECT_EQ(w.SLEDIR0->text().toStdString(), deep);
    EXPECT_EQ(state.aDossierLists, (std::vector<std::string>{"0.00.01", "1.01.01"}));
    EXPECT_TRUE(w.menuItemEnabled(11057));
    EXPECT_TRUE(texts().empty());
}

TEST_F(SettingsTest, ARootWithoutIndexInstallsTheCatalogueAndDisablesLoading)
{
    fs::remove(root + "/_Indice_Liste.doc");
    writeIni("[STP1]\nSLE0=" + root + "\nSLE1=/Cantiere A\n");
    auto& w = start();
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_TRUE(texts()[0].endsWith("Il file indice liste non esiste"));
    EXPECT_FALSE(w.menuItemEnabled(11057));
    EXPECT_FALSE(w.menuItemEnabled(11070)); // no help file here
    EXPECT_EQ(state.aSectionIndex.size(), 32u);
    EXPECT_EQ(w.TV1->ITEMCOUNT(), 0); // no dossier load follows
}

TEST_F(SettingsTest, SwitchingStatusOffWhitensFacesDropsDetailsAndStoresBothOff)
{
    writeIni("[STP1]\nSLE0=" + root + "\nSLE1=/Cantiere A\nCB2=1\nCB3=1\n");
    auto& w = start();
    EXPECT_EQ(face("L10101"), 4);
    EXPECT_EQ(face("L10102"), 2);
    ASSERT_TRUE(w.TV1->GETITEMATTRIBUTES("X00003"));

    w.CB2->click();
    EXPECT_EQ(face("L10101"), 1);
    EXPECT_EQ(face("L10102"), 1);
    EXPECT_FALSE(w.TV1->GETITEMATTRIBUTES("X00003"));
    EXPECT_FALSE(w.CB3->isChecked());
    EXPECT_FALSE(w.CB3->isEnabled());
    EXPECT_EQ(setting("CB2"), "0");
    EXPECT_EQ(setting("CB3"), "0");

    w.CB2->click(); // faces come back, detail rows wait for their own switch
    EXPECT_EQ(face("L10101"), 4);
    EXPECT_TRUE(w.CB3->isEnabled());
    EXPECT_FALSE(w.TV1->GETITEMATTRIBUTES("X00003"));
    w.CB3->click();
    EXPECT_TRUE(w.TV1->GETITEMATTRIBUTES("X00003"));
    EXPECT_EQ(setting("CB3"), "1");
    EXPECT_TRUE(texts().empty());
}

TEST_F(SettingsTest, TheSettingIsWrittenBeforeTheViewChanges)
{
    writeIni("[STP1]\nSLE0=" + root + "\nSLE1=/Cantiere A\nCB2=1\n");
    auto& w = start();
    ASSERT_EQ(face("L10101"), 4);
    // A settings file that cannot be written stops the switch before the view changes.
    fs::remove(dir_ / "ORMK.INI");
    fs::create_directory(dir_ / "ORMK.INI");
    w.CB2->click();
    EXPECT_EQ(face("L10101"), 4);
    ASSERT_EQ(vendrik::MessageBoxLog::shown().size(), 1u);
    EXPECT_TRUE(texts()[0].contains("ORMK.INI"));
}

TEST_F(SettingsTest, TheDossierChooserAcceptsOnlyFoldersBelowData)
{
    writeIni("[STP1]\nSLE0=" + root + "\nSLE1=/Cantiere A\n");
    auto& w = start();
    fs::create_directories(root + "/DATI2/X");
    writeNotesList(root + "/DATI2/X/1.01.02.DOC", "");
    writeNotesList(root + "/DATI2/X/0.00.01.DOC", "");

    framework::FolderChooserScript::queueAnswer(QString::fromStdString(dir_.string()));
    w.PBDIR1();
    EXPECT_EQ(framework::FolderChooserScript::lastStart().toStdString(), root + "/DATI/Cantiere A");
    EXPECT_EQ(texts().back(), "Cartella non valida");
    EXPECT_EQ(setting("SLE1"), "/Cantiere A");
    EXPECT_EQ(state.aDossierLists.size(), 3u);

    framework::FolderChooserScript::queueAnswer(QString::fromStdString(root + "/DATI2/X"));
    w.PBDIR1();
    EXPECT_EQ(setting("SLE1"), "2/X");
    EXPECT_EQ(state.dossierFolder(), root + "/DATI2/X");
    EXPECT_EQ(state.aDossierLists, (std::vector<std::string>{"0.00.01", "1.01.02"}));

    framework::FolderChooserScript::queueAnswer(QString::fromStdString(root + "/DATI"));
    w.PBDIR1();
    EXPECT_EQ(setting("SLE1"), "");
    EXPECT_EQ(texts().back(), "Selezionare una cartella fascicolo");
    EXPECT_EQ(w.TV1->ITEMCOUNT(), 0);

    const auto before = texts().size();
    framework::FolderChooserScript::queueAnswer(""); // cancelled: nothing changes
    w.PBDIR1();
    EXPECT_EQ(texts().size(), before);
    EXPECT_EQ(setting("SLE1"), "");
}

TEST_F(SettingsTest, TheRootChooserKeepsTheCaseAndReloadsEverything)
{
    writeIni("[STP1]\nSLE1=/Cantiere A\n");
    auto& w = start();
    vendrik::MessageBoxLog::clear();
    framework::FolderChooserScript::queueAnswer(QString::fromStdString(root));
    w.PBDIR0();
    EXPECT_EQ(setting("SLE0"), root);
    EXPECT_EQ(w.SLEDIR0->text().toStdString(), root);
    EXPECT_EQ(state.aListIndex.size(), 3u);
    EXPECT_EQ(state.aDossierLists.size(), 3u);
    EXPECT_TRUE(texts().empty());
}

TEST_F(SettingsTest, NotesFollowTheSelectionWhileTheirSwitchIsOn)
{
    writeIni("[STP1]\nSLE0=" + root + "\nSLE1=/Cantiere A\n");
    auto& w = start();
    w.TV1->SELECTITEM("L10101");
    EXPECT_EQ(w.MLE1->toPlainText(), ""); // switch off: untouched
    w.CB1->click();
    EXPECT_EQ(w.MLE1->toPlainText(), "Notes of 1.01.01");
    EXPECT_EQ(setting("CB1"), "1");
    w.TV1->SELECTITEM("T10100");
    EXPECT_EQ(w.MLE1->toPlainText(), "");
    w.TV1->SELECTITEM("L10101");
    EXPECT_EQ(w.MLE1->toPlainText(), "Notes of 1.01.01");
    w.CB1->click();
    EXPECT_EQ(w.MLE1->toPlainText(), "");
    EXPECT_EQ(setting("CB1"), "0");
}

} // namespace
