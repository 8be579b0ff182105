// Documents made to hurt the reader, each built here from a short description: nesting far
// deeper than any real file, names aimed at one slot of the name index, files that are not
// files, text that XML does not allow, a damaged part nobody reads. Each ends in a WordError
// that names the file and the cause, or in the right answer.
#include "tests/colliding_names.h"
#include "tests/hostile_documents.h"
#include "tests/test_support.h"
#include "wordauto/opc/package.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

using namespace wordauto;
using namespace testsupport;

namespace {

// What a reader of a check list asks of a document: every field by position and by name,
// every cell's text of every table, the protection.
void readEverything(DOC_Document& doc)
{
    auto fields = doc.FormFields();
    for (int i = 1; i <= fields.Count(); ++i) {
        auto f = fields.Item(i);
        (void)fields.Item(f.Name()).Result();
    }
    auto tables = doc.Tables();
    for (int t = 1; t <= tables.Count(); ++t) {
        auto rows = tables.Item(t).Rows();
        for (int r = 1; r <= rows.Count(); ++r)
            for (int c = 1; c <= rows.Item(r).CellCount(); ++c)
                (void)rows.Item(r).Cells(c).Range().Text_();
    }
    (void)doc.ProtectionType();
}

class HostileTest : public testsupport::TempDirTest {
protected:
    // Opens the file and reads it all; the WordError's text, or nothing when all went well.
    std::optional<std::string> openAndRead(const std::string& p,
                                           const std::function<void(DOC_Document&)>& check = {})
    {
        DOC_Application app;
        try {
            auto doc = app.Documents().Open(p, false, true);
            readEverything(doc);
            if (check)
                check(doc);
        } catch (const WordError& e) {
            app.Quit(0);
            return std::string(e.what());
        }
        app.Quit(0);
        return std::nullopt;
    }
};

struct Case {
    const char* what;
    std::string bytes;
    std::string cause; // in the WordError's text, with the file's path; empty: it opens
    std::function<void(DOC_Document&)> check{};
};

std::vector<Case> hostileDocuments()
{
    const std::string oneField = field("f001", "Rossi");
    const std::string tooDeep = "XML non valido in word/document.xml: elementi annidati oltre 1000 livelli";
    std::vector<Case> cases = {
        {"tables nested 100,000 deep",
         package(documentXml(nested("<w:tbl><w:tr><w:tc>", oneField, "</w:tc></w:tr></w:tbl>"))),
         tooDeep},
        {"w:sdt nested 100,000 deep around a table",
         package(documentXml(nested("<w:sdt><w:sdtContent>", table(row(cell(oneField))),
                                    "</w:sdtContent></w:sdt>"))),
         tooDeep},
        {"w:customXml nested 100,000 deep around the tables",
         package(documentXml(nested("<w:customXml>", table(row(cell(oneField))), "</w:customXml>"))),
         tooDeep},
        {"w:customXml nested 100,000 deep around a row",
         package(documentXml(table(nested("<w:customXml>", row(cell(oneField)), "</w:customXml>")))),
         tooDeep},
        {"w:sdt nested 100,000 deep around a cell",
         package(documentXml(table(row(nested("<w:sdt><w:sdtContent>", cell(oneField),
                                              "</w:sdtContent></w:sdt>"))))),
         tooDeep},
        {"w:customXml nested 100,000 deep in a cell",
         package(documentXml(table(row(cell(nested("<w:customXml>", oneField, "</w:customXml>")))))),
         tooDeep},
        {"runs nested 100,000 deep in a paragraph",
         package(documentXml("<w:p>" + nested("<w:customXml>", "<w:r><w:t>x</w:t></w:r>", "</w:customXml>")
                             + "</w:p>")),
         tooDeep},
        {"deep nesting in a part read later",
         package(documentXml(oneField),
                 {settingsPart(settingsXml(nested("<w:x>", "", "</w:x>")))}),
         "XML non valido in word/settings.xml: elementi annidati oltre 1000 livelli"},
        {"bytes that are not UTF-8 in a field name",
         package(documentXml(field("f\xC3\x28", "Rossi"))),
         "XML non valido in word/document.xml: testo non codificato in UTF-8"},
        {"an overlong UTF-8 form in a result", package(documentXml(field("f001", "\xC0\xAF"))),
         "testo non codificato in UTF-8"},
        {"a UTF-16 surrogate written as UTF-8", package(documentXml(field("f001", "\xED\xA0\x80"))),
         "testo non codificato in UTF-8"},
        {"the character reference &#1;", package(documentXml(field("f001", "a&#1;b"))),
         "XML non valido in word/document.xml: carattere di codice 1 non ammesso"},
        {"the reference &#xFFFE;", package(documentXml(field("f001", "&#xFFFE;"))),
         "carattere di codice 65534 non ammesso"},
        {"a raw control character in an attribute", package(documentXml(field("f\x01", "Rossi"))),
         "carattere di codice 1 non ammesso"},
        {"an undefined entity", package(documentXml(field("f001", "a&nbsp;b"))),
         "XML non valido in word/document.xml: entità non definita &nbsp;"},
        {"an entity defined in a DTD",
         package("<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY x \"yyyy\">]>"
                 + documentXml(field("f001", "&x;")).substr(std::strlen("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"))),
         "dichiarazione DOCTYPE non ammessa"},
        {"bad UTF-8 in the settings", package(documentXml(oneField), {settingsPart(settingsXml("<w:zoom w:val=\"\xFF\"/>"))}),
         "XML non valido in word/settings.xml: testo non codificato in UTF-8"},
        {"a control character in the content types",
         [&] {
             auto pkg = opc::Package::fromBytes(package(documentXml(oneField)), "x");
             std::string types = pkg.part("[Content_Types].xml");
             types.insert(types.find("<Default"), "\x02");
             pkg.setPart("[Content_Types].xml", types);
             return pkg.toBytes();
         }(),
         "XML non valido in [Content_Types].xml: carattere di codice 2 non ammesso"},
        // What the reader must get right.
        {"an ampersand, quotes and text in CDATA and comments",
         package(documentXml("<!-- & <w:p> -->" + field("f001", "a &amp; b &lt;&#233;&#x20AC;&quot;")
                             + "<w:p><w:r><w:t><![CDATA[ & <w:p> ]]></w:t></w:r></w:p>")),
         "",
         [](DOC_Document& doc) { EXPECT_EQ(doc.FormFields().Item("f001").Result(), "a & b <é€\""); }},
        {"a UTF-16 document, little endian",
         package(utf16("<?xml version=\"1.0\" encoding=\"UTF-16\" standalone=\"yes\"?>"
                           + documentXml(field("perché", "Sì, più 𝄞")).substr(55),
                       true)),
         "",
         [](DOC_Document& doc) { EXPECT_EQ(doc.FormFields().Item("PERCHé").Result(), "Sì, più 𝄞"); }},
        {"a UTF-16 document, big endian, with UTF-16 settings",
         package(utf16(documentXml(field("f001", "Verdi")), false),
                 {settingsPart(utf16(settingsXml("<w:documentProtection w:edit=\"forms\" w:enforcement=\"1\"/>"), false))}),
         "",
         [](DOC_Document& doc) {
             EXPECT_EQ(doc.FormFields().Item("f001").Result(), "Verdi");
             EXPECT_EQ(doc.ProtectionType(), wdAllowOnlyFormFields);
         }},
        {"a UTF-16 document cut in the middle of a character",
         package(utf16(documentXml(oneField), true) + "x"), "testo UTF-16 troncato"},
        {"nesting as deep as real files go, through every kind of wrapper",
         package(documentXml(nested("<w:sdt><w:sdtContent>",
                                    table(nested("<w:customXml>",
                                                 row(nested("<w:sdt><w:sdtContent>",
                                                            cell(nested("<w:customXml>", field("profondo", "fondo"),
                                                                        "</w:customXml>", 100)),
                                                            "</w:sdtContent></w:sdt>", 100)),
                                                 "</w:customXml>", 100)),
                                    "</w:sdtContent></w:sdt>", 100))),
         "",
         [](DOC_Document& doc) {
             ASSERT_EQ(doc.Tables().Count(), 1);
             EXPECT_EQ(doc.Tables().Item(1).Rows().Count(), 1);
             EXPECT_EQ(doc.Tables().Item(1).Rows().Item(1).CellCount(), 1);
             EXPECT_EQ(doc.Tables().Item(1).Cell(1, 1).Range().Text_(), "fondo\r\x07");
             EXPECT_EQ(doc.FormFields().Item("profondo").Result(), "fondo");
         }},
        {"tables nested 300 deep",
         package(documentXml(nested("<w:tbl><w:tr><w:tc>", "<w:p><w:r><w:t>x</w:t></w:r></w:p>",
                                    "</w:tc></w:tr></w:tbl>", 300))),
         "",
         [](DOC_Document& doc) {
             ASSERT_EQ(doc.Tables().Count(), 1);
             const std::string text = doc.Tables().Item(1).Cell(1, 1).Range().Text_();
             // The innermost cell, then each table's end of cell and row marks on the way out.
             std::string expected = "x\r\x07";
             for (int level = 1; level < 300; ++level)
                 expected += "\r\x07\r\x07";
             EXPECT_EQ(text, expected);
         }},
    };
    return cases;
}

TEST_F(HostileTest, EachHostileDocumentEndsInAClearErrorOrTheRightAnswer)
{
    for (const auto& c : hostileDocuments()) {
        SCOPED_TRACE(c.what);
        const std::string p = path("lista.docx");
        writeFile(p, c.bytes);
        const auto error = openAndRead(p, c.check);
        if (c.cause.empty()) {
            EXPECT_FALSE(error) << *error;
            continue;
        }
        ASSERT_TRUE(error) << "no WordError";
        EXPECT_NE(error->find(c.cause), std::string::npos) << *error;
        EXPECT_NE(error->find("\"" + p + "\""), std::string::npos) << *error;
    }
}

TEST_F(HostileTest, AFifoIsRefusedWithoutWaitingForAWriter)
{
    const std::string p = path("x.docx");
    ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
    const auto error = openAndRead(p);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find("file speciale"), std::string::npos) << *error;
    EXPECT_NE(error->find(p), std::string::npos) << *error;
}

TEST_F(HostileTest, ADeviceIsRefused)
{
    for (const char* device : {"/dev/null", "/dev/zero"}) {
        SCOPED_TRACE(device);
        const auto error = openAndRead(device);
        ASSERT_TRUE(error);
        EXPECT_NE(error->find("file speciale"), std::string::npos) << *error;
    }
}

// Names that would all fall on one slot of an index with a hash known in advance: every name
// still leads to its own field, whatever its case.
TEST_F(HostileTest, NamesAimedAtOneSlotAllLeadToTheirOwnField)
{
    constexpr std::size_t kCount = 20000;
    const auto names = testsupport::fnvCollidingNames(kCount);
    std::string body;
    for (std::size_t i = 0; i < names.size(); ++i)
        body += field(names[i], std::to_string(i));
    const std::string p = path("nomi.docx");
    writeFile(p, package(documentXml(body)));

    DOC_Application app;
    auto doc = app.Documents().Open(p, false, true);
    auto fields = doc.FormFields();
    ASSERT_EQ(fields.Count(), static_cast<int>(kCount));
    for (std::size_t i = 0; i < names.size(); i += 7) {
        std::string upper = names[i];
        for (char& ch : upper)
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(fields.Item(upper).Result(), std::to_string(i)) << names[i];
        EXPECT_TRUE(doc.Bookmarks().Exists(names[i]));
    }
    EXPECT_FALSE(doc.Bookmarks().Exists(names[0] + "x"));
    EXPECT_FALSE(doc.Bookmarks().Exists(names[0].substr(0, names[0].size() - 1)));
    app.Quit(0);
}

// A part never read that is damaged in the file (its compressed data do not match its CRC)
// would be copied into the saved file as it was: the save is refused, naming the part, and
// nothing is written.
TEST_F(HostileTest, ADamagedPartNeverReadIsRefusedForFillingAndStopsASaveOfACopy)
{
    std::string styles = std::string("<?xml version=\"1.0\"?><w:styles xmlns:w=\"") + kWordNs + "\">";
    for (int i = 0; i < 200; ++i)
        styles += "<w:style w:styleId=\"s" + std::to_string(i * 7919 % 1000) + "\"/>";
    styles += "</w:styles>";
    std::string bytes = package(documentXml(field("f001", "Rossi")), {stylesPart(styles)});
    // The local header of word/styles.xml: its data follow the name and the extra field.
    auto le16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at]))
               | static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    std::size_t at = bytes.find("PK\x03\x04");
    while (at != std::string::npos && bytes.compare(at + 30, le16(at + 26), "word/styles.xml") != 0)
        at = bytes.find("PK\x03\x04", at + 4);
    ASSERT_NE(at, std::string::npos);
    const std::size_t data = at + 30 + le16(at + 26) + le16(at + 28);
    for (std::size_t i = 20; i < 28; ++i)
        bytes[data + i] = static_cast<char>(bytes[data + i] ^ 0x5A);

    const std::string p = path("lista.docx");
    const std::string other = path("copia.docx");
    writeFile(p, bytes);
    const auto before = listing();
    DOC_Application app;
    // Opened to be filled in, it is refused at once: a save of what the user typed would fail.
    try {
        app.Documents().Open(p, false, false);
        ADD_FAILURE() << "opened for filling";
    } catch (const WordError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("word/styles.xml"), std::string::npos) << what;
        EXPECT_NE(what.find(p), std::string::npos) << what;
    }
    // Read-only, as a check reads it, it opens; a copy saved from it stops at the damaged part.
    auto doc = app.Documents().Open(p, false, true);
    EXPECT_EQ(doc.FormFields().Item("f001").Result(), "Rossi");
    doc.FormFields().Item("f001").Result("Bianchi");
    try {
        doc.SaveAs(other);
        ADD_FAILURE() << "the save went through";
    } catch (const WordError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("word/styles.xml"), std::string::npos) << what;
        EXPECT_NE(what.find(p), std::string::npos) << what;
    }
    app.Quit(0);
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(readFile(p), bytes);
}

// A UTF-16 part is written back in UTF-8, saying so in its declaration.
TEST_F(HostileTest, AUtf16PartIsWrittenBackAsUtf8)
{
    const std::string p = path("utf16.docx");
    writeFile(p, package(utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                   + documentXml(field("f001", "perché")).substr(55),
                               true)));
    {
        DOC_Application app;
        auto doc = app.Documents().Open(p, false, false);
        EXPECT_EQ(doc.FormFields().Item("f001").Result(), "perché");
        doc.FormFields().Item("f001").Result("così");
        doc.Save();
        app.Quit(0);
    }
    const auto pkg = opc::Package::open(p);
    const std::string& xml = pkg.part("word/document.xml");
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << xml.substr(0, 60);
    DOC_Application app;
    EXPECT_EQ(app.Documents().Open(p, false, true).FormFields().Item("f001").Result(), "così");
    app.Quit(0);
}

// What the program writes into fields and cells is written as XML can hold it: characters
// XML forbids are left out, bytes that are not UTF-8 become U+FFFD, and the saved file opens.
TEST_F(HostileTest, TextThatXmlCannotHoldIsNeverWritten)
{
    struct Written {
        const char* what;
        std::string text;
        std::string read;
    };
    const Written cases[] = {
        {"control characters", "a\x01" "b\x1b" "c", "abc"},
        {"a stray byte", "prezzo \xFF euro", "prezzo \xEF\xBF\xBD euro"},
        {"a cut sequence at the end", "caff\xC3", "caff\xEF\xBF\xBD"},
        {"a non-character", "x\xEF\xBF\xBFy", "x\xEF\xBF\xBDy"},
        {"nothing but control characters", "\x01\x02", ""},
        {"ordinary text", "Sì, è così", "Sì, è così"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string p = path("scritta.docx");
        writeFile(p, package(documentXml(table(row(cell(field("f001", "Rossi")) + cell("<w:p/>"))))));
        {
            DOC_Application app;
            auto doc = app.Documents().Open(p, false, false);
            doc.FormFields().Item("f001").Result(c.text);
            doc.Tables().Item(1).Cell(1, 2).Range().Text_(c.text);
            doc.Save();
            app.Quit(0);
        }
        DOC_Application app;
        std::optional<std::string> error;
        try {
            auto doc = app.Documents().Open(p, false, true);
            EXPECT_EQ(doc.FormFields().Item("f001").Result(), c.read);
            EXPECT_EQ(doc.Tables().Item(1).Cell(1, 2).Range().Text_(), c.read + "\r\x07");
        } catch (const WordError& e) {
            ADD_FAILURE() << e.what();
        }
        app.Quit(0);
    }
}

} // namespace

namespace {

// Only the ASCII capitals fold: their neighbours and the bytes of other letters stay apart.
TEST_F(HostileTest, NamesMatchIgnoringTheCaseOfAsciiLettersOnly)
{
    const std::string names[] = {"@AZ[`az{ campo lungo", "perché-È", "Q"};
    std::string body;
    for (const auto& n : names)
        body += field(n, "v:" + n);
    const std::string p = path("maiuscole.docx");
    writeFile(p, package(documentXml(body)));
    DOC_Application app;
    auto doc = app.Documents().Open(p, false, true);
    auto fields = doc.FormFields();
    EXPECT_EQ(fields.Item("@az[`AZ{ CAMPO LUNGO").Result(), "v:@AZ[`az{ campo lungo");
    EXPECT_EQ(fields.Item("PERCHé-È").Result(), "v:perché-È");
    EXPECT_EQ(fields.Item("q").Result(), "v:Q");
    for (const char* other : {"`AZ[`az{ campo lungo", "@AZ{`az{ campo lungo", "@AZ[@az{ campo lungo",
                              "PERCHÉ-È", "perché-è", "Q "})
        EXPECT_FALSE(doc.Bookmarks().Exists(other)) << other;
    app.Quit(0);
}

} // namespace
