// Open, change, save and reopen: what was written reads back, the rest of the package is
// untouched, and a save that fails leaves the old file as it was.
#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

using namespace wordauto;
using namespace testsupport;
namespace db = docbuilder;

namespace {

db::Document checkList()
{
    db::Document d;
    d.protectForms = true;
    d.pageNumberFooter = true;
    d.body = {
        "Lista di controllo 1.01.01",
        db::table({
            db::row({db::bold("N."), db::bold("Voce"), db::bold("Esito")}),
            db::row({"001", " con spazi ", db::CheckBox{"t1c001", true, "Recinzione", "001003"}}),
            db::row({"002", db::cell({"prima", "seconda"}), db::CheckBox{"t1c002", false}}),
            db::row({"003", db::TextField{"t1f003", "Rossi"}, db::CheckBox{"t1c003", false}}),
        }),
        db::para({"Note: ", db::TextField{"note1", ""}}),
    };
    return d;
}

class RoundTripTest : public TempDirTest {};

TEST_F(RoundTripTest, ChangesSurviveSaveAsAndTheRestStaysByteIdentical)
{
    const std::string original = path("1.01.01.DOC");
    db::write(checkList(), original);
    const std::string saved = path("copia.doc");
    {
        DOC_Application app;
        auto doc = app.Documents().Open(original, false, false);
        auto table = doc.Tables().Item(1);
        table.Cell(2, 2).Range().Text_("modificata\rsu due righe");
        auto added = table.Rows().Add(table.Rows().Item(3));
        (void)added;
        table.Cell(3, 1).Range().Text_("nuova");
        doc.FormFields().Item("T1C002").CheckBox().Value(true);
        doc.FormFields().Item("t1f003").Result("Bianchi");
        doc.FormFields().Item("note1").Result("tutto a posto");
        doc.SaveAs(saved);
        doc.Close(0);
        app.Quit(0);
    }
    ASSERT_TRUE(unzipTestPasses(saved));

    DOC_Application app;
    auto doc = app.Documents().Open(saved, false, true);
    auto table = doc.Tables().Item(1);
    EXPECT_EQ(table.Rows().Count(), 5);
    EXPECT_EQ(table.Cell(2, 2).Range().Text_(), "modificata\rsu due righe\r\x07");
    EXPECT_EQ(table.Cell(3, 1).Range().Text_(), "nuova\r\x07");
    EXPECT_EQ(table.Cell(3, 3).Range().Text_(), "\r\x07"); // the copied row is empty
    EXPECT_EQ(table.Cell(4, 2).Range().Text_(), "prima\rseconda\r\x07");
    EXPECT_EQ(table.Cell(2, 1).Range().Text_(), "001\r\x07");
    auto fields = doc.FormFields();
    ASSERT_EQ(fields.Count(), 5);
    EXPECT_TRUE(fields.Item("t1c001").CheckBox().Value());
    EXPECT_TRUE(fields.Item("t1c002").CheckBox().Value());
    EXPECT_FALSE(fields.Item("t1c003").CheckBox().Value());
    EXPECT_EQ(fields.Item("t1f003").Result(), "Bianchi");
    EXPECT_EQ(fields.Item("note1").Result(), "tutto a posto");
    EXPECT_EQ(fields.Item("t1c001").StatusText(), "Recinzione");
    EXPECT_EQ(fields.Item("t1c001").HelpText(), "001003");
    EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);

    // Only the main story was rewritten; every other part is the original's, byte for byte.
    auto before = opc::Package::open(original);
    auto after = opc::Package::open(saved);
    EXPECT_EQ(before.partNames(), after.partNames());
    for (const auto& name : before.partNames()) {
        if (name == "word/document.xml")
            continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(before.part(name), after.part(name));
    }
}

TEST_F(RoundTripTest, WhitespaceOnlyRunsSurviveARewrite)
{
    const std::string file = path("spazi.doc");
    db::write(checkList(), file);
    const std::string saved = path("spazi2.doc");
    {
        DOC_Application app;
        auto doc = app.Documents().Open(file, false, false);
        doc.Tables().Item(1).Cell(4, 1).Range().Text_(" ");
        doc.SaveAs(saved);
        app.Quit(0);
    }
    const std::string xml = opc::Package::open(saved).part("word/document.xml");
    EXPECT_NE(xml.find("<w:t xml:space=\"preserve\"> </w:t>"), std::string::npos);
    EXPECT_NE(xml.find("<w:t xml:space=\"preserve\"> con spazi </w:t>"), std::string::npos);

    DOC_Application app;
    auto doc = app.Documents().Open(saved, false, true);
    EXPECT_EQ(doc.Tables().Item(1).Cell(4, 1).Range().Text_(), " \r\x07");
    EXPECT_EQ(doc.Tables().Item(1).Cell(2, 2).Range().Text_(), " con spazi \r\x07");
}

TEST_F(RoundTripTest, CloseSavingWritesTheChangesToTheSameFile)
{
    const std::string file = path("2.01.01.doc");
    db::write(checkList(), file);
    {
        DOC_Application app;
        auto doc = app.Documents().Open(file, false, false);
        doc.FormFields().Item(2).CheckBox().Value(true);
        app.Documents().Close(wdSaveChanges);
        EXPECT_EQ(app.Documents().Count(), 0);
        app.Quit();
    }
    DOC_Application app;
    EXPECT_TRUE(app.Documents().Open(file, false, true).FormFields().Item("t1c002").CheckBox().Value());
}

TEST_F(RoundTripTest, ASaveThatFailsMidwayLeavesTheOldFileAsItWas)
{
    const std::string file = path("3.01.01.doc");
    db::write(checkList(), file);
    const std::string before = readFile(file);
    const auto listingBefore = listing();

    DOC_Application app;
    auto doc = app.Documents().Open(file, false, false);
    doc.FormFields().Item("t1f003").Result("da perdere?");
    for (std::size_t failAt : {std::size_t{0}, std::size_t{1}}) {
        SCOPED_TRACE(failAt);
        opc::setWriteFaultHook([failAt](std::size_t written) {
            if (written >= failAt)
                throw std::runtime_error("disco pieno");
        });
        try {
            app.Documents().Close(wdSaveChanges);
            ADD_FAILURE() << "the save should have failed";
        } catch (const WordError& e) {
            EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
        }
        opc::setWriteFaultHook(nullptr);
        EXPECT_EQ(readFile(file), before);
        EXPECT_EQ(listing(), listingBefore); // no temporary file left behind
        // The document stays open with its change, so nothing is lost.
        ASSERT_EQ(app.Documents().Count(), 1);
        EXPECT_EQ(app.ActiveDocument().FormFields().Item("t1f003").Result(), "da perdere?");
    }
    app.Documents().Close(wdSaveChanges);
    DOC_Application again;
    EXPECT_EQ(again.Documents().Open(file, false, true).FormFields().Item("t1f003").Result(),
              "da perdere?");
}

TEST_F(RoundTripTest, TheExtensionDoesNotMatter)
{
    for (const char* name : {"a.doc", "b.DOC", "c.dot", "d.docx"}) {
        SCOPED_TRACE(name);
        db::write(checkList(), path(name));
        DOC_Application app;
        auto doc = app.Documents().Open(path(name), false, true);
        EXPECT_EQ(doc.Name(), name);
        EXPECT_EQ(doc.FormFields().Count(), 5);
        app.Quit(0);
    }
}

TEST_F(RoundTripTest, EachPackageIsReadThroughItsOwnRelationships)
{
    // Two packages whose relationship parts are as long as each other but name different main
    // parts; the second keeps the first's main part under the old name as a decoy.
    const auto rels = [](const std::string& target) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><Relationships xmlns="
               "\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
               "Id=\"rId1\" Type=\""
               + std::string(opc::reltype::officeDocument) + "\" Target=\"" + target + "\"/></Relationships>";
    };
    db::write(checkList(), path("src.doc"));
    auto a = opc::Package::open(path("src.doc"));
    a.setPart("_rels/.rels", rels("word/document.xml"));
    a.saveAs(path("a.doc"));
    auto b = opc::Package::open(path("src.doc"));
    std::string renamed = b.part("word/document.xml");
    for (auto at = renamed.find("t1f003"); at != std::string::npos; at = renamed.find("t1f003", at))
        renamed.replace(at, 6, "t9f003");
    b.setPart("word/documenX.xml", renamed);
    b.setOverride("word/documenX.xml", b.contentType("word/document.xml"));
    b.setPart("_rels/.rels", rels("word/documenX.xml"));
    b.saveAs(path("b.doc"));

    DOC_Application app;
    for (const char* name : {"a.doc", "b.doc", "b.doc", "a.doc"}) {
        SCOPED_TRACE(name);
        auto doc = app.Documents().Open(path(name), false, true);
        const bool isB = std::string(name) == "b.doc";
        EXPECT_EQ(doc.Bookmarks().Exists("t9f003"), isB);
        EXPECT_EQ(doc.Bookmarks().Exists("t1f003"), !isB);
        doc.Close(0);
    }
}

} // namespace
