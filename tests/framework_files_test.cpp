// Files in the program's folders are found whatever the case of their letters, by a one-off
// lookup and by a lookup kept open on its folder alike.
#include "runtime/file_lookup.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QString>

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
    const vendrik::FolderLookup lookup(dir_.string());
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
        const auto expected = c.found ? std::optional(vendrik::joinPath(dir_.string(), c.found))
                                      : std::nullopt;
        EXPECT_EQ(vendrik::findFile(dir_.string(), c.name), expected);
        EXPECT_EQ(lookup.findFile(c.name), expected);
    }
}

TEST_F(FileLookupTest, ALookupSeesFilesThatCameAndWentAfterItOpened)
{
    const vendrik::FolderLookup lookup(dir_.string());
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
    writeFile(dir_ / "1.01.01.doc", "x");
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), vendrik::joinPath(dir_.string(), "1.01.01.doc"));
    fs::remove(dir_ / "1.01.01.doc");
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
}

TEST_F(FileLookupTest, ALookupListedOnceKeepsItsListingButSeesExactNamesAsTheyAre)
{
    writeFile(dir_ / "1.01.01.doc", "x");
    const vendrik::FolderLookup lookup(dir_.string(), vendrik::FolderLookup::Listing::Once);
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), vendrik::joinPath(dir_.string(), "1.01.01.doc"));
    // Came after the listing: found by its own name, not by another case of it.
    writeFile(dir_ / "1.01.02.doc", "x");
    EXPECT_EQ(lookup.findFile("1.01.02.doc"), vendrik::joinPath(dir_.string(), "1.01.02.doc"));
    EXPECT_EQ(lookup.findFile("1.01.02.DOC"), std::nullopt);
    // Gone since the listing: not found, though the table still names it.
    fs::remove(dir_ / "1.01.01.doc");
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
}

TEST_F(FileLookupTest, ALookupOnAMissingFolderFindsNothing)
{
    const vendrik::FolderLookup lookup((dir_ / "manca").string());
    EXPECT_EQ(lookup.findFile("1.01.01.DOC"), std::nullopt);
}

TEST_F(FileLookupTest, OneListingFilteredGivesWhatEachPatternListsAndNothingThatCameLater)
{
    for (const char* f : {"1.01.01.DOC", "1.01.02.doc", "0.00.01.doc", "2.00.01.DOC", ".1.01.03.DOC", "note.txt"})
        writeFile(dir_ / f, "x");
    fs::create_directory(dir_ / "1.02.01.DOC");
    const vendrik::FolderListing listing(dir_.string());
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
    auto now = vendrik::listFiles(dir_.string(), "1.??.??.DOC");
    std::erase(now, "1.01.04.DOC");
    EXPECT_EQ(listing.matching("1.??.??.DOC"), now);
}

// Every letter, not only ASCII ones: names and masks are matched character by character.
TEST(FileNameMatchTest, MasksMatchWhateverTheCaseOfAnyLetterOneCharacterForAQuestionMark)
{
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"città.txt", "CITTÀ.TXT", true},
        {"CITTÀ.TXT", "città.txt", true},
        {"città.txt", "citta.txt", false},       // an accent is no case
        {"città.txt", "citt?.txt", true},        // "?" takes the whole à, two bytes
        {"città.txt", "citt??.txt", false},
        {"città.txt", "c*À.TXT", true},
        {"perché.doc", "PERCH?.DOC", true},
        {"ÉLÈVE.TXT", "élève.txt", true},
        {"ΣΟΦΊΑ.TXT", "σοφία.txt", true},        // Greek
        {"ΟΔΌΣ.TXT", "οδός.txt", true},          // a final sigma is a sigma
        {"straße.txt", "STRAẞE.TXT", true},      // the capital sharp s
        {"straße.txt", "STRASSE.TXT", false},    // one character is not two
        {"straße.txt", "stra?e.txt", true},
        {"\xe2\x84\xaa.txt", "k.txt", true},     // the Kelvin sign
        {"\xc5\xbf.txt", "S.TXT", true},          // the long s
        {"\xc4\xb1.txt", "I.TXT", true},          // the dotless i, as it is capitalised
        {"caf\xe9.txt", "caf\xe9.txt", true},     // no UTF-8: the byte matches itself
        {"caf\xe9.txt", "CAF\xe9.TXT", true},
        {"caf\xe9.txt", "café.txt", false},
        {"caf\xe9.txt", "caf\xc9.txt", false},    // nor is it folded as a Latin-1 letter
        {"caf\xe9.txt", "caf?.txt", true},         // a stray byte is one character
        {"caf\xc3.txt", "caf?.txt", true},         // a character cut short
        {"caf\xc3\xa9", "caf\xc3", false},
        {"\xed\xa0\x80.txt", "???.txt", true},    // a surrogate, byte by byte
        {"\xc0\xaf", "/", false},                 // an overlong "/" is no "/"
        {"1.01.02.doc", "1.??.??.DOC", true},
        {"1.0à.02.doc", "1.??.??.DOC", true},
        {"1.01.02.doc", "1.?.??.DOC", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " ~ " + c.pattern);
        EXPECT_EQ(vendrik::matchesPattern(c.name, c.pattern), c.matches);
    }
}

// A code is a name in capitals; the lookup must find the name by it, for every character.
TEST(FileNameMatchTest, EveryCharacterInCapitalsMatchesItself)
{
    std::string failed;
    for (char32_t c = 1; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::string name = QString::fromUcs4(&c, 1).toStdString();
        if (!vendrik::matchesPattern(vendrik::upperCaseName(name), name) && failed.size() < 200)
            failed += " U+" + QString::number(uint(c), 16).toStdString();
    }
    EXPECT_EQ(failed, "");
    EXPECT_EQ(vendrik::upperCaseName("città\xe9ß.txt"), "CITTÀ\xe9ß.TXT"); // stray bytes stay
}

TEST_F(FileLookupTest, NamesWithAccentsAreFoundAndListedByAnyCase)
{
    for (const char* f : {"città.txt", "PERCHÉ.DOC", "caf\xe9.txt", "1.0à.01.doc"})
        writeFile(dir_ / f, "x");
    const vendrik::FolderLookup lookup(dir_.string());
    const struct {
        const char* name;
        const char* found;
    } cases[] = {
        {"CITTÀ.TXT", "città.txt"},
        {"perché.doc", "PERCHÉ.DOC"},
        {"CAF\xe9.TXT", "caf\xe9.txt"},
        {"CAFÉ.TXT", nullptr},
        {"1.0À.01.DOC", "1.0à.01.doc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto expected = c.found ? std::optional(vendrik::joinPath(dir_.string(), c.found)) : std::nullopt;
        EXPECT_EQ(vendrik::findFile(dir_.string(), c.name), expected);
        EXPECT_EQ(lookup.findFile(c.name), expected);
    }
    const vendrik::FolderListing listing(dir_.string());
    EXPECT_EQ(listing.matching("C?TT?.TXT"), std::vector<std::string>{"città.txt"});
    EXPECT_EQ(vendrik::listFiles(dir_.string(), "PERCH?.*"), std::vector<std::string>{"PERCHÉ.DOC"});
    EXPECT_EQ(listing.matching("1.??.??.DOC"), std::vector<std::string>{"1.0à.01.doc"});
}

} // namespace
