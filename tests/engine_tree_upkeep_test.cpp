// Adding and removing lists on the sample dossier: the picker (scripted here) does the file
// work, and the tree and the dossier's lists follow what it reports.
#include "tests/sample_root_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace engine;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class TreeUpkeepTest : public SampleRootTest {
protected:
    // Loads the dossier without these lists' documents.
    void loadWithout(const std::vector<std::string>& numbers)
    {
        for (const auto& n : numbers)
            fs::remove(folder + "/" + n + ".DOC");
        engine.FNZLOAD();
        frame.boxes.clear();
        frame.expands = 0;
    }
    // A picker that ends as `ended` says having done `pick`: copies the blank lists (ADD) or
    // deletes the documents (DEL) of the numbers that name a file.
    void scriptPicker(bool ok, std::vector<std::string> pick,
                      engine::PickerEnd ended = engine::PickerEnd::Done)
    {
        frame.picker = [this, ok, pick, ended](const std::string& mode) {
            state.aListPick.clear();
            if (!ok)
                return engine::PickerEnd::Cancelled;
            for (const auto& n : pick) {
                if (mode == "ADD" && fs::exists(state.cRootDir + "/LDC/" + n + ".DOC"))
                    fs::copy_file(state.cRootDir + "/LDC/" + n + ".DOC", folder + "/" + n + ".DOC",
                                  fs::copy_options::skip_existing);
                if (mode == "DEL")
                    fs::remove(folder + "/" + n + ".DOC");
                state.aListPick.push_back(n);
            }
            return ended;
        };
    }

};

TEST_F(TreeUpkeepTest, AddedListsHangUnderTheirSectionsWithTheWhiteFaceAndTheArrayIsSorted)
{
    loadWithout({"1.01.02", "3.02.01"});
    // A dossier loaded in listing order: 1.02.01 before 1.01.03 must not survive an addition.
    std::swap(state.aDossierLists[1], state.aDossierLists[3]);
    engine.obtainWord();
    scriptPicker(true, {"3.02.01", "1.01.02", "9.99.99", "1.01.01", "3.02.01"});

    engine.FNZLISTADD();

    EXPECT_EQ(frame.pickerModes, (std::vector<std::string>{"ADD"}));
    EXPECT_FALSE(engine.oWord); // the close-all ran first
    auto sorted = state.aDossierLists;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(state.aDossierLists, sorted);
    // Each number once: an unknown one, one already there and a repeat are skipped.
    EXPECT_EQ(std::count(sorted.begin(), sorted.end(), "3.02.01"), 1);
    EXPECT_EQ(std::count(sorted.begin(), sorted.end(), "1.01.02"), 1);
    EXPECT_EQ(std::count(sorted.begin(), sorted.end(), "1.01.01"), 1);
    EXPECT_EQ(std::count(sorted.begin(), sorted.end(), "9.99.99"), 0);
    EXPECT_EQ(sorted.size(), 18u - 1u); // every list of the sample but 5.03.01
    const auto item = frame.treeItem("L10102");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->caption, "1.01.02 - " + state.aListIndex[2].title);
    EXPECT_EQ(item->name, state.aListIndex[2].symbol);
    EXPECT_EQ(item->value, "1.01.02");
    EXPECT_FALSE(item->bold);
    EXPECT_EQ(item->stateImage, 1);
    // A list added later stands after the lists already under its section.
    EXPECT_EQ(frame.childrenOf("T10100"), (std::vector<std::string>{"L10101", "L10103", "L10102"}));
    EXPECT_EQ(frame.childrenOf("T30200"), (std::vector<std::string>{"L30201"}));
    EXPECT_TRUE(frame.boxes.empty());
    EXPECT_EQ(frame.suspendDepth, 0);
    EXPECT_EQ(frame.expands, 1);
}

TEST_F(TreeUpkeepTest, RemovedListsLeaveWithTheirDetailItemsAndTheRestKeepsItsOrder)
{
    state.lShowStatus = true;
    state.lShowDetail = true;
    loadWithout({});
    const auto details = frame.childrenOf("L10201"); // the sample's findings for 1.02.01
    ASSERT_FALSE(details.empty());
    const auto countDetails = [this] {
        const std::string outline = frame.treeOutline();
        return std::count(outline.begin(), outline.end(), 'X');
    };
    const auto detailsBefore = countDetails();
    const auto before = state.aDossierLists;
    scriptPicker(true, {"1.02.01", "5.03.01", "4.01.01"});

    engine.FNZLISTDEL();

    EXPECT_EQ(frame.pickerModes, (std::vector<std::string>{"DEL"}));
    EXPECT_FALSE(frame.treeItem("L10201"));
    EXPECT_FALSE(frame.treeItem("L40101"));
    for (const auto& x : details)
        EXPECT_FALSE(frame.treeItem(x)) << x;
    // Only those: the other lists keep theirs (4.01.01 has none in the sample).
    EXPECT_EQ(countDetails(), detailsBefore - static_cast<long>(details.size()));
    std::vector<std::string> expected;
    for (const auto& n : before)
        if (n != "1.02.01" && n != "4.01.01")
            expected.push_back(n); // 5.03.01 was never in the dossier: skipped
    EXPECT_EQ(state.aDossierLists, expected);
    EXPECT_EQ(frame.suspendDepth, 0);
    EXPECT_EQ(frame.expands, 1);
}

TEST_F(TreeUpkeepTest, AListWhoseTreeItemCannotBeDeletedStaysInTheDossier)
{
    loadWithout({});
    frame.treeDeleteItem("L30101", false); // gone from the tree by some other road
    scriptPicker(true, {"3.01.01"});
    engine.FNZLISTDEL();
    EXPECT_NE(std::find(state.aDossierLists.begin(), state.aDossierLists.end(), "3.01.01"),
              state.aDossierLists.end());
}

TEST_F(TreeUpkeepTest, CancelledOrEmptyPickersChangeNothing)
{
    const struct {
        const char* name;
        bool ok;
        std::vector<std::string> pick;
    } cases[] = {
        {"Annulla or the close box", false, {}},
        {"OK with nothing done", true, {}},
    };
    loadWithout({"5.06.02"});
    for (const auto& c : cases)
        for (bool add : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (add ? " ADD" : " DEL"));
            const auto lists = state.aDossierLists;
            const auto outline = frame.treeOutline();
            frame.selected.clear();
            engine.obtainWord();
            scriptPicker(c.ok, c.pick);
            add ? engine.FNZLISTADD() : engine.FNZLISTDEL();
            EXPECT_FALSE(engine.oWord); // the close-all ran all the same
            EXPECT_EQ(state.aDossierLists, lists);
            EXPECT_EQ(frame.treeOutline(), outline);
            EXPECT_EQ(frame.expands, 0); // not redrawn, not expanded
            EXPECT_TRUE(frame.selected.empty());
            EXPECT_EQ(frame.suspendDepth, 0);
        }
}

TEST_F(TreeUpkeepTest, ALoopCutShortByACancelBringsTheTreeInStepWithWhatWasDoneOnDisk)
{
    loadWithout({"5.06.02", "5.05.01"});
    // ADD: the cancel came after 5.06.02 was copied; DEL: after 3.01.01 was deleted.
    scriptPicker(true, {"5.06.02"}, engine::PickerEnd::Interrupted);
    engine.FNZLISTADD();
    scriptPicker(true, {"3.01.01"}, engine::PickerEnd::Interrupted);
    engine.FNZLISTDEL();

    for (const char* n : {"5.06.02", "5.05.01", "3.01.01"}) {
        SCOPED_TRACE(n);
        const bool onDisk = fs::exists(folder + "/" + n + ".DOC");
        const bool listed = std::find(state.aDossierLists.begin(), state.aDossierLists.end(), n)
            != state.aDossierLists.end();
        EXPECT_EQ(listed, onDisk);
        EXPECT_EQ(frame.treeItem(engine::listItemName(n)).has_value(), onDisk);
    }
    EXPECT_TRUE(fs::exists(folder + "/5.06.02.DOC"));
    EXPECT_FALSE(fs::exists(folder + "/3.01.01.DOC"));
    EXPECT_TRUE(frame.boxes.empty()); // the picker's messages are its own
    EXPECT_EQ(frame.suspendDepth, 0);
}

} // namespace

namespace {

// The index row of a number, as the index holds it.
IndexRow rowOf(const ProgramState& state, const std::string& number)
{
    for (const auto& r : state.aListIndex)
        if (r.number == number)
            return r;
    return {};
}

TEST_F(TreeUpkeepTest, AnIndexWithANumberTwiceAddsAndRemovesTheItemOfItsFirstRow)
{
    loadWithout({"1.01.02"});
    // A later row of the same numbers under other names: the first rows keep deciding.
    for (const std::string number : {"1.01.02", "3.01.01"}) {
        IndexRow later = rowOf(state, number);
        ASSERT_FALSE(later.symbol.empty()) << number;
        later.symbol = "LATER" + number;
        later.title = "Ripetuta";
        state.aListIndex.push_back(later);
    }

    scriptPicker(true, {"1.01.02"});
    engine.FNZLISTADD();
    const auto added = frame.treeItem("L10102");
    ASSERT_TRUE(added);
    EXPECT_EQ(added->caption, "1.01.02 - " + rowOf(state, "1.01.02").title);
    EXPECT_FALSE(frame.treeItem("LATER1.01.02"));

    scriptPicker(true, {"3.01.01"});
    engine.FNZLISTDEL();
    EXPECT_FALSE(frame.treeItem("L30101"));
    // The item was deleted, so the number left the dossier.
    EXPECT_EQ(std::count(state.aDossierLists.begin(), state.aDossierLists.end(), "3.01.01"), 0);
}

TEST_F(TreeUpkeepTest, ADossierArrayWithANumberTwiceLosesItsFirstCopyOnly)
{
    loadWithout({});
    // The number again at the end, as the load of a folder holding 3.01.01.DOC and 3.01.01.doc
    // leaves it.
    state.aDossierLists.push_back("3.01.01");
    std::vector<std::string> expected = state.aDossierLists;
    expected.erase(std::find(expected.begin(), expected.end(), "3.01.01"));
    ASSERT_NE(expected, std::vector<std::string>(state.aDossierLists.begin(), state.aDossierLists.end() - 1));
    // Picked twice: the second time its item is gone, so the later copy stays.
    scriptPicker(true, {"3.01.01", "4.01.01", "3.01.01"});

    engine.FNZLISTDEL();

    expected.erase(std::find(expected.begin(), expected.end(), "4.01.01"));
    EXPECT_EQ(state.aDossierLists, expected);
    EXPECT_FALSE(frame.treeItem("L30101"));
}

} // namespace
