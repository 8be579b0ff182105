// Handing the dossier on: the merged dossier document built from the picker's documents, and
// the print run whose page numbers run on from one document to the next.
#include "data/docbuilder/docbuilder.h"
#include "runtime/file_lookup.h"
#include "tests/engine_fixture.h"
#include "tests/pdf_text.h"
#include "tests/sample_root_fixture.h"
#include "wordauto/opc/package.h"
#include "wordauto/word_error.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace testsupport;
using namespace wordauto;
namespace fs = std::filesystem;

namespace {

// A form field as the object model tells it: name, kind and value.
struct FieldValue {
    std::string name;
    std::string value;
    bool operator==(const FieldValue&) const = default;
};

std::vector<FieldValue> fieldsOf(DOC_Document doc)
{
    std::vector<FieldValue> out;
    auto fields = doc.FormFields();
    for (int i = 1; i <= fields.Count(); ++i) {
        auto f = fields.Item(i);
        std::string value;
        try {
            value = f.CheckBox().Value() ? "[X]" : "[ ]";
        } catch (const WordError&) {
            value = f.Result();
        }
        out.push_back({f.Name(), value});
    }
    return out;
}

std::vector<FieldValue> fieldsOfFile(const std::string& path)
{
    DOC_Application word;
    auto fields = fieldsOf(word.Documents().Open(path, false, true));
    word.Quit(wdDoNotSaveChanges);
    return fields;
}

bool isPageBreakParagraph(pugi::xml_node block)
{
    if (std::strcmp(block.name(), "w:p") != 0)
        return false;
    for (auto r : block.children("w:r"))
        for (auto br : r.children("w:br"))
            if (std::strcmp(br.attribute("w:type").value(), "page") == 0)
                return true;
    return false;
}

// The text of a body, split at the paragraphs that hold nothing but a page break.
std::vector<std::string> textBetweenBreaks(const std::string& documentPath)
{
    const std::string xml = opc::Package::open(documentPath).part("word/document.xml");
    pugi::xml_document parsed;
    EXPECT_TRUE(parsed.load_string(xml.c_str()));
    std::vector<std::string> parts(1);
    for (auto block : parsed.document_element().child("w:body").children()) {
        if (isPageBreakParagraph(block)) {
            parts.emplace_back();
            continue;
        }
        for (auto t : block.select_nodes(".//w:t"))
            parts.back() += t.node().text().get();
    }
    return parts;
}

std::string bodyText(const std::string& documentPath)
{
    std::string all;
    for (const auto& part : textBetweenBreaks(documentPath))
        all += part;
    return all;
}

// The documents the picker collects in its print mode from its preselection: the dossier's
// lists in order, each section's separator before its first list.
std::vector<std::string> pickerCollection(const engine::ProgramState& state)
{
    std::vector<std::string> out;
    std::string lastSection;
    for (const auto& number : state.aDossierLists) {
        const std::string section = number.substr(0, 4) + ".00";
        if (section != lastSection) {
            lastSection = section;
            if (const auto s = vendrik::findFile(state.cRootDir + "/WRD", section + ".DOC"))
                out.push_back(*s);
        }
        if (const auto d = vendrik::findFile(state.dossierFolder(), number + ".DOC"))
            out.push_back(*d);
    }
    return out;
}

class MergeTest : public SampleRootTest {
protected:
    void SetUp() override
    {
        SampleRootTest::SetUp();
        engine.FNZLOAD();
        frame.boxes.clear();
        frame.progress.clear();
        merged = folder + "/_Fascicolo.doc";
    }
    // The picker ends with OK having collected these documents.
    void pick(std::vector<std::string> paths)
    {
        frame.picker = [this, paths](const std::string&) {
            state.aListPick = paths;
            return engine::PickerEnd::Done;
        };
    }
    std::string merged;
};

TEST_F(MergeTest, TheSampleDossierBecomesOneProtectedDocumentWithEveryFieldAndItsSeparators)
{
    const auto documents = pickerCollection(state);
    ASSERT_GT(documents.size(), 20u);
    pick(documents);

    engine.FNZLISTWRD();

    // The picker confirmed without being shown.
    EXPECT_EQ(frame.confirmedPickerModes, (std::vector<std::string>{"PRN"}));
    EXPECT_TRUE(frame.pickerModes.empty());
    ASSERT_EQ(frame.boxes.size(), 1u);
    EXPECT_EQ(frame.boxes[0].text, "Operazione completata!");
    EXPECT_EQ(frame.boxes[0].caption, "Corvalta");
    EXPECT_EQ(frame.boxes[0].type, 0x40u);

    ASSERT_EQ(frame.progress.size(), 1u);
    const auto& progress = *frame.progress[0];
    EXPECT_EQ(progress.caption, "Quarvello");
    EXPECT_TRUE(progress.shown);
    EXPECT_TRUE(progress.closed);
    const std::size_t n = documents.size();
    ASSERT_EQ(progress.texts.size(), n);
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_EQ(progress.texts[i], "Fascicolazione in corso [" + std::to_string(i + 1) + "/"
                                         + std::to_string(n) + "]\r\nlista " + documents[i]);
    ASSERT_FALSE(progress.positions.empty());
    EXPECT_EQ(progress.positions.front(), 0);
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(frame.pumps, static_cast<int>(n));

    // Word stays, shown, with the merged document open under its new name.
    ASSERT_TRUE(engine.oWord);
    EXPECT_TRUE(engine.oWord->Visible());
    EXPECT_EQ(engine.oWord->ActiveDocument().Name(), "_Fascicolo.doc");
    EXPECT_FALSE(engine.lDocsOpen);

    // Every document's fields, under their names and with their values, in order.
    std::vector<FieldValue> expected;
    for (const auto& d : documents) {
        const auto f = fieldsOfFile(d);
        expected.insert(expected.end(), f.begin(), f.end());
    }
    ASSERT_GT(expected.size(), 500u);
    EXPECT_EQ(fieldsOfFile(merged), expected);

    // One page break between two documents, none after the last: each stretch between breaks
    // is one document's text, the separators' "SEZIONE" before their lists.
    const auto parts = textBetweenBreaks(merged);
    ASSERT_EQ(parts.size(), n);
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_EQ(parts[i], bodyText(documents[i])) << documents[i];
    EXPECT_NE(parts[0].find("SEZIONE 0.00.00"), std::string::npos);
    EXPECT_NE(parts[2].find("SEZIONE 1.01.00"), std::string::npos);

    DOC_Application reader;
    auto doc = reader.Documents().Open(merged, false, true);
    EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
    // Printed, it has the pages it counts, numbered on through the whole dossier.
    const std::string pdfFolder = path("pdf");
    DOC_Application::SetPrintDestination(pdfFolder);
    const long pages = doc.BuiltInDocumentProperties().Item(wdPropertyPages).Value();
    reader.PrintOut(false);
    DOC_Application::SetPrintDestination("");
    reader.Quit(wdDoNotSaveChanges);
    const fs::path pdf = fs::path(pdfFolder) / "_Fascicolo.pdf";
    EXPECT_EQ(pdfPages(pdf), pages);
    EXPECT_GT(pages, static_cast<long>(n));
    std::vector<int> numbers(static_cast<std::size_t>(pages));
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = static_cast<int>(i) + 1;
    EXPECT_EQ(footerNumbers(pdf), numbers);
}

struct MergeCase {
    const char* label;
    std::vector<std::string> files; // dossier lists, picked in this order
    engine::PickerEnd ended;
};

void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.label; }

class MergeCases : public MergeTest, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(MergeCases, BreaksStandBetweenDocumentsOnlyAndNothingIsPickedEndsSilently)
{
    const MergeCase& c = GetParam();
    std::vector<std::string> paths;
    for (const auto& f : c.files)
        paths.push_back(folder + "/" + f);
    frame.picker = [&](const std::string&) {
        state.aListPick = paths;
        return c.ended;
    };

    engine.FNZLISTWRD();

    if (paths.empty() || c.ended != engine::PickerEnd::Done) {
        // No progress window, no message, no Word, nothing written.
        EXPECT_TRUE(frame.progress.empty());
        EXPECT_TRUE(frame.boxes.empty());
        EXPECT_FALSE(engine.oWord);
        EXPECT_FALSE(DOC_Application::WindowExists());
        EXPECT_FALSE(fs::exists(merged));
        return;
    }
    ASSERT_EQ(frameBoxTexts(), (std::vector<std::string>{"Operazione completata!"}));
    const auto parts = textBetweenBreaks(merged);
    ASSERT_EQ(parts.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(parts[i], bodyText(paths[i]));
}

INSTANTIATE_TEST_SUITE_P(
    Merge, MergeCases,
    ::testing::Values(MergeCase{"OneDocument", {"1.01.01.DOC"}, engine::PickerEnd::Done},
                      MergeCase{"ThreeDocuments", {"1.01.01.DOC", "3.02.01.DOC", "1.01.02.DOC"},
                                engine::PickerEnd::Done},
                      MergeCase{"NoLists", {}, engine::PickerEnd::Done},
                      MergeCase{"PickerCancelled", {"1.01.01.DOC"}, engine::PickerEnd::Cancelled}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MergeTest, ACancelledCollectBuildsNothingAndKeepsAnEarlierMergedDocument)
{
    writeFile(merged, "fascicolo di ieri");
    // What the picker collected before its cancel: a part of the dossier.
    frame.picker = [this](const std::string&) {
        state.aListPick = {folder + "/1.01.01.DOC", folder + "/1.01.02.DOC"};
        return engine::PickerEnd::Interrupted;
    };

    engine.FNZLISTWRD();

    EXPECT_EQ(frame.confirmedPickerModes, (std::vector<std::string>{"PRN"}));
    ASSERT_EQ(frame.boxes.size(), 1u);
    EXPECT_EQ(frame.boxes[0].text, "Operazione interrotta!");
    EXPECT_EQ(frame.boxes[0].caption, "Corvalta");
    EXPECT_EQ(frame.boxes[0].type, 0x10u);
    EXPECT_TRUE(frame.progress.empty());
    EXPECT_FALSE(engine.oWord);
    EXPECT_FALSE(DOC_Application::WindowExists());
    EXPECT_EQ(readFile(merged), "fascicolo di ieri");
}

TEST_F(MergeTest, ACancelDuringTheFirstDocumentSavesNothingAndKeepsAnEarlierMergedDocument)
{
    writeFile(merged, "fascicolo di ieri");
    const std::vector<std::string> paths = {folder + "/1.01.01.DOC", folder + "/1.01.02.DOC",
                                            folder + "/1.01.03.DOC"};
    pick(paths);
    frame.cancelAfterTexts = 1; // "Annulla" pressed while the first document goes in

    engine.FNZLISTWRD();

    ASSERT_EQ(frame.boxes.size(), 1u);
    EXPECT_EQ(frame.boxes[0].text, "Operazione interrotta!");
    EXPECT_EQ(frame.boxes[0].caption, "Corvalta");
    EXPECT_EQ(frame.boxes[0].type, 0x10u);
    EXPECT_EQ(frame.progress.at(0)->texts.size(), 1u);
    EXPECT_TRUE(frame.progress.at(0)->closed);
    EXPECT_EQ(readFile(merged), "fascicolo di ieri");
    // The unsaved merged document stays open in Word, protected, with the first list only.
    ASSERT_TRUE(engine.oWord);
    auto doc = engine.oWord->ActiveDocument();
    EXPECT_NE(doc.Name(), "_Fascicolo.doc");
    EXPECT_FALSE(doc.Saved());
    EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
    EXPECT_EQ(fieldsOf(doc), fieldsOfFile(paths[0]));
}

TEST_F(MergeTest, WordQuitByTheUserWhileTheDocumentIsBuiltStopsTheMergeWithNothingWritten)
{
    writeFile(merged, "fascicolo di ieri");
    pick({folder + "/1.01.01.DOC", folder + "/1.01.02.DOC", folder + "/1.01.03.DOC"});
    frame.onPump = [this] {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(wdDoNotSaveChanges);
    };

    engine.FNZLISTWRD();

    EXPECT_EQ(frameBoxTexts(), (std::vector<std::string>{"Operazione interrotta!"}));
    EXPECT_EQ(frame.progress.at(0)->texts.size(), 1u);
    EXPECT_TRUE(frame.progress.at(0)->closed);
    EXPECT_EQ(readFile(merged), "fascicolo di ieri");
}

TEST_F(MergeTest, ADamagedDocumentStopsTheMergeWithItsNameAndWritesNothing)
{
    writeFile(merged, "fascicolo di ieri");
    const std::string damaged = folder + "/1.01.02.DOC";
    writeFile(damaged, readFile(damaged).substr(0, 300));
    pick({folder + "/1.01.01.DOC", damaged, folder + "/1.01.03.DOC"});

    try {
        engine.FNZLISTWRD();
        ADD_FAILURE() << "the damaged document went in";
    } catch (const WordError& e) {
        EXPECT_NE(std::string(e.what()).find(damaged), std::string::npos) << e.what();
    }
    EXPECT_TRUE(frame.boxes.empty());
    EXPECT_TRUE(frame.progress.at(0)->closed);
    EXPECT_EQ(readFile(merged), "fascicolo di ieri");
}

// ---- The print run ----

class PrintRunTest : public DossierFolderTest {
protected:
    void SetUp() override
    {
        DossierFolderTest::SetUp();
        pdfFolder = path("stampe");
        DOC_Application::SetPrintDestination(pdfFolder);
        engine.printRunSeams.sleepFor = [this](std::chrono::milliseconds ms) { pauses.push_back(ms); };
        engine.printRunSeams.beforePrintedClose = [this](DOC_Document& doc) {
            protectionAtClose.push_back(doc.ProtectionType());
        };
    }
    void TearDown() override
    {
        DOC_Application::SetPrintDestination("");
        DossierFolderTest::TearDown();
    }

    // A document of `pages` pages with the "Pagina N" footer and a field to fill.
    std::string document(const std::string& name, int pages, bool protectedForms)
    {
        docbuilder::Document d;
        d.pageNumberFooter = true;
        d.protectForms = protectedForms;
        for (int p = 1; p <= pages; ++p)
            d.body.push_back(docbuilder::Paragraph(
                docbuilder::Run(name + " pagina " + std::to_string(p) + (p < pages ? "\f" : ""))));
        d.body.push_back(docbuilder::TextField{"f001", name});
        const std::string p = state.dossierFolder() + "/" + name + ".DOC";
        docbuilder::write(d, p);
        return p;
    }
    void pick(std::vector<std::string> paths, engine::PickerEnd ended = engine::PickerEnd::Done)
    {
        frame.picker = [this, paths, ended](const std::string&) {
            state.aListPick = paths;
            return ended;
        };
    }
    std::vector<int> printed(const std::string& name) const
    {
        return footerNumbers(fs::path(pdfFolder) / (name + ".pdf"));
    }

    std::string pdfFolder;
    std::vector<std::chrono::milliseconds> pauses;
    std::vector<int> protectionAtClose;
};

TEST_F(PrintRunTest, PageNumbersRunOnAndTheDocumentsOnDiskStayAsTheyWere)
{
    const std::vector<std::string> paths = {document("A", 2, true), document("B", 3, false),
                                            document("C", 1, true)};
    std::vector<std::string> before;
    for (const auto& p : paths)
        before.push_back(readFile(p));
    pick(paths);
    state.nSle9 = 7;

    engine.FNZLISTPRN();

    EXPECT_EQ(frame.pickerModes, (std::vector<std::string>{"PRN"}));
    EXPECT_TRUE(frame.boxes.empty());
    EXPECT_EQ(printed("A"), (std::vector<int>{1, 2}));
    EXPECT_EQ(printed("B"), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(printed("C"), (std::vector<int>{6}));
    // The pause after each print, and every document protected again before its unsaved close,
    // the one that was not protected too.
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds>(3, std::chrono::seconds(7)));
    EXPECT_EQ(protectionAtClose, std::vector<int>(3, wdAllowOnlyFormFields));
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(readFile(paths[i]), before[i]) << paths[i];
    // Word is quit at the end.
    EXPECT_FALSE(engine.oWord);
    EXPECT_FALSE(DOC_Application::WindowExists());
}

TEST_F(PrintRunTest, WithoutAPauseNoneIsMade)
{
    pick({document("A", 1, true), document("B", 2, true)});
    state.nSle9 = 0;
    engine.FNZLISTPRN();
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(printed("B"), (std::vector<int>{2, 3}));
}

TEST_F(PrintRunTest, ACancelledInterruptedOrEmptyPickerPrintsNothingAndStartsNoWord)
{
    const std::string a = document("A", 1, true);
    const struct {
        const char* name;
        std::vector<std::string> paths;
        engine::PickerEnd ended;
    } cases[] = {
        {"Annulla", {a}, engine::PickerEnd::Cancelled},
        {"collect cancelled after the first document", {a}, engine::PickerEnd::Interrupted},
        {"nothing collected", {}, engine::PickerEnd::Done},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pick(c.paths, c.ended);
        engine.FNZLISTPRN();
        EXPECT_FALSE(engine.oWord);
        EXPECT_FALSE(DOC_Application::WindowExists());
        EXPECT_FALSE(fs::exists(pdfFolder));
        EXPECT_TRUE(frame.boxes.empty()); // the picker's messages are its own
    }
    EXPECT_EQ(frame.pickerModes.size(), std::size(cases));
}

TEST_F(PrintRunTest, ASectionSeparatorIsPrintedAndCountsInTheNumbering)
{
    const std::string root = path("root");
    sample::writeSampleRoot(root);
    const std::string separator = root + "/WRD/1.01.00.DOC";
    const std::string list = root + "/DATI/" + sample::kDossierName + "/1.01.01.DOC";
    DOC_Application counter;
    const long separatorPages =
        counter.Documents().Open(separator, false, true).BuiltInDocumentProperties().Item(14).Value();
    counter.Quit(wdDoNotSaveChanges);
    pick({separator, list});

    engine.FNZLISTPRN();

    std::vector<int> expected(static_cast<std::size_t>(separatorPages));
    for (std::size_t i = 0; i < expected.size(); ++i)
        expected[i] = static_cast<int>(i) + 1;
    EXPECT_EQ(printed("1.01.00"), expected);
    const auto listPages = printed("1.01.01");
    ASSERT_FALSE(listPages.empty());
    EXPECT_EQ(listPages.front(), separatorPages + 1);
}

} // namespace
