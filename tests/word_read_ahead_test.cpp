// Documents read ahead of their read-only opens: an open gets what it would have read itself,
// the file as it is at the open, and the same error for a damaged one, which it reads itself.
#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/doc/read_ahead.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

namespace db = docbuilder;
namespace fs = std::filesystem;
using testsupport::TempDirTest;
using testsupport::writeFile;

class ReadAheadTest : public TempDirTest {
protected:
    // A list whose one text field holds `value`.
    std::string list(const std::string& name, const std::string& value)
    {
        db::Document doc;
        doc.body = {db::para({"Esito: ", db::TextField{"f1", value}})};
        db::write(doc, path(name));
        return path(name);
    }

    // What a read-only open without any read-ahead gives: the field's value, or the error.
    static std::string directOpen(const std::string& file)
    {
        wordauto::DOC_Application word;
        try {
            auto doc = word.Documents().Open(file, false, true);
            return "field " + doc.FormFields().Item(1).Result();
        } catch (const wordauto::WordError& e) {
            return std::string("error ") + e.what();
        }
    }

    static std::string fieldOf(wordauto::detail::DocumentModel& model) { return "field " + model.fields().at(0).result(); }
};

TEST_F(ReadAheadTest, EachOpenGetsWhatItWouldHaveReadItself)
{
    const std::vector<std::string> files = {list("a.doc", "uno"), list("b.doc", "due"), path("rotto.doc"),
                                            path("manca.doc"), list("c.doc", "tre")};
    writeFile(dir_ / "rotto.doc", "PK\x03\x04 non è un documento");
    std::vector<std::string> direct;
    for (const auto& f : files)
        direct.push_back(directOpen(f));
    ASSERT_EQ(direct[0], "field uno");
    ASSERT_EQ(direct[2].rfind("error ", 0), 0u);

    // Through the object model, and at the read-ahead's own level: the damaged file and the
    // missing one are left to the open, whose error is the one a direct open gives.
    wordauto::DOC_Application word;
    const auto ahead = word.Documents().ReadAhead(files);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_EQ(directOpen(files[i]), direct[i]);
        try {
            auto doc = word.Documents().Open(files[i], false, true);
            EXPECT_EQ("field " + doc.FormFields().Item(1).Result(), direct[i]);
            doc.Close(wordauto::wdDoNotSaveChanges);
        } catch (const wordauto::WordError& e) {
            EXPECT_EQ(std::string("error ") + e.what(), direct[i]);
        }
    }

    wordauto::detail::ReadAhead work(files, 2);
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        std::optional<std::string> got;
        ASSERT_TRUE(work.waitUntilRead(i));
        if (const auto model = work.take(files[i]))
            got = fieldOf(*model);
        if (i == 2 || i == 3)
            EXPECT_EQ(got, std::nullopt);
        else
            EXPECT_EQ(got, direct[i]); // read ahead, not left to the open
    }
}

TEST_F(ReadAheadTest, AFileChangedAfterItWasReadIsLeftToTheOpen)
{
    const std::string file = list("a.doc", "prima");
    const std::string other = list("b.doc", "dopo, più lungo");
    const struct {
        const char* name;
        void (*change)(const std::string& file, const std::string& other);
    } cases[] = {
        {"replaced", [](const std::string& f, const std::string& o) { fs::copy_file(o, f + ".new"); fs::rename(f + ".new", f); }},
        {"rewritten in place", [](const std::string& f, const std::string& o) {
             fs::copy_file(o, f, fs::copy_options::overwrite_existing);
         }},
        {"removed", [](const std::string& f, const std::string&) { fs::remove(f); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list("a.doc", "prima");
        wordauto::detail::ReadAhead work({file}, 1);
        ASSERT_TRUE(work.waitUntilRead(0));
        c.change(file, other);
        EXPECT_EQ(work.take(file), nullptr);
    }
    // Unchanged, it is taken; and through the object model the open reads the file as it is now.
    list("a.doc", "prima");
    {
        wordauto::detail::ReadAhead work({file}, 1);
        ASSERT_TRUE(work.waitUntilRead(0));
        ASSERT_NE(work.take(file), nullptr);
    }
    wordauto::DOC_Application word;
    const auto ahead = word.Documents().ReadAhead({file});
    fs::copy_file(other, file + ".new");
    fs::rename(file + ".new", file);
    EXPECT_EQ(word.Documents().Open(file, false, true).FormFields().Item(1).Result(), "dopo, più lungo");
}

TEST_F(ReadAheadTest, ADocumentLargerThanAListIsLeftToTheOpen)
{
    const std::string file = list("grande.doc", "uno");
    {
        auto package = wordauto::opc::Package::open(file);
        package.setPart("word/media/grande.bin", std::string(17u << 20, 'x'));
        package.saveAs(file);
    }
    wordauto::detail::ReadAhead work({file}, 1);
    ASSERT_TRUE(work.waitUntilRead(0));
    EXPECT_EQ(work.take(file), nullptr);
    EXPECT_EQ(directOpen(file), "field uno");
}

TEST_F(ReadAheadTest, PlacesPassedAreGivenUpAndOnlyReadOnlyOpensTakeFromIt)
{
    const std::vector<std::string> files = {list("a.doc", "uno"), list("b.doc", "due"), list("c.doc", "tre")};
    {
        wordauto::detail::ReadAhead work(files, 1);
        ASSERT_TRUE(work.waitUntilRead(2));
        const auto third = work.take(files[2]);
        ASSERT_NE(third, nullptr);
        EXPECT_EQ(fieldOf(*third), "field tre");
        EXPECT_EQ(work.take(files[0]), nullptr);
        EXPECT_EQ(work.take(files[1]), nullptr);
        EXPECT_FALSE(work.waitUntilRead(1));
        EXPECT_EQ(work.take(path("altro.doc")), nullptr);
    }
    {
        wordauto::detail::ReadAhead none(files, 0);
        EXPECT_FALSE(none.waitUntilRead(0));
        EXPECT_EQ(none.take(files[0]), nullptr);
    }
    // An open to fill the list in reads it itself, and may write it.
    wordauto::DOC_Application word;
    const auto ahead = word.Documents().ReadAhead(files);
    auto doc = word.Documents().Open(files[0]);
    EXPECT_FALSE(doc.ReadOnly());
    doc.FormFields().Item(1).Result("cambiato");
    doc.Save();
    doc.Close(wordauto::wdDoNotSaveChanges);
    EXPECT_EQ(directOpen(files[0]), "field cambiato");
}

} // namespace
