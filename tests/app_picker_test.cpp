// The list picker's work over its three modes, case by case on the sample root: the messages
// in their order, aListPick, the bar, and the files of the root after each.
#include "framework/file_copy.h"
#include "tests/picker_fixture.h"
#include "wordauto/doc/doc_recovery.h"

#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

#include <optional>
#include <stdexcept>

namespace {

using namespace testsupport;
namespace fs = std::filesystem;
namespace answer = vendrik::answer;

// The dossier's folder below the root, as the expected paths name it.
const std::string D = "DATI/Cantiere Via Roma/";
const std::string kNo = "La lista non esiste";

std::string mustAdd(const std::string& n)
{
    return "La lista [" + n + "] non è selezionata\r\nma essendo obbligatoria verrà selezionata";
}
std::string mustKeep(const std::string& n)
{
    return "La lista [" + n + "] è selezionata\r\nma essendo obbligatoria verrà deselezionata";
}
const std::string kQuestion = "Attenzione... Le liste selezionate verranno eliminate dal fascicolo... Procedere?";

class PickerWorkTest;

struct PickerCase {
    const char* name;
    const char* mode;
    std::function<void(PickerWorkTest&)> prepare{};
    std::vector<std::string> ticked{}; // exactly these items ticked before OK
    std::optional<bool> separators{};
    std::vector<int> answers{};
    int cancelAtPass = 0; // "Annulla" of the progress window clicked at that pass (0: never)
    int closeAtPass = 0;  // the picker's own close box at that pass
    bool copyFault = false;
    // Box texts and picked paths: "@" stands for the root folder.
    std::vector<std::string> boxes{};
    std::vector<std::string> pick{};
    std::set<std::string> added{};
    std::set<std::string> removed{};
    std::vector<int> bar{}; // the bar at each pass, when given
    bool interrupted = false; // the picker ends as cut short by a cancel, not as done
};

class PickerWorkTest : public PickerFixture, public ::testing::WithParamInterface<PickerCase> {
public:
    using PickerFixture::dropFromDossier;
    engine::ProgramState& programState() { return state; }
    void removeFile(const std::string& relative) { fs::remove(root + "/" + relative); }

protected:
    std::string expand(std::string text) const
    {
        for (auto at = text.find('@'); at != std::string::npos; at = text.find('@', at + root.size()))
            text.replace(at, 1, root + "/");
        return text;
    }
};

TEST_P(PickerWorkTest, OkDoesTheModesWork)
{
    const PickerCase& c = GetParam();
    if (c.prepare)
        c.prepare(*this);
    const auto before = filesUnder(root);

    app::DWLIST picker(nullptr, QString::fromLatin1(c.mode), state);
    for (int i = 0; i < picker.itemCount(); ++i) {
        const std::string n = picker.itemNumber(i).toStdString();
        picker.setItemChecked(i, std::find(c.ticked.begin(), c.ticked.end(), n) != c.ticked.end());
    }
    if (c.separators)
        picker.setSeparatorsChecked(*c.separators);
    if (c.closeAtPass)
        picker.show(); // only a picker on screen has a close box
    for (int a : c.answers)
        vendrik::MessageBoxLog::queueAnswer(a);
    if (c.copyFault)
        framework::setCopyFaultHook([](std::size_t written) {
            if (written >= 1)
                throw std::runtime_error("disco pieno");
        });

    std::vector<int> bar;
    bool controlsLocked = true;
    PumpProbe probe([&](int pass) {
        auto* wait = picker.findChild<app::DWWAIT*>();
        if (!wait)
            return;
        bar.push_back(wait->findChild<QProgressBar*>(QStringLiteral("PB1"))->value());
        controlsLocked = controlsLocked && !picker.findChild<QPushButton*>(QStringLiteral("PBOK"))->isEnabled();
        if (pass == c.cancelAtPass)
            wait->findChild<QPushButton*>(QStringLiteral("PBANNULLA"))->click();
        if (pass == c.closeAtPass)
            picker.close();
    });
    picker.PBOK();
    probe.stop();
    framework::setCopyFaultHook(nullptr);

    EXPECT_EQ(picker.result(), c.interrupted ? app::DWLIST::kInterrupted : 1);
    EXPECT_EQ(picker.ending(), c.interrupted ? engine::PickerEnd::Interrupted : engine::PickerEnd::Done);
    EXPECT_TRUE(picker.findChildren<app::DWWAIT*>().empty()); // the progress window is closed
    EXPECT_TRUE(controlsLocked);
    std::vector<std::string> boxes;
    for (const auto& b : c.boxes)
        boxes.push_back(expand(b));
    EXPECT_EQ(boxTexts(), boxes);
    for (const auto& b : vendrik::MessageBoxLog::shown()) {
        EXPECT_EQ(b.caption, "Corvalta");
        EXPECT_EQ(b.owner, &picker);
    }
    EXPECT_EQ(vendrik::MessageBoxLog::pendingAnswers(), 0u);
    std::vector<std::string> pick;
    for (const auto& p : c.pick)
        pick.push_back(std::string(c.mode) == "PRN" ? root + "/" + p : p);
    EXPECT_EQ(state.aListPick, pick);
    if (!c.bar.empty()) {
        EXPECT_EQ(bar, c.bar);
    }

    const auto after = filesUnder(root);
    std::set<std::string> added, removed;
    for (const auto& [name, bytes] : after) {
        const auto was = before.find(name);
        if (was == before.end())
            added.insert(name);
        else
            EXPECT_EQ(bytes, was->second) << name << " changed"; // nothing is ever rewritten
    }
    for (const auto& [name, bytes] : before)
        if (!after.count(name))
            removed.insert(name);
    EXPECT_EQ(added, c.added);
    EXPECT_EQ(removed, c.removed);
    for (const auto& name : added)
        EXPECT_EQ(after.at(name), before.at("LDC/" + fs::path(name).filename().string())) << name;
}

const PickerCase kCases[] = {
    // ADD: the items are the lists of the index missing from the dossier.
    {.name = "AddWithNothingTicked", .mode = "ADD", .ticked = {}, .bar = {}},
    {.name = "AddMandatoryMessagesInListOrderBeforeAnyCopy",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         t.dropFromDossier("1.01.01");
         t.dropFromDossier("1.02.01");
         t.removeFile("LDC/1.01.01.DOC");
     },
     .ticked = {"5.03.01"},
     .boxes = {mustAdd("1.01.01"), mustAdd("1.02.01"), "1.01.01 - " + kNo},
     .pick = {"1.02.01", "5.03.01"},
     .added = {D + "1.02.01.DOC", D + "5.03.01.DOC"}},
    {.name = "AddOntoAFilledDocumentKeepsIt",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         // In the folder but not in the array, as after a load that did not see it.
         auto& lists = t.programState().aDossierLists;
         lists.erase(std::find(lists.begin(), lists.end(), "1.01.02"));
     },
     .ticked = {"1.01.02"},
     .boxes = {"@" + D + "1.01.02.DOC\r\nLa lista è già nel fascicolo: il documento presente non è stato sostituito"},
     .pick = {"1.01.02"}},
    {.name = "AddOntoADocumentSpeltInOtherCaseKeepsIt",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         t.dropFromDossier("1.02.01");
         fs::rename(t.root + "/" + D + "1.01.02.DOC", t.root + "/" + D + "1.01.02.doc");
         auto& lists = t.programState().aDossierLists;
         lists.erase(std::find(lists.begin(), lists.end(), "1.01.02"));
     },
     .ticked = {"1.02.01", "1.01.02"},
     .boxes = {"@" + D + "1.01.02.doc\r\nLa lista è già nel fascicolo: il documento presente non è stato sostituito"},
     .pick = {"1.01.02", "1.02.01"},
     .added = {D + "1.02.01.DOC"}},
    {.name = "AddCancelledHalfWay",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         for (const char* n : {"3.01.01", "3.02.01", "3.04.01"})
             t.dropFromDossier(n);
     },
     .ticked = {"3.01.01", "3.02.01", "3.04.01", "5.03.01"},
     .cancelAtPass = 2,
     .boxes = {"Copia interrotta"},
     .pick = {"3.01.01", "3.02.01"},
     .added = {D + "3.01.01.DOC", D + "3.02.01.DOC"},
     .bar = {25, 50},
     .interrupted = true},
    {.name = "AddPickerClosedHalfWayStopsAsAfterAnnulla",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         for (const char* n : {"3.01.01", "3.02.01", "3.04.01"})
             t.dropFromDossier(n);
     },
     .ticked = {"3.01.01", "3.02.01", "3.04.01"},
     .closeAtPass = 1,
     .boxes = {"Copia interrotta"},
     .pick = {"3.01.01"},
     .added = {D + "3.01.01.DOC"},
     .interrupted = true},
    {.name = "AddBarReachesTheEndOnAnUntickedLastItem",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         for (const char* n : {"3.01.01", "3.02.01", "3.04.01"})
             t.dropFromDossier(n);
     },
     .ticked = {"3.01.01"},
     .pick = {"3.01.01"},
     .added = {D + "3.01.01.DOC"},
     .bar = {25, 50, 75, 100}},
    {.name = "AddInterruptedCopyLeavesNoDocument",
     .mode = "ADD",
     .ticked = {"5.03.01"},
     .copyFault = true,
     .boxes = {"@" + D + "5.03.01.DOC\r\nCopia della lista non riuscita (copia interrotta)"},
     .pick = {}},
    {.name = "AddOfACraftedNumberStaysInTheFolders",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         // An index row whose number climbs out of the archive and the dossier.
         t.programState().aListIndex.push_back({"../../fuori", "Lista", "A1", false, "Lfuori", "T10100"});
         writeFile(fs::path(t.programState().cRootDir) / ".." / "fuori.DOC", "non una lista");
     },
     .ticked = {"../../fuori"},
     .boxes = {"../../fuori - " + kNo}},
    {.name = "AddWithoutTheArchiveFolder",
     .mode = "ADD",
     .prepare = [](PickerWorkTest& t) {
         fs::rename(t.programState().cRootDir + "/LDC", t.programState().cRootDir + "/LDC.vecchio");
     },
     .ticked = {"5.03.01"},
     .boxes = {"@LDC\r\nLa cartella archivio liste non esiste"},
     .bar = {}},

    // DEL: the items are the dossier's lists.
    {.name = "DelOnlyMandatoryTickedAsksNothing",
     .mode = "DEL",
     .ticked = {"1.01.01", "1.02.01"},
     .boxes = {mustKeep("1.01.01"), mustKeep("1.02.01")}},
    {.name = "DelAnsweredNoTouchesNothing",
     .mode = "DEL",
     .ticked = {"3.01.01"},
     .answers = {answer::No},
     .boxes = {kQuestion}},
    {.name = "DelDeletesWhatWasConfirmed",
     .mode = "DEL",
     .ticked = {"1.01.01", "3.01.01", "5.06.02"},
     .answers = {answer::Ok, answer::Yes},
     .boxes = {mustKeep("1.01.01"), kQuestion},
     .pick = {"3.01.01", "5.06.02"},
     .removed = {D + "3.01.01.DOC", D + "5.06.02.DOC"},
     .bar = {6, 12, 18, 24, 30, 36, 42, 48, 53, 59, 65, 71, 77, 83, 89, 95, 100}},
    {.name = "DelOfADocumentGoneMeanwhile",
     .mode = "DEL",
     .prepare = [](PickerWorkTest& t) { t.removeFile(D + "4.01.02.DOC"); },
     .ticked = {"4.01.01", "4.01.02"},
     .answers = {answer::Yes},
     .boxes = {kQuestion, "4.01.02 - " + kNo},
     .pick = {"4.01.01"},
     .removed = {D + "4.01.01.DOC"}},
    {.name = "DelCancelledHalfWay",
     .mode = "DEL",
     .ticked = {"3.01.01", "3.02.01", "3.04.01"},
     .answers = {answer::Yes},
     .cancelAtPass = 8, // 3.01.01 is the eighth list of the dossier
     .boxes = {kQuestion, "Cancellazione interrotta"},
     .pick = {"3.01.01"},
     .removed = {D + "3.01.01.DOC"},
     .interrupted = true},
    {.name = "DelWithoutTheDossierFolder",
     .mode = "DEL",
     .prepare = [](PickerWorkTest& t) { t.programState().cDossierDir = "/Cantiere Chiuso"; },
     .ticked = {"3.01.01"},
     .boxes = {"@DATI/Cantiere Chiuso\r\nLa cartella fascicolo non esiste"}},

    // PRN: every list of the index, the dossier's ticked.
    {.name = "PrnSeparatorsBeforeEachSection",
     .mode = "PRN",
     .ticked = {"1.01.01", "1.01.02", "1.02.01"},
     .pick = {"WRD/1.01.00.DOC", D + "1.01.01.DOC", D + "1.01.02.DOC", "WRD/1.02.00.DOC", D + "1.02.01.DOC"}},
    {.name = "PrnWithoutSeparators",
     .mode = "PRN",
     .ticked = {"0.00.01", "1.01.01", "1.02.01"},
     .separators = false,
     .pick = {D + "0.00.01.doc", D + "1.01.01.DOC", D + "1.02.01.DOC"}},
    {.name = "PrnSectionWithoutIndexRow",
     .mode = "PRN",
     .prepare = [](PickerWorkTest& t) {
         auto& sections = t.programState().aSectionIndex;
         sections.erase(std::find_if(sections.begin(), sections.end(),
                                     [](const engine::IndexRow& r) { return r.number == "1.02.00"; }));
     },
     .ticked = {"1.02.01", "1.02.02"},
     .pick = {D + "1.02.01.DOC", D + "1.02.02.DOC"}},
    {.name = "PrnMissingSeparatorSaysSoOnce",
     .mode = "PRN",
     .prepare = [](PickerWorkTest& t) { t.removeFile("WRD/4.01.00.DOC"); },
     .ticked = {"4.01.01", "4.01.02"},
     .boxes = {"4.01.00 - La Sezione non esiste"},
     .pick = {D + "4.01.01.DOC", D + "4.01.02.DOC"}},
    {.name = "PrnListOutsideTheDossierFromTheArchive",
     .mode = "PRN",
     .prepare = [](PickerWorkTest& t) { t.removeFile("LDC/5.05.01.DOC"); },
     .ticked = {"5.03.01", "5.05.01"},
     .pick = {"WRD/5.03.00.DOC", "LDC/5.03.01.DOC", "WRD/5.05.00.DOC", D + "5.05.01.DOC"}},
    {.name = "PrnListFoundNowhere",
     .mode = "PRN",
     .prepare = [](PickerWorkTest& t) { t.removeFile("LDC/5.03.01.DOC"); },
     .ticked = {"5.03.01"},
     .boxes = {"5.03.01 - " + kNo},
     .pick = {"WRD/5.03.00.DOC"}},
    {.name = "PrnOfACraftedNumberCollectsNothing",
     .mode = "PRN",
     .prepare = [](PickerWorkTest& t) {
         t.programState().aListIndex.push_back({"../../fuori", "Lista", "A1", false, "Lfuori", "T10100"});
         writeFile(fs::path(t.programState().cRootDir) / ".." / "fuori.DOC", "non una lista");
     },
     .ticked = {"../../fuori"},
     .boxes = {"../../fuori - " + kNo}},
    {.name = "PrnCancelledHalfWay",
     .mode = "PRN",
     .ticked = {"1.01.01", "3.01.01"},
     .cancelAtPass = 2,
     .boxes = {"Stampa interrotta"},
     .pick = {"WRD/1.01.00.DOC", D + "1.01.01.DOC"},
     .interrupted = true},
};

INSTANTIATE_TEST_SUITE_P(Picker, PickerWorkTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Unsaved edits kept for a list go with the list: a list added again later under its number
// does not offer the old edits.
class PickerRecoveryTest : public PickerFixture {
protected:
    void SetUp() override
    {
        PickerFixture::SetUp();
        ::setenv("XDG_CACHE_HOME", path("cache").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("XDG_CACHE_HOME");
        PickerFixture::TearDown();
    }
    // A recovery copy of the list's document, as a window with unsaved edits leaves one.
    std::string keepEdits(const std::string& number)
    {
        const std::string document = fs::absolute(root + "/" + D + number + ".DOC").string();
        auto model = wordauto::detail::DocumentModel::open(document, false);
        wordauto::detail::writeRecoveryCopy(*model);
        const std::string copy = wordauto::detail::recoveryCopyPath(document);
        EXPECT_TRUE(fs::exists(copy));
        return copy;
    }
};

TEST_F(PickerRecoveryTest, DeletingAListRemovesTheRecoveryCopyOfItsEditsOnly)
{
    const std::string deleted = keepEdits("3.01.01");
    const std::string kept = keepEdits("5.06.02");
    app::DWLIST picker(nullptr, QStringLiteral("DEL"), state);
    for (int i = 0; i < picker.itemCount(); ++i)
        picker.setItemChecked(i, picker.itemNumber(i) == QLatin1String("3.01.01"));
    vendrik::MessageBoxLog::queueAnswer(answer::Yes);
    picker.PBOK();
    EXPECT_EQ(state.aListPick, (std::vector<std::string>{"3.01.01"}));
    EXPECT_FALSE(fs::exists(root + "/" + D + "3.01.01.DOC"));
    EXPECT_FALSE(fs::exists(deleted));
    EXPECT_TRUE(fs::exists(kept));
}

} // namespace
