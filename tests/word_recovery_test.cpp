// Recovery copies of lists with unsaved changes: written by the keeper under the user's cache
// folder, offered when the list is opened again after the program died, gone once the changes
// are saved or discarded.
#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/doc/doc_recovery.h"
#include "wordauto/window/recovery.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace testsupport;
using wordauto::DOC_Application;

namespace {

class RecoveryTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        ::setenv("XDG_CACHE_HOME", path("cache").c_str(), 1);
        fs::create_directories(dir_ / "dossier");
        list = path("dossier/1.01.01.doc");
        docbuilder::Document d;
        d.body = {docbuilder::TextField{"f001", "vuoto"}, docbuilder::CheckBox{"c001", false}};
        docbuilder::write(d, list);
        // The list was saved a while ago, as the lists of a dossier are.
        fs::last_write_time(list, fs::file_time_type::clock::now() - std::chrono::minutes(5));
        original = readFile(list);
        DOC_Application::SetRecoveryPrompt([this](const std::string& name) {
            asked.push_back(name);
            return takeRecovered;
        });
        DOC_Application::SetSavePrompt([this](const std::string&) { return saveAnswer; });
    }
    void TearDown() override
    {
        DOC_Application::SetRecoveryPrompt({});
        DOC_Application::SetSavePrompt({});
        ::unsetenv("XDG_CACHE_HOME");
        TempDirTest::TearDown();
    }

    // The list opened for editing in a visible Word, its field typed into.
    static wordauto::DOC_Document editVisibly(DOC_Application& word, const std::string& file)
    {
        auto doc = word.Documents().Open(file, false, false);
        word.Visible(true);
        doc.FormFields().Item("f001").Result("modificato");
        doc.FormFields().Item("c001").CheckBox().Value(true);
        return doc;
    }

    // A child process edits the list and lets the keeper write its copy, then dies unsaved.
    void editAndDie()
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int code = 1;
            try {
                DOC_Application word;
                editVisibly(word, list);
                wordauto::window::recoveryKeeper().tick();
                code = 0;
            } catch (...) {
            }
            ::_exit(code);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }

    std::string copy() const { return wordauto::detail::recoveryCopyPath(list); }

    std::string list;
    std::string original;
    std::vector<std::string> asked;
    bool takeRecovered = true;
    wordauto::SaveAnswer saveAnswer = wordauto::SaveAnswer::No;
};

TEST_F(RecoveryTest, AfterACrashTheEditsAreOfferedAndYesTakesThem)
{
    editAndDie();
    ASSERT_TRUE(fs::exists(copy()));
    EXPECT_EQ(readFile(list), original); // nothing was saved

    DOC_Application word;
    auto doc = word.Documents().Open(list, false, false);
    EXPECT_EQ(asked, std::vector<std::string>{"1.01.01.doc"});
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "modificato");
    EXPECT_TRUE(doc.FormFields().Item("c001").CheckBox().Value());
    // Still the list itself, with the recovered values not yet saved.
    EXPECT_EQ(doc.FullName(), fs::path(list).lexically_normal().string());
    EXPECT_FALSE(doc.Saved());
    EXPECT_FALSE(doc.ReadOnly());
    EXPECT_EQ(readFile(list), original);

    doc.Save();
    EXPECT_FALSE(fs::exists(copy()));
    word.Quit(0);

    DOC_Application again;
    auto reopened = again.Documents().Open(list, false, false);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(reopened.FormFields().Item("f001").Result(), "modificato");
    again.Quit(0);
}

TEST_F(RecoveryTest, NoRemovesTheCopyAndOpensTheFileAsSaved)
{
    editAndDie();
    takeRecovered = false;
    DOC_Application word;
    auto doc = word.Documents().Open(list, false, false);
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "vuoto");
    EXPECT_TRUE(doc.Saved());
    EXPECT_FALSE(fs::exists(copy()));
    word.Quit(0);
}

TEST_F(RecoveryTest, AListSavedSinceIsNotOfferedTheOlderCopy)
{
    editAndDie();
    // Saved afterwards, with other values, by someone else.
    docbuilder::Document d;
    d.body = {docbuilder::TextField{"f001", "salvato dopo"}, docbuilder::CheckBox{"c001", false}};
    docbuilder::write(d, list);
    fs::last_write_time(list, fs::last_write_time(copy()) + std::chrono::seconds(10));

    DOC_Application word;
    auto doc = word.Documents().Open(list, false, false);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "salvato dopo");
    word.Quit(0);
}

TEST_F(RecoveryTest, ReadOnlyOpensAreNotAskedAndKeepTheCopy)
{
    editAndDie();
    DOC_Application word;
    auto doc = word.Documents().Open(list, false, true);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "vuoto");
    EXPECT_TRUE(fs::exists(copy()));
    word.Quit(0);
}

TEST_F(RecoveryTest, ADamagedCopyIsIgnoredAndRemoved)
{
    editAndDie();
    for (const std::string& bytes :
         {std::string("not a package"), std::string(), std::string("PK\x03\x04", 4)}) {
        SCOPED_TRACE(bytes.size());
        writeFile(copy(), bytes);
        DOC_Application word;
        auto doc = word.Documents().Open(list, false, false);
        EXPECT_TRUE(asked.empty());
        EXPECT_EQ(doc.FormFields().Item("f001").Result(), "vuoto");
        EXPECT_FALSE(fs::exists(copy()));
        word.Quit(0);
        // The path beside it stays only with its copy.
        fs::create_directories(fs::path(copy()).parent_path());
        writeFile(copy() + ".path", fs::path(list).lexically_normal().string());
    }
}

TEST_F(RecoveryTest, ACopyIsWrittenUnderTheCacheFolderNeverBesideTheList)
{
    DOC_Application word;
    editVisibly(word, list);
    wordauto::window::recoveryKeeper().tick();
    ASSERT_TRUE(fs::exists(copy()));
    EXPECT_EQ(fs::path(copy()).parent_path(), dir_ / "cache" / "quarvello" / "recovery");
    std::vector<std::string> inDossier;
    for (const auto& e : fs::directory_iterator(dir_ / "dossier"))
        inDossier.push_back(e.path().filename().string());
    EXPECT_EQ(inDossier, std::vector<std::string>{"1.01.01.doc"});
    EXPECT_EQ(readFile(list), original);
    // The copy is a whole package holding the edits.
    DOC_Application reader;
    auto copied = reader.Documents().Open(copy(), false, true);
    EXPECT_EQ(copied.FormFields().Item("f001").Result(), "modificato");
    reader.Quit(0);
    word.Quit(0);
}

TEST_F(RecoveryTest, SavingOrDiscardingRemovesTheCopy)
{
    using Finish = std::function<void(DOC_Application&, wordauto::DOC_Document&)>;
    const struct {
        const char* label;
        Finish finish;
        bool saved;
    } cases[] = {
        {"Save", [](DOC_Application&, wordauto::DOC_Document& d) { d.Save(); }, true},
        {"Close(0)", [](DOC_Application&, wordauto::DOC_Document& d) { d.Close(0); }, false},
        {"Quit(0)", [](DOC_Application& w, wordauto::DOC_Document&) { w.Quit(0); }, false},
        {"No to the save question", [](DOC_Application&, wordauto::DOC_Document& d) { d.Close(); },
         false},
        {"Yes to the save question",
         [this](DOC_Application&, wordauto::DOC_Document& d) {
             saveAnswer = wordauto::SaveAnswer::Yes;
             d.Close();
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeFile(list, original);
        fs::last_write_time(list, fs::file_time_type::clock::now() - std::chrono::minutes(5));
        saveAnswer = wordauto::SaveAnswer::No;
        DOC_Application word;
        auto doc = editVisibly(word, list);
        wordauto::window::recoveryKeeper().tick();
        ASSERT_TRUE(fs::exists(copy()));
        c.finish(word, doc);
        EXPECT_FALSE(fs::exists(copy()));
        EXPECT_FALSE(fs::exists(copy() + ".path"));
        EXPECT_EQ(readFile(list) != original, c.saved);
        if (word.IsRunning())
            word.Quit(0);
    }
    EXPECT_TRUE(asked.empty());
}

TEST_F(RecoveryTest, EveryKindOfEditIsKeptInTheCopy)
{
    docbuilder::Document d;
    d.body = {docbuilder::table({docbuilder::row({"1.01.01", docbuilder::TextField{"f001", "vuoto"},
                                                  docbuilder::CheckBox{"c001", false}})})};
    docbuilder::write(d, list);
    using Edit = std::function<void(wordauto::DOC_Document&)>;
    const struct {
        const char* label;
        Edit edit;
        Edit check;
    } cases[] = {
        {"a text field", [](auto& doc) { doc.FormFields().Item("f001").Result("scritto"); },
         [](auto& doc) { EXPECT_EQ(doc.FormFields().Item("f001").Result(), "scritto"); }},
        {"a check box", [](auto& doc) { doc.FormFields().Item("c001").CheckBox().Value(true); },
         [](auto& doc) { EXPECT_TRUE(doc.FormFields().Item("c001").CheckBox().Value()); }},
        {"a cell", [](auto& doc) { doc.Tables().Item(1).Cell(1, 1).Range().Text_("9.99.99"); },
         [](auto& doc) {
             EXPECT_EQ(doc.Tables().Item(1).Cell(1, 1).Range().Text_().substr(0, 7), "9.99.99");
         }},
        {"a row", [](auto& doc) { doc.Tables().Item(1).Rows().Add(); },
         [](auto& doc) { EXPECT_EQ(doc.Tables().Item(1).Rows().Count(), 2); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        {
            DOC_Application word;
            auto doc = word.Documents().Open(list, false, false);
            word.Visible(true);
            c.edit(doc);
            EXPECT_FALSE(doc.Saved());
            wordauto::window::recoveryKeeper().tick();
        }
        ASSERT_TRUE(fs::exists(copy()));
        DOC_Application reader;
        auto copied = reader.Documents().Open(copy(), false, true);
        c.check(copied);
        reader.Quit(0);
        fs::remove(copy());
    }
}

TEST_F(RecoveryTest, ACopyThatCannotBeWrittenLeavesTheDocumentAsItWas)
{
    // The cache folder's place taken by a file: no copy can go there.
    writeFile(dir_ / "cache", "in the way");
    DOC_Application word;
    auto doc = editVisibly(word, list);
    EXPECT_NO_THROW(wordauto::window::recoveryKeeper().tick());
    EXPECT_FALSE(fs::exists(copy()));
    EXPECT_FALSE(doc.Saved());
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "modificato");
    EXPECT_EQ(readFile(list), original);
    word.Quit(0);
}

TEST_F(RecoveryTest, OnlyChangedDocumentsOfAVisibleWordThatCanBeSavedAreCopied)
{
    const struct {
        const char* label;
        bool visible;
        bool readOnly;
        bool edit;
    } cases[] = {
        {"hidden Word", false, false, true},
        {"read-only document", true, true, true},
        {"unchanged document", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        DOC_Application word;
        auto doc = word.Documents().Open(list, false, c.readOnly);
        word.Visible(c.visible);
        if (c.edit)
            doc.FormFields().Item("f001").Result("modificato");
        wordauto::window::recoveryKeeper().tick();
        EXPECT_FALSE(fs::exists(copy()));
        word.Quit(0);
    }
    // A Word shown once and hidden again is not copied while hidden.
    DOC_Application word;
    auto doc = editVisibly(word, list);
    word.Visible(false);
    wordauto::window::recoveryKeeper().tick();
    EXPECT_FALSE(fs::exists(copy()));
    word.Visible(true);
    wordauto::window::recoveryKeeper().tick();
    EXPECT_TRUE(fs::exists(copy()));
    word.Quit(0);
}

} // namespace
