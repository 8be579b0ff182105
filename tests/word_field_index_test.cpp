// The form fields a document's first read finds: for the documents the program ships, and
// for hand-made ones whose shapes matter (fields nested, field characters outside the body or
// of another namespace, the WordprocessingML namespace under another prefix). The same once
// fields may have moved, and an edit made before that first read is seen by it.
#include "bench/field_list.h"
#include "data/docbuilder/docbuilder.h"
#include "data/generator/sample_root.h"
#include "tests/test_support.h"
#include "tests/xml_shapes.h"
#include "wordauto/opc/package.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

namespace db = docbuilder;
namespace fs = std::filesystem;
using namespace xmlshapes;
using wordauto::DOC_Application;
using wordauto::DOC_Document;
using wordauto::detail::DocumentModel;
using wordauto::detail::FormFieldIndex;

std::vector<std::string> namesOf(const FormFieldIndex& index)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < index.count(); ++i) {
        names.push_back(index.at(i).name());
        EXPECT_LE(index.find(names.back()), i) << names.back(); // the first of a name wins
    }
    return names;
}

// Opens the document as the program does and reads its fields; the fields' names, the same
// when the index is built again once fields may have moved.
std::vector<std::string> firstIndexNames(const std::string& path)
{
    auto model = DocumentModel::open(path, true);
    const std::vector<std::string> names = namesOf(model->fields());
    model->touchFields();
    EXPECT_EQ(namesOf(model->fields()), names);
    return names;
}

class FieldIndexTest : public testsupport::TempDirTest {};

TEST_F(FieldIndexTest, TheFieldsOfEverySampleDocumentAreFound)
{
    sample::writeSampleRoot(path("root"));
    std::vector<benchlist::Field> expected;
    db::write(benchlist::fieldList(&expected), path("lunga.doc"));
    std::vector<std::string> documents;
    for (const auto& e : fs::recursive_directory_iterator(path("root")))
        if (e.is_regular_file())
            documents.push_back(e.path().string());
    int withFields = 0;
    for (const auto& d : documents) {
        SCOPED_TRACE(d);
        withFields += firstIndexNames(d).empty() ? 0 : 1;
    }
    EXPECT_GT(documents.size(), 50u);
    // Blank and filled lists have fields, section separators none.
    EXPECT_GT(withFields, 30);
    // The benchmarks' list, as long as the longest real ones.
    std::vector<std::string> names;
    for (const auto& f : expected)
        names.push_back(f.name);
    EXPECT_EQ(firstIndexNames(path("lunga.doc")), names);
}

// Hand-made documents, each under every binding of the WordprocessingML namespace (renamed to
// w: after the open's check).
class FieldIndexShapesTest : public testsupport::TempDirTest, public ::testing::WithParamInterface<Binding> {};

TEST_P(FieldIndexShapesTest, TheFieldsAreFoundWhateverTheShape)
{
    auto textInput = [](const std::string& name) { return r(beginChar(ffData(name, "<w:textInput/>"))); };
    const std::string plainBegin = r("<w:fldChar w:fldCharType=\"begin\"/>");
    const std::string pageField = plainBegin + r(instr("PAGE")) + r(kSeparateChar) + r(t("3")) + r(kEndChar);
    const std::string other = "xmlns:o=\"urn:quarvello:altro\"";
    struct Case {
        const char* what;
        std::string content; // of w:document
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"fields nested in codes and results",
         "<w:body>"
             // A form field whose code holds a PAGE field.
             + p(textInput("codice") + r(instr("FORMTEXT")) + pageField + r(kSeparateChar) + r(t("uno"))
                 + r(kEndChar))
             // A form field whose result holds another.
             + p(textInput("esterno") + r(instr("FORMTEXT")) + r(kSeparateChar) + textField("interno", r(t("due")))
                 + r(kEndChar))
             // An IF field holding a form field in its code.
             + p(plainBegin + r(instr("IF ")) + textField("nelSe", r(t("tre"))) + r(instr(" = 1 \"a\" \"b\""))
                 + r(kSeparateChar) + r(t("b")) + r(kEndChar))
             // A field with a nested one, all in one run.
             + p(r(beginChar(ffData("unaCorsa", "<w:textInput/>")) + instr("FORMTEXT") + kSeparateChar
                   + "<w:fldChar w:fldCharType=\"begin\"/>" + instr("PAGE") + kEndChar + t("x") + kEndChar))
             + "</w:body>",
         {"codice", "esterno", "interno", "nelSe", "unaCorsa"}},
        {"field characters outside the body",
         p(textField("prima", r(t("fuori")))) + "<w:body>" + p(textField("dentro", r(t("sì")))) + "</w:body>"
             + p(textField("dopo", r(t("fuori")))) + "<w:body>" + p(textField("secondoCorpo", r(t("no"))))
             + "</w:body>",
         {"dentro"}},
        {"field characters of another namespace",
         "<w:body>"
             + p(r("<o:fldChar " + other + " w:fldCharType=\"begin\">" + ffData("altro", "<w:textInput/>")
                   + "</o:fldChar>")
                 + r(instr("FORMTEXT")) + r("<o:fldChar " + other + " w:fldCharType=\"end\"/>"))
             + p(textField("vero", r(t("v")))) + "</w:body>",
         {"vero"}},
        {"broken field markup",
         "<w:body>" + p(r(kEndChar)) + p(textField("a", r(t("A")))) + p(r(kSeparateChar))
             + p(textInput("rotto") + r(instr("FORMTEXT")) + r(kSeparateChar) + r(t("senza fine")))
             + p(textField("b", r(t("B")))) + "</w:body>",
         {"a", "b"}},
        {"in tables and content controls",
         "<w:body>"
             + tbl(tr(tc(p(checkBox("spunta", "<w:checked/>"))) + sdt(tc(p(textField("controllo", r(t("c"))))))))
             + p("") + "</w:body>",
         {"spunta", "controllo"}},
        {"no field at all", "<w:body>" + p(r(t("niente"))) + "</w:body>", {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const std::string file = path("caso" + std::to_string(i) + ".docx");
        writePackage(file, documentPartXml(cases[i].content, GetParam()));
        EXPECT_EQ(firstIndexNames(file), cases[i].names);
    }
}

INSTANTIATE_TEST_SUITE_P(Bindings, FieldIndexShapesTest,
                         ::testing::Values(Binding::W, Binding::Ns0, Binding::Default),
                         [](const auto& info) { return bindingName(info.param); });

std::vector<std::string> fieldNames(DOC_Document& doc)
{
    std::vector<std::string> names;
    auto fields = doc.FormFields();
    for (int i = 1; i <= fields.Count(); ++i)
        names.push_back(fields.Item(i).Name());
    return names;
}

TEST_F(FieldIndexTest, AnEditBeforeTheFirstReadIsSeenByIt)
{
    db::Document list;
    list.body = {db::Paragraph("Lista"),
                 db::table({db::row({"uno", db::TextField{"a", "A"}}), db::row({"due", db::CheckBox{"b", true}}),
                            db::row({"tre", db::TextField{"c", "C"}})}),
                 db::para({"Note: ", db::TextField{"d", "D"}})};
    db::write(list, path("lista.doc"));
    db::Document inserted;
    inserted.body = {db::para({"Inserito: ", db::TextField{"x", "X"}, db::CheckBox{"y", false}})};
    db::write(inserted, path("inserito.doc"));

    struct Case {
        const char* what;
        std::function<void(DOC_Application&, DOC_Document&)> edit;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {"a cell holding a field written over",
         [](DOC_Application&, DOC_Document& doc) { doc.Tables().Item(1).Cell(2, 2).Range().Text_("scritto"); },
         {"a", "c", "d"}},
        {"a document with fields inserted before the first block",
         [&](DOC_Application& app, DOC_Document&) { app.Selection().InsertFile(path("inserito.doc")); },
         {"x", "y", "a", "b", "c", "d"}},
        {"a row added from one holding a field, its cells left empty",
         [](DOC_Application&, DOC_Document& doc) {
             auto rows = doc.Tables().Item(1).Rows();
             rows.Add(rows.Item(1));
         },
         {"a", "b", "c", "d"}},
    };
    const std::map<std::string, std::string> results = {{"a", "A"}, {"b", "1"}, {"c", "C"},
                                                        {"d", "D"}, {"x", "X"}, {"y", "0"}};
    for (const auto& c : cases)
        for (const bool readFirst : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (readFirst ? ", fields read before" : ""));
            DOC_Application app;
            auto doc = app.Documents().Open(path("lista.doc"), false, true);
            if (readFirst) {
                ASSERT_EQ(fieldNames(doc), (std::vector<std::string>{"a", "b", "c", "d"}));
            }
            c.edit(app, doc);
            EXPECT_EQ(fieldNames(doc), c.names);
            for (const auto& name : c.names)
                EXPECT_EQ(doc.FormFields().Item(name).Result(), results.at(name)) << name;
            app.Quit(wordauto::wdDoNotSaveChanges);
        }
}

} // namespace
