// Report definitions: the display lines, the cutting into blocks and sections, the messages, and
// what reading a definition file does with damaged or huge files.
#include "reportform/definition.h"
#include "reportform/display_lines.h"
#include "reportform/gwrprt.h"
#include "tests/qstring_printer.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>

namespace {

using namespace vendrik;
namespace fs = std::filesystem;

QString crlf(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

// A block as it stands in a file: marker lines around its lines.
QStringList block(const QString& name, const QStringList& lines)
{
    return QStringList{QStringLiteral("[INI_%1]").arg(name)} + lines + QStringList{QStringLiteral("[END_%1]").arg(name)};
}

const QStringList kXcom = {
    QStringLiteral("[HR]-Testata    R1"), QStringLiteral("[TITOLO]  : Cantieri"),
    QStringLiteral("[HP]-Pagina     P1"), QStringLiteral("[GP]-Gruppo     G1"),
    QStringLiteral("[DP]-Dettaglio  D1"), QStringLiteral("[CAMPI]   : A;B"),
    QStringLiteral("[BR]-Chiusura   B1"), QStringLiteral("[TOTALE]  : n")};

// Every block of a sound definition; `skip` leaves one out.
QStringList allBlocks(const QString& skip = {})
{
    const std::pair<QString, QStringList> blocks[] = {
        {QStringLiteral("DESC"), {QStringLiteral("Descrizione")}},
        {QStringLiteral("FILE"), {QStringLiteral("A.DBF")}},
        {QStringLiteral("SORT"), {QStringLiteral("CODICE")}},
        {QStringLiteral("LOOP"), {QStringLiteral("SCAN")}},
        {QStringLiteral("TABL"), {QStringLiteral("A->B")}},
        {QStringLiteral("XCOM"), kXcom}};
    QStringList lines;
    for (const auto& [name, content] : blocks)
        if (name != skip)
            lines += block(name, content);
    return lines;
}

// Everything a parse stored, as one comparable text.
std::string dump(const ReportDefinition& d)
{
    QString out = QStringLiteral("desc=%1|file=%2|sort=%3|loop=%4|tabl=%5")
                      .arg(d.description, d.files.join(u','), d.sort, d.loop, d.tables.join(u','));
    for (const ReportSection& s : d.sections) {
        out += QStringLiteral("|%1/%2:").arg(s.name, s.code);
        for (const ReportEntry& e : s.entries)
            out += QStringLiteral("{%1=%2}").arg(e.key, e.value);
    }
    return out.toStdString();
}

TEST(DisplayLinesTest, MemoSplitsPadsWrapsAndExpandsTabs)
{
    const struct {
        const char* text;
        int width;
        int tab;
        bool wrap;
        bool keepEmpty;
        QStringList expected;
    } cases[] = {
        {"abc", 5, 4, false, false, {"abc  "}},
        {"abcdefgh", 5, 4, false, false, {"abcde"}},
        {"abcdefgh", 5, 4, true, false, {"abcde", "fgh  "}},
        {"ab cd ef", 5, 4, true, false, {"ab cd", "ef   "}},
        {"abc defgh", 5, 4, true, false, {"abc  ", "defgh"}},
        {"\tx", 6, 4, false, false, {"    x "}},
        {"a\tb", 8, 4, false, false, {"a   b   "}},
        {"a\tb", 8, 3, false, false, {"a  b    "}},
        {"a\r\n\r\nb", 3, 4, false, false, {"a  ", "b  "}},
        {"a\r\n\r\nb", 3, 4, false, true, {"a  ", "   ", "b  "}},
        {"a\r\n", 2, 4, false, true, {"a ", "  "}}, // the lines "a" and "" joined
        {"   \r\n", 2, 4, false, false, {}},
        {"", 4, 4, false, true, {}},
        {"a\nb\rc", 6, 4, false, false, {"a\nb\rc "}}, // only CR LF divides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(memoLines(QString::fromLatin1(c.text), c.width, c.tab, c.wrap, c.keepEmpty), c.expected);
    }
}

TEST(DisplayLinesTest, MemToStrJoinsLinesAndKeepsATrailingSeparator)
{
    const struct {
        const char* memo;
        bool keepEmpty;
        const char* sep;
        const char* expected;
    } cases[] = {
        {"a\r\n\r\nb", false, ", ", "a, b"},
        {"a\r\n\r\nb", true, ", ", "a, , b"},
        {"a\r\n\r\n", false, ",", "a,"}, // lines a and (empty): the comma after a stays
        {"a\r\n\r\n", false, ", ", "a,"},
        {"  a  \r\nb  ", false, "", "ab"},
        {"a  \r\n  b", false, "-", "a-  b"},
        {"a", false, ";", "a"},
        {"", true, ";", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.memo);
        EXPECT_EQ(memoToString(QString::fromLatin1(c.memo), c.keepEmpty, QString::fromLatin1(c.sep)),
                  QString::fromLatin1(c.expected));
    }
    EXPECT_EQ(memoToString(QStringLiteral("a\r\n\r\nb")), QStringLiteral("ab"));
}

// The host's operations on texts given as their lines joined by CR LF: only blanks are blanks.
TEST(DisplayLinesTest, TheHostsTextOperationsDivideAtCrLfAndTrimOnlyBlanks)
{
    const QString CRLF = QStringLiteral("\r\n");
    const auto lines = [&](const QStringList& l) { return l.join(CRLF); };
    const struct {
        const char* what;
        QString memo;
        bool keepEmpty;
        QString sep;
        QString expected;
    } joins[] = {
        {"a, , b, joined by CR LF", lines({"a", "", "b", ""}), false, CRLF, QStringLiteral("a\r\nb\r\n")},
        {"the same keeping empty lines", lines({"a", "", "b", ""}), true, CRLF, QStringLiteral("a\r\n\r\nb\r\n")},
        {"a, (empty), b by comma", lines({"a", "", "b"}), false, QStringLiteral(", "), QStringLiteral("a, b")},
        {"the same keeping empty lines", lines({"a", "", "b"}), true, QStringLiteral(", "), QStringLiteral("a, , b")},
        {"a, (empty): the comma stays", lines({"a", ""}), false, QStringLiteral(", "), QStringLiteral("a,")},
        {"tabs stay", lines({"\ta\t", "b \t "}), false, QStringLiteral("|"), QStringLiteral("\ta\t|b \t")},
        {"a lone CR or LF stays in its line", lines({"a\nb  ", "c\r"}), false, QStringLiteral(","), QStringLiteral("a\nb,c\r")},
        {"a line of blanks is blank", lines({"a", "   ", "b"}), false, QStringLiteral(","), QStringLiteral("a,b")},
        {"blanks around the result go", lines({"  a", "b  "}), false, QStringLiteral(" "), QStringLiteral("a b")},
        {"a line end the separator leaves at the start stays", lines({"", "a"}), true, CRLF, QStringLiteral("\r\na")},
    };
    for (const auto& c : joins) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(GWrprt::MTDMem2Str(c.memo, c.keepEmpty, c.sep), c.expected);
    }
    EXPECT_EQ(GWrprt::MTDMem2Str(lines({"a", "", "b", ""})), QStringLiteral("ab"));

    const struct {
        const char* what;
        QString text;
        bool keepEmpty;
        QStringList expected;
    } splits[] = {
        {"a, , b, joined by CR LF", lines({"a", "", "b", ""}), false, {"a  ", "b  "}},
        {"the same keeping empty lines", lines({"a", "", "b", ""}), true, {"a  ", "   ", "b  ", "   "}},
        {"a line of a CR is not blank", lines({"\r", "x"}), false, {"\r  ", "x  "}},
        {"a line of a tab is blank", lines({"\t", "x"}), false, {"x  "}},
        {"a CR LF divides where a lone LF does not", QStringLiteral("a\nb\r\nc"), false, {"a\nb", "c  "}},
    };
    for (const auto& c : splits) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(GWrprt::MTDmemo(c.text, 3, 2, false, c.keepEmpty), c.expected);
    }
}

TEST(DefinitionParseTest, EachMissingOrMisplacedBlockHasItsMessageAndEndsTheParse)
{
    const QStringList descOnly = block(QStringLiteral("DESC"), {QStringLiteral("D")});
    const struct {
        const char* what;
        QString text;
        const char* message;
        bool descKept;
        bool filesKept;
    } cases[] = {
        {"empty file", QString(), "Errore nel blocco [DESC]", false, false},
        {"no block at all", QStringLiteral("testo qualunque\r\n"), "Errore nel blocco [DESC]", false, false},
        {"no DESC", crlf(allBlocks(QStringLiteral("DESC"))), "Errore nel blocco [DESC]", false, false},
        {"DESC end before start", QStringLiteral("[END_DESC]\r\nD\r\n[INI_DESC]\r\n"), "Errore nel blocco [DESC]", false, false},
        {"DESC only", crlf(descOnly), "Errore nel blocco [FILE]", true, false},
        {"no FILE", crlf(allBlocks(QStringLiteral("FILE"))), "Errore nel blocco [FILE]", true, false},
        {"no SORT", crlf(allBlocks(QStringLiteral("SORT"))), "Errore nel blocco [SORT]", true, true},
        {"no LOOP", crlf(allBlocks(QStringLiteral("LOOP"))), "Errore nel blocco [LOOP]", true, true},
        {"no TABL", crlf(allBlocks(QStringLiteral("TABL"))), "Errore nel blocco [TABL]", true, true},
        {"no XCOM", crlf(allBlocks(QStringLiteral("XCOM"))), "Errore nel blocco [XCOM]", true, true},
        {"XCOM end missing", crlf(allBlocks()).remove(QStringLiteral("[END_XCOM]")), "Errore nel blocco [XCOM]", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReportDefinition d;
        const ParseOutcome outcome = parseDefinition(c.text, d);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.message, QString::fromLatin1(c.message));
        EXPECT_EQ(!d.description.isEmpty(), c.descKept);
        EXPECT_EQ(!d.files.isEmpty(), c.filesKept);
        // Nothing after the failing block is looked at.
        EXPECT_TRUE(d.section(SectionId::HR).name.isEmpty());
    }
}

TEST(DefinitionParseTest, ASoundDefinitionFillsEveryField)
{
    ReportDefinition d;
    const ParseOutcome outcome = parseDefinition(crlf(allBlocks()), d);
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_EQ(dump(d), "desc=Descrizione|file=A.DBF|sort=CODICE|loop=SCAN|tabl=A->B"
                       "|Testata/R1:{[TITOLO]=Cantieri}|Pagina/P1:|Gruppo/G1:|Dettaglio/D1:{[CAMPI]=A;B}"
                       "|Chiusura/B1:{[TOTALE]=n}");
}

TEST(DefinitionParseTest, BlocksMayStandInAnyOrder)
{
    const QStringList lines = allBlocks();
    // XCOM first, then the others as in the block table; text outside the blocks is ignored.
    const QStringList xcomFirst = block(QStringLiteral("XCOM"), kXcom) + QStringList{QStringLiteral("fuori")}
                                  + allBlocks(QStringLiteral("XCOM"));
    ReportDefinition inOrder, reordered;
    EXPECT_TRUE(parseDefinition(crlf(lines), inOrder).ok);
    EXPECT_TRUE(parseDefinition(crlf(xcomFirst), reordered).ok);
    EXPECT_EQ(dump(reordered), dump(inOrder));
}

TEST(DefinitionParseTest, BlockContentsAreCutAsTheMarkersSay)
{
    const QString longLine(300, u'x');
    const struct {
        const char* what;
        QString fileBlock; // the text from "[INI_FILE]" to "[END_FILE]"
        QStringList files;
    } cases[] = {
        {"indented and blank lines", crlf(block(QStringLiteral("FILE"), {QStringLiteral("   A.DBF  "), {}, QStringLiteral("\tB.DBF"), QStringLiteral("   ")})),
         {QStringLiteral("A.DBF"), QStringLiteral("B.DBF")}},
        {"a 300-column line keeps 250", crlf(block(QStringLiteral("FILE"), {longLine})), {QString(250, u'x')}},
        {"the cut counts the indent", crlf(block(QStringLiteral("FILE"), {QStringLiteral("     ") + longLine})), {QString(245, u'x')}},
        {"one empty line", crlf(block(QStringLiteral("FILE"), {QString()})), {}},
        {"end marker on the next line", QStringLiteral("[INI_FILE]\r\n[END_FILE]"), {}},
        {"end marker right after", QStringLiteral("[INI_FILE][END_FILE]"), {}},
        {"text on the marker line", QStringLiteral("[INI_FILE]xyA.DBF\r\n[END_FILE]"), {QStringLiteral("A.DBF")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList lines = allBlocks(QStringLiteral("FILE"));
        lines.insert(3, c.fileBlock);
        ReportDefinition d;
        EXPECT_TRUE(parseDefinition(crlf(lines), d).ok);
        EXPECT_EQ(d.files, c.files);
    }
}

TEST(DefinitionParseTest, SortIsTrimmedWhileLoopAndDescriptionStayExact)
{
    QStringList lines = allBlocks(QStringLiteral("SORT"));
    lines.removeAt(lines.indexOf(QStringLiteral("[INI_LOOP]")) + 1);
    lines.insert(lines.indexOf(QStringLiteral("[END_LOOP]")), QStringLiteral("  DO WHILE .T.\r\n\tSKIP  \r\n"));
    lines += block(QStringLiteral("SORT"), {QStringLiteral("  COMUNE +"), QStringLiteral("  CODICE  ")});
    ReportDefinition d;
    ASSERT_TRUE(parseDefinition(crlf(lines), d).ok);
    EXPECT_EQ(d.sort, QStringLiteral("COMUNE +\r\n  CODICE"));
    EXPECT_EQ(d.loop, QStringLiteral("  DO WHILE .T.\r\n\tSKIP  \r\n"));
    EXPECT_EQ(d.description, QStringLiteral("Descrizione"));
}

TEST(DefinitionParseTest, SectionsTakeNameCodeAndEntriesFromTheirLines)
{
    const struct {
        const char* what;
        QStringList hr; // the HR section's lines, its marker line first
        const char* expected;
    } cases[] = {
        {"eleven characters share the tenth", {QStringLiteral("[HR]-ABCDEFGHIJK")}, "ABCDEFGHIJ/JK:"},
        {"short name, no code", {QStringLiteral("[HR]-Nome")}, "Nome/:"},
        {"leading blanks stay, trailing go", {QStringLiteral("[HR]-  Nome    XY   ")}, "  Nome/XY:"},
        {"one character names nothing", {QStringLiteral("[HR]-X"), QStringLiteral("[K]       : v")}, "/:"},
        {"nothing after the marker", {QStringLiteral("[HR]-"), QStringLiteral("[K]       : v")}, "/:"},
        {"entries", {QStringLiteral("[HR]-Testata    R1"), QStringLiteral("   [KEY]     : valore  "), QStringLiteral("nota ignorata"),
                     QStringLiteral("[LONGKEY12345]xyz"), QStringLiteral("[K]")},
         "Testata/R1:{[KEY]=valore}{[LONGKEY12=5]xyz}{[K]=}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList xcom = c.hr;
        xcom += kXcom.mid(2);
        QStringList lines = allBlocks(QStringLiteral("XCOM")) + block(QStringLiteral("XCOM"), xcom);
        ReportDefinition d;
        EXPECT_TRUE(parseDefinition(crlf(lines), d).ok);
        const ReportSection& hr = d.section(SectionId::HR);
        QString got = hr.name + u'/' + hr.code + u':';
        for (const ReportEntry& e : hr.entries)
            got += QStringLiteral("{%1=%2}").arg(e.key, e.value);
        EXPECT_EQ(got.toStdString(), c.expected);
        EXPECT_EQ(d.section(SectionId::BR).name, QStringLiteral("Chiusura"));
    }
}

TEST(DefinitionParseTest, AMissingSectionNamesTheFirstSectionItEmpties)
{
    const struct {
        const char* removed;
        const char* message;
        const char* sections; // which of HR HP GP DP BR still have a name
    } cases[] = {
        {"[HR]-", "Errore nel blocco [XCOM-HR]", "-PGDB"},
        // HP ends where GP begins: without GP it has no end.
        {"[GP]-", "Errore nel blocco [XCOM-HP]", "R--DB"},
        {"[BR]-", "Errore nel blocco [XCOM-DP]", "RPG--"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.removed);
        QString text = crlf(allBlocks());
        text.replace(QString::fromLatin1(c.removed), QStringLiteral("[XX]-"));
        ReportDefinition d;
        const ParseOutcome outcome = parseDefinition(text, d);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.message, QString::fromLatin1(c.message));
        std::string named;
        for (int i = 0; i < kSectionCount; ++i)
            named += d.sections[i].name.isEmpty() ? '-' : "RPGDB"[i];
        EXPECT_EQ(named, c.sections);
    }
}

TEST(DefinitionParseTest, SectionMarkersWithoutRoomBetweenThemGiveEmptySections)
{
    QStringList lines = allBlocks(QStringLiteral("XCOM"));
    lines += block(QStringLiteral("XCOM"), {QStringLiteral("[HR]-[HP]-Pagina  P1"), QStringLiteral("[GP]-G"),
                                            QStringLiteral("[DP]-D"), QStringLiteral("[BR]-B")});
    ReportDefinition d;
    EXPECT_TRUE(parseDefinition(crlf(lines), d).ok);
    EXPECT_TRUE(d.section(SectionId::HR).name.isEmpty());
    EXPECT_EQ(d.section(SectionId::HP).name, QStringLiteral("Pagina  P1"));
}

TEST(DefinitionDecodeTest, BytesAreWindows1252AndEveryLineEndBecomesCrLf)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {QByteArray("Citt\xe0 \x80 \x93x\x94"), QStringLiteral("Città € “x”")},
        {QByteArray("\x81\x8d\x8f\x90\x9d"), QString(5, QChar(0xFFFD))},
        {QByteArray("a\rb"), QStringLiteral("a\r\nb")},
        {QByteArray("a\nb"), QStringLiteral("a\r\nb")},
        {QByteArray("a\r\nb"), QStringLiteral("a\r\nb")},
        {QByteArray("\r\r\n\n"), QStringLiteral("\r\n\r\n\r\n")},
        {QByteArray("a\0b", 3), QStringLiteral("a") + QChar(0) + QStringLiteral("b")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().toStdString());
        EXPECT_EQ(decodeDefinition(c.bytes), c.text);
    }
}

TEST(DefinitionDecodeTest, DefinitionsWithCrOnlyOrLfOnlyLineEndsLoadAlike)
{
    const QByteArray windows = crlf(allBlocks()).toLatin1();
    ReportDefinition expected;
    ASSERT_TRUE(parseDefinition(decodeDefinition(windows), expected).ok);
    for (const char* end : {"\r", "\n"}) {
        SCOPED_TRACE(end[0] == '\r' ? "CR" : "LF");
        QByteArray other = windows;
        other.replace("\r\n", end);
        ReportDefinition d;
        EXPECT_TRUE(parseDefinition(decodeDefinition(other), d).ok);
        EXPECT_EQ(dump(d), dump(expected));
    }
}

TEST(DefinitionDecodeTest, BinaryBytesGiveTheFirstBlockMessage)
{
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.append(static_cast<char>((i * 7919) % 256));
    ReportDefinition d;
    const ParseOutcome outcome = parseDefinition(decodeDefinition(bytes), d);
    EXPECT_EQ(outcome.message, QStringLiteral("Errore nel blocco [DESC]"));
}

TEST(SampleDefinitionsTest, EachSampleGivesTheOutcomeItShows)
{
    const struct {
        const char* file;
        const char* message; // empty: loads
    } cases[] = {
        {"CANTIERI.TXT", ""},
        {"IMPRESE.TXT", ""},
        {"VERIFICHE.TXT", "Errore nel blocco [SORT]"},
        // Without its GP marker, HP has no end either.
        {"SCHEDE.TXT", "Errore nel blocco [XCOM-HP]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const DefinitionText read = readDefinition(QStringLiteral(SAMPLE_REPORTS_DIR "/") + QString::fromLatin1(c.file));
        ASSERT_TRUE(read.ok);
        ReportDefinition d;
        EXPECT_EQ(parseDefinition(read.text, d).message, QString::fromLatin1(c.message));
        EXPECT_FALSE(d.description.isEmpty());
    }
    ReportDefinition imprese;
    parseDefinition(readDefinition(QStringLiteral(SAMPLE_REPORTS_DIR "/IMPRESE.TXT")).text, imprese);
    EXPECT_EQ(imprese.files, (QStringList{QStringLiteral("IMPRESE.DBF"), QStringLiteral("ADDETTI.DBF")}));
    EXPECT_TRUE(imprese.description.contains(QStringLiteral("Qualità")));
    EXPECT_TRUE(imprese.section(SectionId::GP).entries.isEmpty());
    EXPECT_EQ(imprese.section(SectionId::HP).entries.value(0).value, QStringLiteral("Ragione sociale;Città;Addetti"));
}

class DefinitionFileTest : public testsupport::TempDirTest {};

TEST_F(DefinitionFileTest, FilesAreReadWithinTheLimitAndOthersRefusedByName)
{
    const QString folder = QString::fromStdString(dir_.string());
    testsupport::writeFile(dir_ / "OK.TXT", crlf(allBlocks()).toStdString());
    const DefinitionText read = readDefinition(folder + QStringLiteral("/OK.TXT"));
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.text, crlf(allBlocks()));

    // A file of exactly the limit is read; one byte more is refused, as is a sparse 100 MB one.
    const struct {
        const char* name;
        std::uintmax_t size;
        bool ok;
    } cases[] = {{"LIMIT.TXT", kMaxDefinitionBytes, true},
                 {"OVER.TXT", kMaxDefinitionBytes + 1, false},
                 {"HUGE.TXT", std::uintmax_t(100) * 1024 * 1024, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeFile(dir_ / c.name, "");
        fs::resize_file(dir_ / c.name, c.size);
        const QString path = folder + u'/' + QString::fromLatin1(c.name);
        const DefinitionText big = readDefinition(path);
        EXPECT_EQ(big.ok, c.ok);
        if (c.ok)
            EXPECT_EQ(big.text.size(), qsizetype(c.size));
        else
            EXPECT_EQ(big.message, QStringLiteral("Definizione troppo grande (oltre 1 MB): ") + path);
    }

    const QString missing = folder + QStringLiteral("/NONE.TXT");
    EXPECT_EQ(readDefinition(missing).message, QStringLiteral("Impossibile leggere ") + missing);
}

} // namespace
