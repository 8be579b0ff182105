// Inserting documents into a document: the bookmarks of every inserted document keep their
// pairs and get ids no other bookmark of the result has, however the inserts are mixed with
// other edits, and whatever ids the receiving document had to begin with.

#include "data/docbuilder/docbuilder.h"
#include "tests/test_support.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <functional>
#include <map>
#include <regex>
#include <set>

namespace {

namespace db = docbuilder;
using namespace wordauto;
using testsupport::TempDirTest;

class InsertFileTest : public TempDirTest {
protected:
    // A list with a title, two text fields and a check box in a table: three bookmarks.
    std::string writeList(const std::string& name, const std::string& title)
    {
        db::Document d;
        d.body = {db::Paragraph(title),
                  db::table({db::row({title, db::TextField{"t" + name + "a", title}}),
                             db::row({"seconda", db::TextField{"t" + name + "b", ""}}),
                             db::row({"spunta", db::CheckBox{"c" + name, true}})})};
        db::write(d, path(name + ".DOC"));
        return path(name + ".DOC");
    }

    // The document with every bookmark id raised by `by`: ids higher than any inserted
    // document brings.
    void raiseIds(const std::string& file, int by)
    {
        auto package = opc::Package::open(file);
        const std::string xml = package.part("word/document.xml");
        static const std::regex id("(<w:bookmark(Start|End)[^>]* w:id=\")([0-9]+)\"");
        std::string out;
        auto last = xml.cbegin();
        for (std::sregex_iterator it(xml.begin(), xml.end(), id), end; it != end; ++it) {
            out.append(last, (*it)[0].first);
            out += (*it)[1].str() + std::to_string(std::stoi((*it)[3].str()) + by) + "\"";
            last = (*it)[0].second;
        }
        out.append(last, xml.cend());
        ASSERT_NE(out, xml);
        package.setPart("word/document.xml", out);
        package.saveAs(file);
    }

    struct Bookmarks {
        std::map<std::string, std::string> idOfName; // every name once
        std::multiset<std::string> startIds;
        std::multiset<std::string> endIds;
    };

    Bookmarks bookmarksOf(const std::string& file)
    {
        const std::string xml = opc::Package::open(file).part("word/document.xml");
        pugi::xml_document parsed;
        EXPECT_TRUE(parsed.load_string(xml.c_str()));
        Bookmarks b;
        for (auto n : parsed.select_nodes("//w:bookmarkStart")) {
            const std::string id = n.node().attribute("w:id").value();
            b.startIds.insert(id);
            EXPECT_TRUE(b.idOfName.emplace(n.node().attribute("w:name").value(), id).second)
                << n.node().attribute("w:name").value();
        }
        for (auto n : parsed.select_nodes("//w:bookmarkEnd"))
            b.endIds.insert(n.node().attribute("w:id").value());
        return b;
    }
};

struct Case {
    const char* what;
    bool highIdsInTarget; // the receiving document's own bookmarks have ids above 900
    bool topIdsInserted;  // the inserted documents' ids are as high as an int goes
    // Run after each insert but the first; the selection is collapsed after the insert.
    std::function<void(DOC_Document&, DOC_Selection&, int step)> between;
};

TEST_F(InsertFileTest, EveryInsertedBookmarkGetsAnIdOfItsOwn)
{
    const std::vector<Case> cases = {
        {"inserts with page breaks, as a merge", false, false,
         [](DOC_Document&, DOC_Selection& sel, int) { sel.InsertBreak(); }},
        {"inserted documents whose ids are at the top of the range", false, true,
         [](DOC_Document&, DOC_Selection& sel, int) { sel.InsertBreak(); }},
        {"into a document whose own ids are high", true, false,
         [](DOC_Document&, DOC_Selection& sel, int) { sel.InsertBreak(); }},
        {"with field values written and rows added between inserts", true, false,
         [](DOC_Document& doc, DOC_Selection& sel, int step) {
             doc.FormFields().Item("ttargeta").Result("scritto " + std::to_string(step));
             auto rows = doc.Tables().Item(1).Rows();
             rows.Add();
             sel.InsertBreak();
         }},
        {"each insert in place of a block holding a field", false, false,
         [](DOC_Document& doc, DOC_Selection&, int step) {
             doc.FormFields().Item(1 + step % doc.FormFields().Count()).Select();
         }},
    };
    constexpr int kInserts = 12;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string target = writeList("target", "ricevente");
        if (c.highIdsInTarget)
            raiseIds(target, 900);
        std::vector<std::string> names;
        for (int i = 0; i < kInserts; ++i) {
            names.push_back(writeList("l" + std::to_string(i), "lista " + std::to_string(i)));
            if (c.topIdsInserted)
                raiseIds(names.back(), 2147483640);
        }

        {
            DOC_Application app;
            auto doc = app.Documents().Open(target, false, false);
            auto sel = app.Selection();
            for (int i = 0; i < kInserts; ++i) {
                if (i > 0)
                    c.between(doc, sel, i);
                sel.InsertFile(names[static_cast<std::size_t>(i)]);
                sel.Collapse(wdCollapseEnd);
            }
            doc.SaveAs(path("result.doc"));
            app.Quit(wdDoNotSaveChanges);
        }

        const auto b = bookmarksOf(path("result.doc"));
        // Every start has one end with its id, and no id is used twice.
        EXPECT_EQ(b.startIds, b.endIds);
        EXPECT_EQ(std::set<std::string>(b.startIds.begin(), b.startIds.end()).size(), b.startIds.size());
        // The last insert's fields are all there, under their own names.
        const std::string last = std::to_string(kInserts - 1);
        for (const auto& name : {"tl" + last + "a", "tl" + last + "b", "cl" + last})
            EXPECT_TRUE(b.idOfName.count(name)) << name;
    }
}

TEST_F(InsertFileTest, ADocumentWhoseIdsReachTheTopOfTheRangeTakesNoMore)
{
    const std::string target = writeList("target", "ricevente");
    raiseIds(target, 2147483640);
    DOC_Application app;
    auto doc = app.Documents().Open(target, false, false);
    auto sel = app.Selection();
    EXPECT_THROW(sel.InsertFile(writeList("sana", "sana")), WordError);
    EXPECT_FALSE(doc.Bookmarks().Exists("tsanaa"));
    EXPECT_EQ(doc.FormFields().Count(), 3);
    app.Quit(wdDoNotSaveChanges);
}

TEST_F(InsertFileTest, ADamagedDocumentIsRefusedAndTheReceivingOneStaysAsItWas)
{
    std::string nested;
    for (int i = 0; i < 2000; ++i)
        nested += "<w:p>";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"markup cut short", "<?xml version=\"1.0\"?><w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                             "wordprocessingml/2006/main\"><w:body><w:p><w:r>"},
        {"no body", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"/>"},
        {"another root", "<w:settings xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                         "<w:body/></w:settings>"},
        {"nesting without end", "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/"
                                "main\"><w:body>" + nested},
        {"a declaration never closed", "<?xml version=\"1.0\""},
    };
    const std::string target = writeList("target", "ricevente");
    for (const auto& [what, xml] : cases) {
        SCOPED_TRACE(what);
        const std::string damaged = writeList("guasto", "guasto");
        auto package = opc::Package::open(damaged);
        package.setPart("word/document.xml", xml);
        package.saveAs(damaged);

        DOC_Application app;
        auto doc = app.Documents().Open(target, false, false);
        auto sel = app.Selection();
        sel.Collapse(wdCollapseEnd);
        try {
            sel.InsertFile(damaged);
            ADD_FAILURE() << "inserted";
        } catch (const WordError& e) {
            EXPECT_NE(std::string(e.what()).find("guasto.DOC"), std::string::npos) << e.what();
        }
        // Nothing of the damaged document is left behind, and the document still inserts.
        doc.SaveAs(path("result.doc"));
        const std::string saved = opc::Package::open(path("result.doc")).part("word/document.xml");
        EXPECT_EQ(saved.find("guasto"), std::string::npos);
        EXPECT_EQ(saved.find("inserted"), std::string::npos);
        EXPECT_NE(saved.find("ricevente"), std::string::npos);
        sel.InsertFile(writeList("sana", "sana"));
        EXPECT_TRUE(doc.Bookmarks().Exists("tsanaa"));
        app.Quit(wdDoNotSaveChanges);
    }
}

TEST_F(InsertFileTest, AnInsertThatFailsOnceItsBlocksWentInLeavesTheirFieldsToBeFound)
{
    const std::string target = writeList("target", "ricevente");
    // Its first paragraph asks for a style of its own, which only its damaged styles part could
    // give: the insert fails after its blocks were moved in.
    const std::string damaged = writeList("guasto", "guasto");
    auto package = opc::Package::open(damaged);
    std::string xml = package.part("word/document.xml");
    const auto first = xml.find("<w:p>");
    ASSERT_NE(first, std::string::npos);
    xml.insert(first + 5, "<w:pPr><w:pStyle w:val=\"Proprio\"/></w:pPr>");
    package.setPart("word/document.xml", xml);
    package.setPart("word/styles.xml", "<w:styles");
    package.saveAs(damaged);

    auto names = [](DOC_Document& doc) {
        std::vector<std::string> out;
        for (int i = 1; i <= doc.FormFields().Count(); ++i)
            out.push_back(doc.FormFields().Item(i).Name());
        return out;
    };
    for (const bool readFirst : {false, true}) {
        SCOPED_TRACE(readFirst ? "fields read before" : "fields not read before");
        DOC_Application app;
        auto doc = app.Documents().Open(target, false, true);
        if (readFirst) {
            ASSERT_EQ(doc.FormFields().Count(), 3);
        }
        EXPECT_THROW(app.Selection().InsertFile(damaged), WordError);
        // What the story holds now, as a fresh open of it reads it.
        doc.SaveAs(path("dopo.doc"));
        DOC_Application other;
        auto saved = other.Documents().Open(path("dopo.doc"), false, true);
        ASSERT_TRUE(saved.Bookmarks().Exists("tguastoa")) << "the blocks stayed in";
        EXPECT_EQ(names(doc), names(saved));
        EXPECT_EQ(doc.FormFields().Item("tguastoa").Result(), "guasto");
        other.Quit(wdDoNotSaveChanges);
        app.Quit(wdDoNotSaveChanges);
    }
}

} // namespace
