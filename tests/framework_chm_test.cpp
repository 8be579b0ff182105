// The help file reader: the program's own ORMK.CHM, its contents and index, and damaged or
// crafted files, which must give a message naming the file and nothing else.
#include "framework/chm_file.h"
#include "framework/chm_layout.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

using namespace testsupport;
using framework::ChmError;
using framework::ChmFile;

namespace {

QByteArray builtHelp()
{
    QFile f(QStringLiteral(QUARVELLO_HELP_FILE));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << QUARVELLO_HELP_FILE;
    return f.readAll();
}

std::uint64_t u64(const QByteArray& b, qsizetype at)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

void put32(QByteArray& b, qsizetype at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Where an object of the built file is stored, for crafting.
qsizetype storedAt(const QByteArray& b, const char* path)
{
    const auto layout = framework::chmlayout::check(reinterpret_cast<const unsigned char*>(b.constData()),
                                                    static_cast<std::size_t>(b.size()));
    for (const auto& e : layout.entries)
        if (e.path == path && e.space == 0)
            return static_cast<qsizetype>(u64(b, 0x58) + e.start);
    ADD_FAILURE() << "no stored object " << path;
    return 0;
}

constexpr qsizetype kItsp = 0x78; // where the built file's directory header starts
constexpr qsizetype kChunk0 = kItsp + 0x54;
const char* const kControlData = "::DataSpace/Storage/MSCompressed/ControlData";
const char* const kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/InstanceData/ResetTable";

} // namespace

TEST(ChmFileTest, TheProgramsHelpFileHoldsItsFourTopicsAndTheirContents)
{
    const QByteArray bytes = builtHelp();
    const auto chm = ChmFile::fromBytes(bytes, QStringLiteral("ORMK.CHM"));
    // The pages are in the compressed section, so what follows reads through chmlib's decoder.
    const auto layout = framework::chmlayout::check(reinterpret_cast<const unsigned char*>(bytes.constData()),
                                                    static_cast<std::size_t>(bytes.size()));
    EXPECT_TRUE(std::any_of(layout.entries.begin(), layout.entries.end(),
                            [](const auto& e) { return e.path == "/sommario.htm" && e.space == 1; }));

    const struct {
        const char* topic;
        const char* page;
        const char* title;
    } topics[] = {
        {"HelpContents", "sommario.htm", "<title>Sommario</title>"},
        {"Finestra Principale", "finestra_principale.htm", "<title>Finestra Principale</title>"},
        {"Finestra Aggiungi Liste", "aggiungi_liste.htm", "<title>Finestra Aggiungi Liste</title>"},
        {"Finestra Elimina Liste", "elimina_liste.htm", "<title>Finestra Elimina Liste</title>"},
    };
    for (const auto& t : topics) {
        SCOPED_TRACE(t.topic);
        const auto page = chm->findTopic(QString::fromUtf8(t.topic));
        ASSERT_TRUE(page);
        EXPECT_EQ(*page, QString::fromUtf8(t.page));
        const auto bytes = chm->read(QLatin1Char('/') + *page);
        ASSERT_TRUE(bytes);
        EXPECT_TRUE(bytes->contains(t.title));
    }
    // Topic names are matched as the index writes them, letters in any case.
    EXPECT_EQ(chm->findTopic(QStringLiteral("finestra principale")), QStringLiteral("finestra_principale.htm"));
    EXPECT_FALSE(chm->findTopic(QStringLiteral("Finestra Stampa Liste")));

    ASSERT_EQ(chm->contents().size(), 4U);
    EXPECT_EQ(chm->contents()[0].name, QStringLiteral("Sommario"));
    EXPECT_EQ(chm->contents()[0].depth, 0);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(chm->contents()[i].depth, 1);
    EXPECT_EQ(chm->contents()[3].name, QStringLiteral("Finestra Elimina Liste"));

    const auto face = chm->read(QStringLiteral("/FACCIA_VERDE.PNG"));
    ASSERT_TRUE(face);
    EXPECT_TRUE(face->startsWith("\x89PNG"));
    EXPECT_FALSE(chm->read(QStringLiteral("/manca.htm")));
    // A bound below an object's size refuses it rather than cutting it.
    EXPECT_FALSE(chm->read(QStringLiteral("/finestra_principale.htm"), 16));
}

TEST(ChmFileTest, AFileThatCannotBeReadIsNamedInTheMessage)
{
    try {
        ChmFile::open(QStringLiteral("/nessuna/cartella/ORMK.CHM"));
        FAIL() << "opened a missing file";
    } catch (const ChmError& e) {
        EXPECT_NE(std::string(e.what()).find("\"/nessuna/cartella/ORMK.CHM\""), std::string::npos) << e.what();
    }
}

// Each case changes the program's own file; every one must be refused with a message that
// names the file, and none may crash, hang or ask for unbounded memory.
TEST(ChmFileTest, DamagedAndCraftedFilesAreRefusedWithTheFileNamed)
{
    const QByteArray good = builtHelp();
    ASSERT_TRUE(good.startsWith("ITSF"));
    ASSERT_EQ(u64(good, 0x48), static_cast<std::uint64_t>(kItsp));
    std::mt19937 random(7);
    QByteArray garbage(good.size(), '\0');
    for (auto& c : garbage)
        c = static_cast<char>(random() & 0xFF);

    const struct {
        const char* what;
        std::function<QByteArray()> make;
    } cases[] = {
        {"empty", [] { return QByteArray(); }},
        {"cut inside the header", [&] { return good.left(0x40); }},
        {"cut after the header", [&] { return good.left(0x60); }},
        {"cut inside the directory", [&] { return good.left(kChunk0 + 100); }},
        {"cut in half", [&] { return good.left(good.size() / 2); }},
        {"one byte short", [&] { return good.left(good.size() - 1); }},
        {"garbage", [&] { return garbage; }},
        {"garbage behind a sound header", [&] { return good.left(0x60) + garbage; }},
        {"directory beyond the end", [&] { QByteArray b = good; put32(b, 0x48, 0x7FFFFFF0); return b; }},
        {"directory longer than the file", [&] { QByteArray b = good; put32(b, 0x50, 0xFFFFFFF0); put32(b, 0x54, 0xFF); return b; }},
        {"data beyond the end", [&] { QByteArray b = good; put32(b, 0x5C, 1); return b; }},
        {"chunk length zero", [&] { QByteArray b = good; put32(b, kItsp + 0x10, 0); return b; }},
        {"chunk length four gigabytes", [&] { QByteArray b = good; put32(b, kItsp + 0x10, 0xFFFFFFFF); return b; }},
        {"index root out of range", [&] { QByteArray b = good; put32(b, kItsp + 0x1C, 5000); return b; }},
        {"listing chunk turned into an index pointing to itself", [&] {
             QByteArray b = good;
             std::memcpy(b.data() + kChunk0, "PMGI", 4);
             put32(b, kItsp + 0x1C, 0);
             return b;
         }},
        {"index chunk whose only link leads back to itself (chmlib would search for ever)", [&] {
             QByteArray b = good;
             QByteArray chunk(0x1000, '\0');
             const QByteArray entry("\x01/\x00", 3); // name "/", child chunk 0
             std::memcpy(chunk.data(), "PMGI", 4);
             put32(chunk, 4, static_cast<std::uint32_t>(0x1000 - 8 - entry.size()));
             chunk.replace(8, entry.size(), entry);
             b.replace(kChunk0, chunk.size(), chunk);
             put32(b, kItsp + 0x1C, 0);
             return b;
         }},
        {"free space larger than the chunk", [&] { QByteArray b = good; put32(b, kChunk0 + 4, 0xFFFFFF00); return b; }},
        {"first name as long as the file", [&] {
             QByteArray b = good;
             b[kChunk0 + 0x14] = static_cast<char>(0xFF);
             b[kChunk0 + 0x15] = static_cast<char>(0xFF);
             return b;
         }},
        {"no windows per reset (a division by zero in chmlib)", [&] {
             QByteArray b = good;
             put32(b, storedAt(b, kControlData) + 0x14, 0);
             return b;
         }},
        {"window of four gigabytes", [&] {
             QByteArray b = good;
             put32(b, storedAt(b, kControlData) + 0x10, 0xFFFFFFFF);
             return b;
         }},
        {"control data longer than chmlib's buffer", [&] {
             // The entry's length is the byte after its name, section and start in the listing.
             QByteArray b = good;
             const QByteArray name(kControlData);
             const qsizetype at = b.indexOf(name, kChunk0) + name.size();
             b[at + 2] = static_cast<char>(0x7F);
             return b;
         }},
        {"compressed block longer than chmlib's buffer", [&] {
             QByteArray b = good;
             const qsizetype table = storedAt(b, kResetTable);
             put32(b, table + 0x18, 0x00100000); // compressed length past the content
             return b;
         }},
        {"reset table frames of one byte", [&] {
             QByteArray b = good;
             put32(b, storedAt(b, kResetTable) + 0x20, 1);
             return b;
         }},
        {"uncompressed length of a terabyte", [&] {
             QByteArray b = good;
             put32(b, storedAt(b, kResetTable) + 0x14, 0x100);
             return b;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ChmFile::fromBytes(c.make(), QStringLiteral("/cantiere/ORMK.CHM"));
            ADD_FAILURE() << "accepted";
        } catch (const ChmError& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.rfind("Il file della guida \"/cantiere/ORMK.CHM\" non può essere usato: ", 0), 0U) << text;
        }
    }
}

// Every byte of the headers, the directory and the compression tables in turn set to values
// that stand for lengths and links: the file either opens and reads, or is refused.
TEST(ChmFileTest, EveryHeaderAndDirectoryByteChangedGivesAFileOrAMessage)
{
    const QByteArray good = builtHelp();
    std::vector<std::pair<qsizetype, qsizetype>> ranges = {{0, kChunk0 + 0x400}};
    for (const char* path : {kControlData, kResetTable})
        ranges.emplace_back(storedAt(good, path), storedAt(good, path) + 0x30);
    int opened = 0;
    int refused = 0;
    for (const auto& [from, to] : ranges)
        for (qsizetype at = from; at < to && at < good.size(); ++at)
            for (const char value : {'\0', '\x01', '\x7F', '\xFF'}) {
                QByteArray b = good;
                b[at] = value;
                try {
                    const auto chm = ChmFile::fromBytes(b, QStringLiteral("ORMK.CHM"));
                    for (const auto& e : chm->contents())
                        (void)chm->read(QLatin1Char('/') + e.local);
                    ++opened;
                } catch (const ChmError&) {
                    ++refused;
                }
            }
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}
