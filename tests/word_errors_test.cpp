// Bad input of every kind ends in a WordError whose Italian text names the file and the cause,
// and never in a crash or a file written behind the user's back.
#include "data/docbuilder/docbuilder.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>


using namespace wordauto;
namespace fs = std::filesystem;
namespace db = docbuilder;

namespace {

constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

fs::path makeTempDir(const std::string& tag)
{
    std::string tmpl = (fs::path(::testing::TempDir()) / ("word_errors_" + tag + "_XXXXXX")).string();
    if (!::mkdtemp(tmpl.data()))
        return {};
    return tmpl;
}

std::string relsXml(const std::string& target)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "relationships\"><Relationship Id=\"rId1\" Type=\"")
           + opc::reltype::officeDocument + "\" Target=\"" + target + "\"/></Relationships>";
}

// A package around a hand-written document.xml, with the main part's content type given.
opc::Package handMade(const std::string& documentXml, const std::string& mainType = kMainType)
{
    auto pkg = opc::Package::createEmpty();
    pkg.setPart("word/document.xml", documentXml);
    pkg.setPart("_rels/.rels", relsXml("word/document.xml"));
    pkg.setOverride("word/document.xml", mainType);
    return pkg;
}

std::string documentXml(const std::string& body)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><w:document xmlns:w=\"")
           + kWordNs + "\"><w:body>" + body + "</w:body></w:document>";
}

db::Document checkList(bool protectForms = false)
{
    db::Document d;
    d.protectForms = protectForms;
    d.body = {
        "Lista di controllo 2.03",
        db::table({
            db::row({"001", db::TextField{"f001", "Rossi"}}),
            db::row({"002", db::CheckBox{"c002", true}}),
        }),
    };
    return d;
}

// What a folder holds: names with their size and time, and the bytes of the small files.
struct Entry {
    std::uintmax_t size = 0;
    fs::file_time_type time{};
    std::string bytes;
    bool operator==(const Entry&) const = default;
};
using Listing = std::map<std::string, Entry>;

Listing listing(const fs::path& dir)
{
    Listing out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        Entry entry;
        if (e.is_regular_file()) {
            entry.size = e.file_size();
            entry.time = e.last_write_time();
            if (entry.size < (1u << 20))
                entry.bytes = readFile(e.path());
        }
        out[fs::relative(e.path(), dir).string()] = entry;
    }
    return out;
}

std::string names(const Listing& l)
{
    std::string s;
    for (const auto& [name, entry] : l)
        s += name + " (" + std::to_string(entry.size) + ") ";
    return s;
}

// The call must throw a WordError naming `shown` (when given) with `cause` in its text, and
// leave the folder as it was.
testing::AssertionResult failsWith(const std::function<void()>& call, const fs::path& dir,
                                   const std::string& shown, const std::string& cause)
{
    const Listing before = listing(dir);
    std::string what;
    try {
        call();
        return testing::AssertionFailure() << "no WordError";
    } catch (const WordError& e) {
        what = e.what();
        if (e.description() != what)
            return testing::AssertionFailure() << "description() differs from what()";
    } catch (const std::exception& e) {
        return testing::AssertionFailure() << "not a WordError: " << e.what();
    }
    if (!shown.empty() && what.find(shown) == std::string::npos)
        return testing::AssertionFailure() << "does not name " << shown << ": " << what;
    if (what.find(cause) == std::string::npos)
        return testing::AssertionFailure() << "does not say \"" << cause << "\": " << what;
    const Listing after = listing(dir);
    if (after != before)
        return testing::AssertionFailure() << "the folder changed: before " << names(before)
                                           << "after " << names(after);
    return testing::AssertionSuccess() << what;
}

class ErrorsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeTempDir("case");
        ASSERT_FALSE(dir_.empty());
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_);
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

// ---- files that cannot be opened -------------------------------------------------------------

TEST_F(ErrorsTest, FilesThatAreNotWordDocumentsAreRefusedWithTheirCause)
{
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> make;
        const char* cause;
    };
    const std::string ole2("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const Case cases[] = {
        {"missing file", [](const std::string&) {}, "non esiste"},
        {"empty file", [](const std::string& p) { writeFile(p, ""); }, "non è un documento Word"},
        {"text file",
         [](const std::string& p) { writeFile(p, "Verbale di sopralluogo del 12/03\nCantiere 4\n"); },
         "non è un documento Word"},
        {"three bytes of a zip signature", [](const std::string& p) { writeFile(p, "PK\x03"); },
         "non è un documento Word"},
        {"zip signature then junk",
         [](const std::string& p) { writeFile(p, std::string("PK\x03\x04", 4) + std::string(300, 'x')); },
         "danneggiato"},
        {"binary Word 97-2003",
         [&](const std::string& p) { writeFile(p, ole2 + std::string(4096, '\x5a')); }, "97-2003"},
        {"zip of a text file, zip tool",
         [this](const std::string& p) {
             writeFile(path("nota.txt"), "solo testo\n");
             ASSERT_EQ(std::system(("cd '" + dir_.string() + "' && zip -q '" + p + "' nota.txt").c_str()), 0);
             fs::remove(path("nota.txt"));
         },
         "non è un documento Word"},
        {"zip of a text file, with content types",
         [](const std::string& p) {
             auto pkg = opc::Package::createEmpty();
             pkg.setPart("nota.txt", "solo testo\n");
             pkg.saveAs(p);
         },
         "non è un documento Word"},
        {"spreadsheet under another name",
         [](const std::string& p) {
             handMade("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"/>",
                      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml")
                 .saveAs(p);
         },
         "non è un documento Word"},
        {"main part missing",
         [](const std::string& p) {
             auto pkg = handMade(documentXml(""));
             pkg.removePart("word/document.xml");
             pkg.saveAs(p);
         },
         "non è un documento Word"},
        {"truncated document",
         [](const std::string& p) {
             const std::string bytes = db::toBytes(checkList());
             writeFile(p, bytes.substr(0, bytes.size() / 2));
         },
         "danneggiato"},
        {"main part not well-formed",
         [](const std::string& p) {
             handMade(std::string("<w:document xmlns:w=\"") + kWordNs + "\"><w:body><w:p></w:body></w:document>")
                 .saveAs(p);
         },
         "danneggiato"},
        {"main part of another kind",
         [](const std::string& p) {
             handMade(std::string("<w:ftr xmlns:w=\"") + kWordNs + "\"><w:p/></w:ftr>").saveAs(p);
         },
         "danneggiato"},
        {"document without a body",
         [](const std::string& p) {
             handMade(std::string("<w:document xmlns:w=\"") + kWordNs + "\"/>").saveAs(p);
         },
         "danneggiato"},
        {"content types not well-formed",
         [](const std::string& p) {
             auto pkg = handMade(documentXml(""));
             pkg.setPart("[Content_Types].xml", "<Types xmlns=\"x\"><Default Extension=");
             pkg.saveAs(p);
         },
         "danneggiato"},
        {"encrypted zip",
         [this](const std::string& p) {
             writeFile(path("nota.txt"), "solo testo\n");
             ASSERT_EQ(std::system(("cd '" + dir_.string() + "' && zip -q -P segreta '" + p + "' nota.txt").c_str()), 0);
             fs::remove(path("nota.txt"));
         },
         "cifrato"},
        {"a folder", [](const std::string& p) { fs::create_directory(p); }, "cartella"},
        {"over the file size bound, sparse",
         [](const std::string& p) {
             writeFile(p, "");
             fs::resize_file(p, 300u << 20);
         },
         "dimensione massima"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string p = path("caso" + std::to_string(++n) + ".doc");
        c.make(p);
        for (bool readOnly : {true, false}) {
            SCOPED_TRACE(readOnly ? "read-only" : "read-write");
            DOC_Application app;
            EXPECT_TRUE(failsWith([&] { app.Documents().Open(p, false, readOnly); }, dir_, p, c.cause));
            EXPECT_EQ(app.Documents().Count(), 0);
            EXPECT_THROW(app.ActiveDocument(), WordError);
            app.Quit(0);
        }
        // Add from such a file as a template fails the same way.
        DOC_Application app;
        EXPECT_TRUE(failsWith([&] { app.Documents().Add(p); }, dir_, p, c.cause));
        EXPECT_EQ(app.Documents().Count(), 0);
    }
}

TEST_F(ErrorsTest, PackagesOverTheBoundsAreRefused)
{
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    struct Case {
        const char* what;
        opc::Limits limits;
        const char* cause;
    };
    auto with = [](auto change) {
        opc::Limits l;
        change(l);
        return l;
    };
    const Case cases[] = {
        {"a part over the part bound", with([](opc::Limits& l) { l.maxPartBytes = 256; }), "troppo grande"},
        {"all parts over the total bound", with([](opc::Limits& l) { l.maxTotalBytes = 2048; }),
         "dimensione massima"},
        {"the file over the file bound", with([](opc::Limits& l) { l.maxFileBytes = 1024; }),
         "dimensione massima"},
        {"more parts than allowed", with([](opc::Limits& l) { l.maxParts = 2; }), "troppe parti"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(failsWith([&] { opc::Package::open(p, c.limits); }, dir_, p, c.cause));
    }
    // Within default bounds the same file opens.
    EXPECT_NO_THROW(opc::Package::open(p));
}

TEST_F(ErrorsTest, AMainPartOverThePartBoundIsNamed)
{
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += "<w:p><w:r><w:t>Voce " + std::to_string(i) + " della lista di controllo</w:t></w:r></w:p>";
    const std::string p = path("grande.doc");
    handMade(documentXml(body)).saveAs(p);
    opc::Limits limits;
    limits.maxPartBytes = 4096; // above every other part, below the main one
    std::string what;
    EXPECT_TRUE(failsWith([&] { opc::Package::open(p, limits); }, dir_, p, "troppo grande"));
    try {
        opc::Package::open(p, limits);
    } catch (const WordError& e) {
        what = e.what();
    }
    EXPECT_THAT(what, testing::HasSubstr("word/document.xml"));
    EXPECT_THAT(what, testing::Not(testing::HasSubstr("Content_Types")));
}

// ~80 MB of spaces in the body, deflated to ~100 KB: written once for the suite.
class ZipBombTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new fs::path(makeTempDir("bomb"));
        auto pkg = handMade(documentXml(std::string(80u << 20, ' ')));
        pkg.saveAs(bomb());
        // The same file with sizes that lie: 1000 bytes declared in both headers.
        std::string bytes = readFile(bomb());
        int patched = 0;
        const std::string name = "word/document.xml";
        for (std::size_t i = 0; i + 46 + name.size() < bytes.size(); ++i) {
            std::size_t at = 0;
            if (bytes.compare(i, 4, "PK\x03\x04", 4) == 0 && bytes.compare(i + 30, name.size(), name) == 0)
                at = i + 22; // local header: uncompressed size
            else if (bytes.compare(i, 4, "PK\x01\x02", 4) == 0 && bytes.compare(i + 46, name.size(), name) == 0)
                at = i + 24; // central directory: uncompressed size
            if (at) {
                const unsigned char small[4] = {0xE8, 0x03, 0, 0};
                bytes.replace(at, 4, reinterpret_cast<const char*>(small), 4);
                ++patched;
            }
        }
        patchedHeaders_ = patched;
        writeFile(lying(), bytes);
    }
    static void TearDownTestSuite()
    {
        fs::remove_all(*dir_);
        delete dir_;
    }
    static std::string bomb() { return (*dir_ / "bomba.doc").string(); }
    static std::string lying() { return (*dir_ / "bomba-bugiarda.doc").string(); }

    static fs::path* dir_;
    static int patchedHeaders_;
};
fs::path* ZipBombTest::dir_ = nullptr;
int ZipBombTest::patchedHeaders_ = 0;

TEST_F(ZipBombTest, IsSmallOnDiskAndRefusedWithDefaultBounds)
{
    ASSERT_LT(fs::file_size(bomb()), 1u << 20);
    ASSERT_EQ(patchedHeaders_, 2);
    for (const auto& p : {bomb(), lying()}) {
        SCOPED_TRACE(p);
        DOC_Application app;
        EXPECT_TRUE(failsWith([&] { app.Documents().Open(p, false, true); }, *dir_, p, "troppo grande"));
        EXPECT_EQ(app.Documents().Count(), 0);
        EXPECT_TRUE(failsWith([&] { opc::Package::open(p).part("word/document.xml"); }, *dir_, p,
                              "troppo grande"));
    }
}

TEST_F(ZipBombTest, SizesThatLieAreCaughtWhileInflating)
{
    // The declared size passes every bound; only the inflated bytes can show the lie.
    opc::Limits tight;
    tight.maxPartBytes = 1u << 20;
    auto pkg = opc::Package::open(lying(), tight);
    EXPECT_TRUE(failsWith([&] { pkg.part("word/document.xml"); }, *dir_, lying(), "troppo grande"));
}

// ---- calls that cannot be answered -----------------------------------------------------------

TEST_F(ErrorsTest, MembersOutOfRangeDoNotExistAndChangeNothing)
{
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    DOC_Application app;
    auto doc = app.Documents().Open(p, false, false);
    ASSERT_EQ(doc.FormFields().Count(), 2);
    ASSERT_EQ(doc.Tables().Count(), 1);
    ASSERT_EQ(doc.Sections().Count(), 1);

    struct Case {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"field 0", [&] { doc.FormFields().Item(0); }},
        {"field -1", [&] { doc.FormFields().Item(-1); }},
        {"field n+1", [&] { doc.FormFields().Item(3); }},
        {"field by unknown name", [&] { doc.FormFields().Item("nonexistent"); }},
        {"field by a prefix of a name", [&] { doc.FormFields().Item("f00"); }},
        {"table 0", [&] { doc.Tables().Item(0); }},
        {"table 5", [&] { doc.Tables().Item(5); }},
        {"row 99", [&] { doc.Tables().Item(1).Cell(99, 1); }},
        {"row 0", [&] { doc.Tables().Item(1).Cell(0, 1); }},
        {"column 99", [&] { doc.Tables().Item(1).Cell(1, 99); }},
        {"rows item 3", [&] { doc.Tables().Item(1).Rows().Item(3); }},
        {"row's cell 3", [&] { doc.Tables().Item(1).Rows().Item(1).Cells(3); }},
        {"section 0", [&] { doc.Sections().Item(0); }},
        {"section 9", [&] { doc.Sections().Item(9); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(failsWith(c.call, dir_, p, "non esiste"));
    }
    EXPECT_TRUE(doc.Saved());
    EXPECT_EQ(doc.FormFields().Count(), 2);

    // The instance has no file to name: only the cause.
    for (int index : {0, 2, 3}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(failsWith([&] { app.Documents().Item(index); }, dir_, "", "non è aperto"));
    }
}

TEST_F(ErrorsTest, AFieldWrittenOverWithItsCellIsGoneForItsHandles)
{
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    DOC_Application app;
    auto doc = app.Documents().Open(p, false, false);
    auto field = doc.FormFields().Item("F001");
    auto box = doc.FormFields().Item(2);
    EXPECT_EQ(field.Name(), "f001"); // the field's own spelling, not the one asked for
    doc.Tables().Item(1).Cell(1, 2).Range().Text_("scritto sopra");
    ASSERT_EQ(doc.FormFields().Count(), 1);
    // The box moved up to the first place and is found again by its name.
    EXPECT_EQ(box.Name(), "c002");
    EXPECT_TRUE(box.CheckBox().Value());
    EXPECT_TRUE(failsWith([&] { field.Name(); }, dir_, "lista.doc", "Il campo f001 non esiste più"));
    EXPECT_TRUE(failsWith([&] { field.Result(); }, dir_, "lista.doc", "Il campo f001 non esiste più"));
}

TEST_F(ErrorsTest, AnEndedInstanceAnswersNothing)
{
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    DOC_Application app;
    auto documents = app.Documents();
    auto doc = documents.Open(p, false, false);
    auto field = doc.FormFields().Item("f001");
    auto cell = doc.Tables().Item(1).Cell(1, 1);
    doc.FormFields().Item("f001").Result("non salvato");
    app.Quit(0);
    EXPECT_FALSE(app.IsRunning());

    struct Case {
        const char* what;
        std::function<void()> call;
        bool namesDocument;
    };
    const Case cases[] = {
        {"Documents", [&] { app.Documents(); }, false},
        {"ActiveDocument", [&] { app.ActiveDocument(); }, false},
        {"Selection", [&] { app.Selection(); }, false},
        {"Visible", [&] { app.Visible(); }, false},
        {"Quit again", [&] { app.Quit(0); }, false},
        {"held Documents: Count", [&] { documents.Count(); }, false},
        {"held Documents: Open", [&] { documents.Open(p, false, true); }, false},
        {"held document: FormFields().Count", [&] { doc.FormFields().Count(); }, true},
        {"held document: Name", [&] { doc.Name(); }, true},
        {"held document: Tables().Count", [&] { doc.Tables().Count(); }, true},
        {"held document: Save", [&] { doc.Save(); }, true},
        {"held field: Result", [&] { field.Result(); }, true},
        {"held field: write Result", [&] { field.Result("x"); }, true},
        {"held cell: Text_", [&] { cell.Range().Text_(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(failsWith(c.call, dir_, c.namesDocument ? p : "", "terminata"));
    }
}

TEST_F(ErrorsTest, AClosedDocumentsHandlesAnswerNothing)
{
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    DOC_Application app;
    auto doc = app.Documents().Open(p, false, false);
    auto field = doc.FormFields().Item("f001");
    auto box = doc.FormFields().Item("c002").CheckBox();
    auto cell = doc.Tables().Item(1).Cell(1, 1);
    field.Result("scartato");
    doc.Close(0);
    // Opening the file again gives a new document; the old handles stay dead.
    auto again = app.Documents().Open(p, false, true);
    EXPECT_EQ(again.FormFields().Item("f001").Result(), "Rossi");

    struct Case {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"Name", [&] { doc.Name(); }},
        {"FormFields().Count", [&] { doc.FormFields().Count(); }},
        {"Bookmarks().Exists", [&] { doc.Bookmarks().Exists("f001"); }},
        {"field Result", [&] { field.Result(); }},
        {"field write Result", [&] { field.Result("x"); }},
        {"check box Value", [&] { box.Value(); }},
        {"check box write Value", [&] { box.Value(false); }},
        {"cell Text_", [&] { cell.Range().Text_(); }},
        {"cell write Text_", [&] { cell.Range().Text_("x"); }},
        {"SaveAs", [&] { doc.SaveAs(path("copia.doc")); }},
        {"Save", [&] { doc.Save(); }},
        {"Close", [&] { doc.Close(0); }},
        {"Activate", [&] { doc.Activate(); }},
        {"Protect_", [&] { doc.Protect_(wdAllowOnlyFormFields, true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(failsWith(c.call, dir_, p, "chiuso"));
    }
    EXPECT_EQ(app.Documents().Count(), 1);
    EXPECT_EQ(app.ActiveDocument(), again);
}

TEST_F(ErrorsTest, ADeadDocumentGivesNoCollections)
{
    // As with Word, the call that reaches a dead document fails, not a later one on what it
    // returned, which would fail outside the caller's handler.
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    struct Case {
        const char* what;
        std::function<void(DOC_Document&)> call;
    };
    const Case cases[] = {
        {"FormFields", [](DOC_Document& d) { d.FormFields(); }},
        {"Bookmarks", [](DOC_Document& d) { d.Bookmarks(); }},
        {"Tables", [](DOC_Document& d) { d.Tables(); }},
        {"Sections", [](DOC_Document& d) { d.Sections(); }},
    };
    for (bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "instance ended" : "document closed");
        DOC_Application app;
        auto doc = app.Documents().Open(p, false, true);
        if (quit)
            app.Quit(0);
        else
            doc.Close(0);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_TRUE(failsWith([&] { c.call(doc); }, dir_, p, quit ? "terminata" : "chiuso"));
        }
    }
}

// ---- saving and protection -------------------------------------------------------------------

TEST_F(ErrorsTest, AReadOnlyDocumentIsNotWrittenOverItsOwnFile)
{
    const std::string p = path("lista.doc");
    db::write(checkList(), p);
    fs::create_symlink(p, path("collegamento.doc"));
    const std::string original = readFile(p);
    DOC_Application app;
    auto doc = app.Documents().Open(p, false, true);
    ASSERT_TRUE(doc.ReadOnly());
    doc.FormFields().Item("f001").Result("modificato");

    struct Case {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"SaveAs the same path", [&] { doc.SaveAs(p); }},
        {"SaveAs the same file spelled otherwise", [&] { doc.SaveAs((dir_ / "." / "lista.doc").string()); }},
        {"SaveAs through a link to it", [&] { doc.SaveAs(path("collegamento.doc")); }},
        {"Save", [&] { doc.Save(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(failsWith(c.call, dir_, p, "sola lettura"));
        EXPECT_EQ(readFile(p), original);
    }
    // Still changed, still read-only; saving elsewhere works and makes the copy its own.
    EXPECT_FALSE(doc.Saved());
    EXPECT_TRUE(doc.ReadOnly());
    doc.SaveAs(path("copia.doc"));
    EXPECT_FALSE(doc.ReadOnly());
    EXPECT_EQ(readFile(p), original);
    app.Quit(0);

    DOC_Application check;
    EXPECT_EQ(check.Documents().Open(path("copia.doc"), false, true).FormFields().Item("f001").Result(),
              "modificato");
}

// The check list with its settings replaced by the given w:documentProtection element.
void writeWithProtection(const std::string& path, const std::string& protection)
{
    const std::string bytes = db::toBytes(checkList());
    auto pkg = opc::Package::fromBytes(bytes, path);
    const auto settings = pkg.relatedPart("word/document.xml", opc::reltype::settings);
    ASSERT_TRUE(settings.has_value());
    pkg.setPart(*settings, std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                                       "<w:settings xmlns:w=\"")
                               + kWordNs + "\"><w:zoom w:percent=\"100\"/>" + protection
                               + "<w:defaultTabStop w:val=\"708\"/></w:settings>");
    pkg.saveAs(path);
}

TEST_F(ErrorsTest, APasswordKeepsTheProtectionOn)
{
    struct Case {
        const char* what;
        const char* protection;
    };
    const Case cases[] = {
        {"hash and salt",
         "<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\" w:hashValue=\"abc\" w:saltValue=\"def\" "
         "w:algorithmName=\"SHA-512\" w:spinCount=\"100000\"/>"},
        {"legacy hash",
         "<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\" w:cryptProviderType=\"rsaAES\" "
         "w:cryptAlgorithmClass=\"hash\" w:cryptAlgorithmSid=\"14\" w:cryptSpinCount=\"100000\" "
         "w:hash=\"abc\" w:salt=\"def\"/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string p = path("protetta.doc");
        writeWithProtection(p, c.protection);
        DOC_Application app;
        auto doc = app.Documents().Open(p, false, false);
        ASSERT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
        EXPECT_TRUE(failsWith([&] { doc.Unprotect(); }, dir_, p, "password"));
        EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
        EXPECT_TRUE(doc.Saved());
        // Protecting again is refused as well: it is protected already.
        EXPECT_TRUE(failsWith([&] { doc.Protect_(wdAllowOnlyFormFields, true); }, dir_, p, "già protetto"));
        app.Quit(0);
        fs::remove(p);
    }
}

TEST_F(ErrorsTest, ProtectionWithoutPasswordComesOffAndGoesBackOn)
{
    struct Case {
        const char* what;
        const char* protection;
        int type;
    };
    const Case cases[] = {
        {"forms", "<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\"/>", wdAllowOnlyFormFields},
        {"forms, enforcement true", "<w:documentProtection w:edit=\"forms\" w:enforcement=\"true\"/>",
         wdAllowOnlyFormFields},
        {"read only", "<w:documentProtection w:edit=\"readOnly\" w:enforcement=\"1\"/>", wdAllowOnlyReading},
        {"not enforced", "<w:documentProtection w:edit=\"forms\" w:enforcement=\"0\"/>", wdNoProtection},
        // LibreOffice writes the hash attributes empty when no password was given.
        {"empty hash and salt",
         "<w:documentProtection w:edit=\"forms\" w:enforcement=\"true\" w:cryptProviderType=\"rsaAES\" "
         "w:cryptAlgorithmClass=\"hash\" w:cryptAlgorithmType=\"typeAny\" w:cryptAlgorithmSid=\"14\" "
         "w:cryptSpinCount=\"100000\" w:hash=\"\" w:salt=\"\"/>",
         wdAllowOnlyFormFields},
        {"empty hash value and salt value",
         "<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\" w:algorithmName=\"SHA-512\" "
         "w:hashValue=\"\" w:saltValue=\"\" w:spinCount=\"100000\"/>",
         wdAllowOnlyFormFields},
        {"none", "", wdNoProtection},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string p = path("lista.doc");
        const std::string unprotected = path("sbloccata.doc");
        const std::string protectedAgain = path("protetta.doc");
        writeWithProtection(p, c.protection);
        {
            DOC_Application app;
            auto doc = app.Documents().Open(p, false, true);
            EXPECT_EQ(doc.ProtectionType(), c.type);
            doc.Unprotect();
            EXPECT_EQ(doc.ProtectionType(), wdNoProtection);
            doc.SaveAs(unprotected);
            app.Quit(0);
        }
        {
            DOC_Application app;
            auto doc = app.Documents().Open(unprotected, false, false);
            EXPECT_EQ(doc.ProtectionType(), wdNoProtection);
            EXPECT_EQ(doc.FormFields().Item("f001").Result(), "Rossi");
            doc.Protect_(wdAllowOnlyFormFields, true);
            EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
            doc.SaveAs(protectedAgain);
            app.Quit(0);
        }
        DOC_Application app;
        auto doc = app.Documents().Open(protectedAgain, false, true);
        EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
        EXPECT_EQ(doc.FormFields().Item("f001").Result(), "Rossi");
        app.Quit(0);
        for (const auto& f : {p, unprotected, protectedAgain})
            fs::remove(f);
    }
}

TEST_F(ErrorsTest, ProtectingADocumentWithoutSettingsAddsThem)
{
    const std::string p = path("senza_impostazioni.doc");
    auto pkg = handMade(documentXml("<w:p><w:r><w:t>solo testo</w:t></w:r></w:p>"));
    pkg.setPart("word/_rels/document.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"/>");
    pkg.saveAs(p);
    {
        DOC_Application app;
        auto doc = app.Documents().Open(p, false, false);
        EXPECT_EQ(doc.ProtectionType(), wdNoProtection);
        EXPECT_TRUE(failsWith([&] { doc.Protect_(7, true); }, dir_, p, "non valido"));
        EXPECT_EQ(doc.ProtectionType(), wdNoProtection);
        doc.Protect_(wdAllowOnlyFormFields, true);
        doc.Save();
        app.Quit(0);
    }
    DOC_Application app;
    EXPECT_EQ(app.Documents().Open(p, false, true).ProtectionType(), wdAllowOnlyFormFields);
}

} // namespace
