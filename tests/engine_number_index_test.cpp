// The index that answers "the first element exactly equal to the number" for the list arrays:
// the first of two equal elements answers, and the index keeps telling the truth while its array
// changes.
#include "engine/number_index.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace engine;

namespace {

constexpr std::size_t npos = NumberIndex<std::string>::npos;

TEST(NumberIndexTest, TheFirstOfEqualElementsAnswersAndOnlyAnExactNumberMatches)
{
    const std::vector<std::string> dossier = {"1.01.02", "1.01.01", "2.00.01", "1.01.01", "1.01.02"};
    const NumberIndex<std::string> index(dossier);
    const struct {
        const char* number;
        std::size_t position;
    } cases[] = {
        {"1.01.02", 0},    {"1.01.01", 1}, {"2.00.01", 2}, {"9.99.99", npos},
        {"1.01.01 ", npos}, {"", npos},    {"1.1.01", npos},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(index.position(c.number), c.position);
        EXPECT_EQ(index.contains(c.number), c.position != npos);
        EXPECT_EQ(index.find(c.number), c.position == npos ? nullptr : &dossier[c.position]);
    }
}

TEST(NumberIndexTest, IndexRowsAreFoundByTheirNumberAndTheFirstRowDecides)
{
    const std::vector<IndexRow> rows = {
        {"1.01.01", "Prima", "B1", false, "L10101", "T10100"},
        {"1.01.02", "Altra", "C1", false, "L10102", "T10100"},
        {"1.01.01", "Seconda", "A1", true, "L10101", "ROOT"},
    };
    const NumberIndex<IndexRow> index(rows);
    ASSERT_NE(index.find("1.01.01"), nullptr);
    EXPECT_EQ(index.find("1.01.01")->title, "Prima");
    EXPECT_EQ(index.find("1.01.01")->kind, "B1");
    EXPECT_EQ(index.position("1.01.02"), 1u);
    EXPECT_EQ(index.find("L10101"), nullptr); // symbols are no numbers
}

TEST(NumberIndexTest, ItKeepsInStepWithPushesErasesAndARebuild)
{
    std::vector<std::string> dossier = {"1.01.01", "1.02.01"};
    NumberIndex<std::string> index(dossier);

    dossier.push_back("1.01.01"); // a second one: the first still answers
    index.appended();
    EXPECT_EQ(index.position("1.01.01"), 0u);
    for (const char* number : {"3.01.01", "0.00.01", "2.01.01"}) { // storage moves on the way
        dossier.push_back(number);
        index.appended();
    }
    EXPECT_EQ(index.position("0.00.01"), 4u);
    EXPECT_EQ(index.position("2.01.01"), 5u);

    dossier.erase(dossier.begin()); // the first 1.01.01 leaves: the later one answers now
    EXPECT_EQ(index.position("1.01.01"), 1u);
    EXPECT_EQ(index.position("1.02.01"), 0u);

    dossier.push_back("4.01.01"); // pushed without telling the index: it sees the new length
    EXPECT_EQ(index.position("4.01.01"), 5u);

    std::sort(dossier.begin(), dossier.end()); // same length, same storage: it must be told
    index.rebuild();
    EXPECT_EQ(index.position("0.00.01"), 0u);
    EXPECT_EQ(index.position("4.01.01"), 5u);

    dossier.clear();
    EXPECT_FALSE(index.contains("1.02.01"));
}

} // namespace
