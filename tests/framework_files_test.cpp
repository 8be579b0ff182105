// Files in the program's folders are found whatever the case of their letters, by a one-off
// lookup and by a lookup kept open on its folder alike.
#include "framework/file_lookup.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;
using testsupport::TempDirTest;
using testsupport::writeFile;

class FileLookupTest : public TempDirTest {};

TEST_F(FileLookupTest, AFileIsFoundByAnyCaseAndFoldersDoNotCount)
{
    writeFile(dir_ / "1.01.01.DOC", "x");
    writeFile(dir_ / "0.00.01.doc", "x");
    fs::create_directory(dir_ / "1.02.01.DOC");
    const framework::FolderLookup lookup(dir_.string());
    const struct {
        const char* name;
        const char* found; // nullptr: not found
    } cases[] = {
        {"1.01.01.DOC", "1.01.01.DOC"},
        {"1.01.01.doc", "1.01.01.DOC"},
        {"0.00.01.DOC", "0.00.01.doc"},
        {"1.02.01.DOC", nullptr},
        {"9.99.99.DOC", nullptr},
        {"1.01.0?.doc", nullptr}, // a name, not a pattern
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto expected = c.found ? std::optional(framework::joinPath(dir_.string(), c.found))
                                      : std::nullopt;
        EXPECT_EQ(framework::findFile(dir_.string(), c.name), expected);
        EXPECT_EQ(lookup.findFile(c.name), expected);
    }
}

TEST_F(FileLookupTest, ALookupSeesFilesThatCameAndWentAfterItOpened)
{
    const framework::FolderLookup lookup(dir_.string());
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
    writeFile(dir_ / "1.01.01.doc", "x");
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), framework::joinPath(dir_.string(), "1.01.01.doc"));
    fs::remove(dir_ / "1.01.01.doc");
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
}

TEST_F(FileLookupTest, ALookupOnAMissingFolderFindsNothing)
{
    const framework::FolderLookup lookup((dir_ / "manca").string());
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
}

TEST_F(FileLookupTest, OneListingFilteredGivesWhatEachPatternListsAndNothingThatCameLater)
{
    for (const char* f : {"1.01.01.DOC", "1.01.02.doc", "0.00.01.doc", "2.00.01.DOC", ".1.01.03.DOC", "note.txt"})
        writeFile(dir_ / f, "x");
    fs::create_directory(dir_ / "1.02.01.DOC");
    const framework::FolderListing listing(dir_.string());
    writeFile(dir_ / "1.01.04.DOC", "x");
    const struct {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"1.??.??.DOC", {"1.01.01.DOC", "1.01.02.doc"}},
        {"0.??.??.DOC", {"0.00.01.doc"}},
        {"*.txt", {"note.txt"}},
        {"9.??.??.DOC", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        auto names = listing.matching(c.pattern);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.names);
    }
    // Filtered in the listing's own order, as a listing by the pattern gives them.
    auto now = framework::listFiles(dir_.string(), "1.??.??.DOC");
    std::erase(now, "1.01.04.DOC");
    EXPECT_EQ(listing.matching("1.??.??.DOC"), now);
}

} // namespace
