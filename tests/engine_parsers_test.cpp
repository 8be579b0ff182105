// The six list parsers on real list documents: fields in, status, report and measure rows
// (or one structural-fault box) out.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"

#include "tests/engine_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace engine;
using namespace testsupport;
namespace db = docbuilder;

namespace {

const std::string kList = "1.02.03";

// A form field of the fixture: names like t?c... are check boxes ticked by "1", the others
// text fields holding the value.
struct F {
    std::string name;
    std::string value;
    std::string status{};
    std::string help{};
};
using Fields = std::vector<F>;

Fields operator+(Fields a, const Fields& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string nnn(int n)
{
    char s[8];
    std::snprintf(s, sizeof s, "%03d", n);
    return s;
}

Fields box(const std::string& name, bool ticked) { return {{name, ticked ? "1" : "0"}}; }
Fields text(const std::string& name, const std::string& value, const std::string& status = "")
{
    return {{name, value, status}};
}
// Boxes prefix + from .. prefix + to, all alike.
Fields boxes(const std::string& prefix, int from, int to, bool ticked)
{
    Fields f;
    for (int n = from; n <= to; ++n)
        f = f + box(prefix + nnn(n), ticked);
    return f;
}
// A row of the activity table of C1 and D1; no description field when desc is null.
Fields act(int n, bool ticked, bool psc, bool pos, const char* desc = "attività")
{
    Fields f = box("t1c" + nnn(n) + "a", ticked);
    if (desc)
        f = f + text("t1f" + nnn(n), desc);
    return f + box("t1c" + nnn(n) + "b", psc) + box("t1c" + nnn(n) + "c", pos);
}
// A measures-table row tXl, tXf, tXc; no description field when desc is null.
Fields meas(char digit, int n, const std::string& sel, const char* desc, bool done)
{
    const std::string t = std::string("t") + digit;
    Fields f = text(t + "l" + nnn(n), sel);
    if (desc)
        f = f + text(t + "f" + nnn(n), desc);
    return f + box(t + "c" + nnn(n), done);
}
// A risk box of D1 with its code and name (status-bar text) and its row range (help text).
Fields risk(int n, bool ticked, const std::string& status, const std::string& help)
{
    return {{"t2c" + nnn(n), ticked ? "1" : "0", status, help}};
}
// A row of a D1 risk's sub-table.
Fields sub(const std::string& code, int n, const std::string& sel, const char* desc, bool done)
{
    Fields f = text("t4r" + code + "l" + nnn(n), sel);
    if (desc)
        f = f + text("t4f" + nnn(n), desc);
    return f + box("t4c" + nnn(n), done);
}

struct Line {
    std::string reference;
    std::string text;
};

struct Case {
    const char* what;
    Fields fields;
    int status;                    // 0: no status, a structural fault instead
    std::vector<Line> rows{};      // report rows {reference, message}
    std::vector<Line> measures{};  // measure rows {reference, state}
    std::string fault{};           // the fault box's text after "Errore lista " + list
};

using Parser = void (Engine::*)(const std::string&);

class ParsersTest : public ActiveDocumentTest {
protected:

    void openList(const Fields& fields)
    {
        db::Document d;
        d.protectForms = true;
        std::vector<db::Row> rows;
        for (const auto& f : fields) {
            const bool isBox = f.name.size() >= 3 && f.name[0] == 't' && f.name[2] == 'c';
            db::Inline field = isBox ? db::Inline(db::CheckBox{f.name, f.value == "1", f.status, f.help})
                                     : db::Inline(db::TextField{f.name, f.value, f.status, f.help});
            rows.push_back(db::row({f.name, db::para({field})}));
        }
        d.body = {db::Paragraph("Lista " + kList), db::table(rows)};
        openWritten(d);
    }

    void run(Parser parser, const std::vector<Case>& cases)
    {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.what);
            state.aListStatus.clear();
            state.aListPickRows.clear();
            state.aRptMeasures.clear();
            frame.boxes.clear();
            openList(c.fields);
            (engine.*parser)(kList);
            engine.oWord->ActiveDocument().Close(0);

            std::vector<std::string> rows, measures, wantRows, wantMeasures;
            for (const auto& r : state.aListPickRows)
                rows.push_back(r.list + " | " + r.reference + " | " + r.message + " | "
                               + std::to_string(r.status));
            for (const auto& m : state.aRptMeasures)
                measures.push_back(m.list + " | " + m.reference + " | " + m.state);
            for (const auto& r : c.rows)
                wantRows.push_back(kList + " | " + r.reference + " | " + r.text + " | "
                                   + std::to_string(c.status));
            for (const auto& m : c.measures)
                wantMeasures.push_back(kList + " | " + m.reference + " | " + m.text);
            EXPECT_EQ(rows, wantRows);
            EXPECT_EQ(measures, wantMeasures);

            if (c.status == 0) {
                EXPECT_TRUE(state.aListStatus.empty());
                ASSERT_EQ(frame.boxes.size(), 1u);
                EXPECT_EQ(frame.boxes[0].text, "Errore lista " + kList + c.fault);
                EXPECT_EQ(frame.boxes[0].caption, "Quarvello");
                EXPECT_EQ(frame.boxes[0].type, 0x10u);
            } else {
                EXPECT_TRUE(frame.boxes.empty());
                ASSERT_EQ(state.aListStatus.size(), 1u);
                EXPECT_EQ(state.aListStatus[0].list, kList);
                EXPECT_EQ(state.aListStatus[0].status, c.status);
            }
        }
    }

};

const std::vector<Line> kEmptyList = {{"L1", "Lista vuota - da compilare"}};

TEST_F(ParsersTest, A1)
{
    const auto f = [](int n, const std::string& value) {
        return text("f" + nnn(n), value, "Campo " + std::to_string(n));
    };
    run(&Engine::MTD_PARSEA1, {
        {"all filled", f(1, "Rossi") + f(2, "Milano"), 4},
        {"all blank, blanks only included", f(1, "") + f(2, "   "), 1, kEmptyList},
        {"some filled, some blank", f(1, "Rossi") + f(2, "  ") + f(3, "x") + f(4, ""), 3,
         {{"f002", "Campo [Campo 2] vuoto"}, {"f004", "Campo [Campo 4] vuoto"}}},
        {"read up to the first gap", f(1, "a") + f(2, "b") + f(3, "c") + f(4, "d") + f(5, "e") + f(7, ""), 4},
        {"other names are not read", f(1, "a") + text("l001", "") + text("note1", ""), 4},
        {"no f001", f(2, "Rossi"), 0, {}, {}, " nessun campo trovato"},
    });
}

TEST_F(ParsersTest, B1)
{
    const Fields t1ok = boxes("t1c", 1, 2, true);
    run(&Engine::MTD_PARSEB1, {
        {"all ticked, table 2 untouched", t1ok + box("t2c003", false) + text("t2f003", ""), 4},
        {"nothing ticked: empty, table 2 not read",
         boxes("t1c", 1, 2, false) + box("t2c001", false) + text("t2f001", "testo"), 1, kEmptyList},
        {"a box missing its tick", box("t1c001", true) + box("t1c002", false) + box("t2c003", false), 2,
         {{"T1-002", "Manca spunta"}}},
        {"inconsistency wins over missing data",
         box("t1c001", true) + box("t1c002", false) + box("t2c003", false) + text("t2f003", "testo"), 3,
         {{"T2-003", "Campo descrizione compilato"}}},
        {"ticked row without description",
         t1ok + box("t2c003", true) + text("t2f003", " ") + box("t2c004", true) + box("t2c005", true)
             + text("t2f005", "ok"),
         2, {{"T2-003", "Campo descrizione vuoto"}}},
        {"table 2 numbered on after 12 rows", boxes("t1c", 1, 12, true) + box("t2c013", false), 4},
        {"table 2 restarting at 001", boxes("t1c", 1, 12, true) + box("t2c001", false), 0, {}, {},
         " [T2 Ulteriori Indicazioni] non esiste"},
        {"no t1c001", box("t1c002", true) + box("t2c003", false), 0, {}, {},
         " [T1 Adempimenti/Contenuti Documento] non esiste"},
    });
}

TEST_F(ParsersTest, C1)
{
    const Fields t1ok = act(1, true, true, false);
    const Fields t2ok = box("t2c002", true);
    run(&Engine::MTD_PARSEC1, {
        {"complete, one measure", t1ok + t2ok + meas('3', 3, "S", "parapetti", true) + meas('3', 4, "", "", false),
         4, {}, {{"T3-003", "Attuato"}}},
        {"no row box ticked: empty wins over inconsistencies, T2 and T3 not read",
         act(1, false, true, true, "testo") + act(2, false, false, false), 1, kEmptyList},
        {"ticked row: description, then both boxes unticked",
         act(1, true, false, false, "") + act(2, true, false, true) + act(3, true, true, false, nullptr)
             + box("t2c004", true) + meas('3', 5, "N", "x", true),
         2, {{"T1-001", "Campo descrizione vuoto"}, {"T1-001", "PSC/POS manca spunta"}}},
        {"unticked row: one finding for either box or both",
         t1ok + act(2, false, true, true) + act(3, false, false, true, "") + act(4, false, true, false, nullptr)
             + box("t2c005", true) + meas('3', 6, "N", "x", true),
         3, {{"T1-002", "Campo descrizione compilato"}, {"T1-002", "PSC/POS spuntato"},
             {"T1-003", "PSC/POS spuntato"}, {"T1-004", "PSC/POS spuntato"}}},
        {"T2 restarting at t2c001", act(1, true, true, true) + act(2, true, true, true) + box("t2c001", true),
         0, {}, {}, " [T2 Misure di Sicurezza] non esiste"},
        {"T2 without a row", t1ok, 0, {}, {}, " [T2 Misure di Sicurezza] non esiste"},
        {"no T2 box ticked: T3 not read, even without rows", t1ok + box("t2c002", false), 2,
         {{"T2", "Tabella Misure di Sicurezza da compilare"}}},
        {"no T2 box ticked with a T1 inconsistency", t1ok + act(2, false, true, false, "") + box("t2c003", false), 3,
         {{"T1-002", "PSC/POS spuntato"}}},
        {"T3 numbered on from T2", t1ok + t2ok + box("t2c003", false) + meas('3', 4, "S", "x", true), 4, {},
         {{"T3-004", "Attuato"}}},
        {"T3 selections: N judged without measure, S not implemented",
         t1ok + t2ok + meas('3', 3, "N", "", false) + meas('3', 4, "S", "rete", false), 2,
         {{"T3-003", "Campo descrizione vuoto"}, {"T3-003", "Non Attuato"}, {"T3-004", "Non Attuato"}},
         {{"T3-004", "Non Attuato"}}},
        {"unselected T3 row implemented: no measure rows at all",
         t1ok + t2ok + meas('3', 3, "S", "x", true) + meas('3', 4, "", "testo", true), 3,
         {{"T3-004", "Campo descrizione compilato"}, {"T3-004", "Attuato"}}},
        {"T3 with no selected row", t1ok + t2ok + meas('3', 3, "", nullptr, false), 2,
         {{"T3", "Tabella Dettaglio Misure di Sicurezza da compilare"}}},
        {"T3 without a row", t1ok + t2ok, 0, {}, {}, " [T3 Dettaglio Misure di Sicurezza] non esiste"},
        {"T3 row without implemented box", t1ok + t2ok + meas('3', 3, "S", "x", true) + text("t3l004", "S"), 0,
         {}, {}, " [t3c004] non esiste"},
        {"row 5 without its POS box",
         act(1, true, true, true) + act(2, true, true, true) + act(3, true, true, true) + act(4, true, true, true)
             + box("t1c005a", true) + box("t1c005b", true) + act(6, true, true, true),
         0, {}, {}, " [t1c005c] non esiste"},
        {"row without its PSC box", box("t1c001a", true) + box("t1c001c", true), 0, {}, {}, " [t1c001b] non esiste"},
        {"no T1", box("t2c001", true), 0, {}, {}, " [T1 Situazione Cantiere] non esiste"},
    });
}

TEST_F(ParsersTest, C1TableOneFillingEveryRowLeavesNoneForTableTwo)
{
    Fields f;
    for (int n = 1; n <= 999; ++n)
        f = f + box("t1c" + nnn(n) + "a", true) + box("t1c" + nnn(n) + "b", true) + box("t1c" + nnn(n) + "c", true);
    run(&Engine::MTD_PARSEC1, {{"999 rows", f, 0, {}, {}, " [T2 Misure di Sicurezza] non esiste"}});
}

TEST_F(ParsersTest, D1)
{
    // T1 row 1, T2 row 2, T3 row 3, the risk's sub-table rows 4 and 5, T5 from row 6.
    const Fields t1ok = act(1, true, true, true);
    const Fields t3ok = box("t3c003", true);
    const std::string fall = "01 Caduta dall'alto";
    const Fields r01 = risk(2, true, fall, "004-005");
    const Fields t4ok = sub("01", 4, "S", "parapetto", true) + sub("01", 5, "", nullptr, false);
    const Fields t5ok = meas('5', 6, "S", "procedura", true);
    run(&Engine::MTD_PARSED1, {
        {"complete", t1ok + r01 + t3ok + t4ok + t5ok, 4, {}, {{"T4-004", "Attuato"}, {"T5-006", "Attuato"}}},
        {"no activity ticked: T2 to T5 not read", act(1, false, true, true, "testo"), 1, kEmptyList},
        {"activity boxes: one finding each, PSC first",
         act(1, true, false, false, "") + act(2, false, true, true, "x") + risk(3, false, fall, "005-004")
             + box("t3c004", true),
         3, {{"T1-002", "Campo descrizione compilato"}, {"T1-002", "PSC spuntato"}, {"T1-002", "POS spuntato"}}},
        {"activity ticked without PSC and POS, no risk ticked: T3 read, T4 and T5 not",
         act(1, true, false, false, "") + risk(2, false, fall, "004-005") + box("t3c003", false), 2,
         {{"T1-001", "Campo descrizione vuoto"}, {"T1-001", "PSC manca spunta"}, {"T1-001", "POS manca spunta"},
          {"T2", "Tabella Rischi da compilare"}, {"T3", "Tabella Misure di Sicurezza da compilare"}}},
        {"unticked risk without help text", t1ok + risk(2, false, fall, ""), 0, {}, {},
         " [t2c002] StatusText / HelpText vuoto"},
        {"risk with a blank status text", t1ok + r01 + risk(3, true, "  ", "004-005"), 0, {}, {},
         " [t2c003] StatusText / HelpText vuoto"},
        {"risk 91 ticked with blank description, unticked with text",
         t1ok + risk(2, true, "91 Altro", "005-005") + text("t2f002", "") + risk(3, false, "91 Altro bis", "006-005")
             + text("t2f003", "") + risk(4, false, "91 Ancora", "006-005") + text("t2f004", "rumore")
             + box("t3c005", true) + sub("91", 5, "S", "x", true) + t5ok,
         3, {{"T2-004", "Campo descrizione compilato"}}},
        {"risk 91 ticked with blank description only",
         t1ok + risk(2, true, "91 Altro", "004-004") + text("t2f002", "") + t3ok + sub("91", 4, "S", "x", true)
             + meas('5', 5, "S", "x", true),
         2, {{"T2-002", "Campo descrizione vuoto"}}, {{"T4-004", "Attuato"}, {"T5-005", "Attuato"}}},
        {"risk 91 without its description field", t1ok + risk(2, false, "91 Altro", "004-005"), 0, {}, {},
         " [t2f002] non esiste"},
        {"ticked risk with nothing selected", t1ok + r01 + t3ok + sub("01", 4, "", "", false)
             + sub("01", 5, "", nullptr, false) + t5ok,
         2, {{"T4-004", "Sottotabella rischio " + fall + " da compilare"}}, {{"T5-006", "Attuato"}}},
        {"ticked risk rows: S not implemented, N complete",
         t1ok + r01 + t3ok + sub("01", 4, "S", "", false) + sub("01", 5, "N", "x", true) + t5ok, 2,
         {{"T4-004", "Campo descrizione vuoto"}, {"T4-004", "Non Attuato"}},
         {{"T4-004", "Non Attuato"}, {"T5-006", "Attuato"}}},
        {"ticked risk with an unselected row filled in",
         t1ok + r01 + t3ok + sub("01", 4, "S", "x", true) + sub("01", 5, "", "testo", true) + t5ok, 3,
         {{"T4-005", "Campo descrizione compilato"}, {"T4-005", "Attuato"}}},
        {"unticked risk with a selected row",
         t1ok + r01 + risk(3, false, "02 Rumore", "006-007") + box("t3c004", true) + t4ok
             + sub("02", 6, "", nullptr, false) + sub("02", 7, "S", "testo", true) + meas('5', 8, "S", "x", true),
         3, {{"T4-007", "Campo selezionato"}, {"T4-007", "Campo descrizione compilato"}, {"T4-007", "Attuato"},
             {"T4-006", "Sottotabella rischio 02 Rumore compilata"}}},
        {"two ranges 001-004 and 005-009: T5 starts at 010 whatever T3 ended at",
         t1ok + risk(2, true, "01 Caduta", "001-004") + risk(3, true, "02 Rumore", "005-009")
             + boxes("t3c", 4, 12, true)
             + sub("01", 1, "S", "a", true) + sub("01", 2, "", nullptr, false) + sub("01", 3, "", nullptr, false)
             + sub("01", 4, "S", "b", false) + sub("02", 5, "", nullptr, false) + sub("02", 6, "", nullptr, false)
             + sub("02", 7, "", nullptr, false) + sub("02", 8, "S", "c", true) + sub("02", 9, "N", "d", true)
             + meas('5', 10, "S", "e", true),
         2, {{"T4-004", "Non Attuato"}},
         {{"T4-001", "Attuato"}, {"T4-004", "Non Attuato"}, {"T4-008", "Attuato"}, {"T5-010", "Attuato"}}},
        {"T5 numbered on from T3 rather than the last range",
         t1ok + r01 + t3ok + t4ok + meas('5', 4, "S", "x", true), 0, {}, {}, " [T5 Procedure] non esiste"},
        {"an unticked last risk still places T5",
         t1ok + r01 + risk(3, false, "02 Rumore", "006-007") + box("t3c004", true) + t4ok
             + sub("02", 6, "", nullptr, false) + sub("02", 7, "", nullptr, false) + meas('5', 8, "S", "x", true),
         4, {}, {{"T4-004", "Attuato"}, {"T5-008", "Attuato"}}},
        {"last range ending at 999 leaves no row for T5",
         t1ok + risk(2, true, fall, "999-999") + t3ok + sub("01", 999, "S", "x", true)
             + meas('5', 4, "S", "x", true),
         0, {}, {}, " [T5 Procedure] non esiste"},
        {"empty range on a ticked risk", t1ok + r01 + risk(3, true, "02 Rumore", "007-006") + box("t3c004", true)
             + t4ok + meas('5', 7, "S", "x", true),
         2, {{"T4-007", "Sottotabella rischio 02 Rumore da compilare"}},
         {{"T4-004", "Attuato"}, {"T5-007", "Attuato"}}},
        {"help text without digits gives row 0", t1ok + risk(2, true, fall, "abc") + t3ok, 0, {}, {},
         " [t4r01l000] non esiste"},
        {"help text read as leading digits", t1ok + risk(2, true, fall, "4x-005") + t3ok + t4ok + t5ok, 4, {},
         {{"T4-004", "Attuato"}, {"T5-006", "Attuato"}}},
        {"fault in the second risk's sub-table drops the first risk's findings",
         t1ok + r01 + risk(3, true, "02 Rumore", "006-007") + box("t3c004", false) + sub("01", 4, "", "", true)
             + sub("01", 5, "", nullptr, false) + sub("02", 6, "S", "x", true) + box("t4c007", true),
         0, {}, {}, " [t4r02l007] non esiste"},
        {"sub-table row without implemented box", t1ok + r01 + t3ok + sub("01", 4, "S", "x", true)
             + text("t4r01l005", ""), 0, {}, {}, " [t4c005] non esiste"},
        {"T5 with nothing selected", t1ok + r01 + t3ok + t4ok + meas('5', 6, "", "", false), 2,
         {{"T5", "Tabella Procedure da compilare"}}, {{"T4-004", "Attuato"}}},
        {"T5 row without implemented box", t1ok + r01 + t3ok + t4ok + text("t5l006", "S"), 0, {}, {},
         " [t5c006] non esiste"},
        {"T3 with nothing ticked", t1ok + r01 + box("t3c003", false) + t4ok + t5ok, 2,
         {{"T3", "Tabella Misure di Sicurezza da compilare"}}, {{"T4-004", "Attuato"}, {"T5-006", "Attuato"}}},
        {"no T1", r01, 0, {}, {}, " [T1 Attività] non esiste"},
        {"no T2", t1ok + box("t3c002", true), 0, {}, {}, " [T2 Rischi] non esiste"},
        {"no T3", t1ok + r01 + t4ok + t5ok, 0, {}, {}, " [T3 Misure di Sicurezza] non esiste"},
        {"no T5", t1ok + r01 + t3ok + t4ok, 0, {}, {}, " [T5 Procedure] non esiste"},
        {"activity row without its POS box", box("t1c001a", true) + box("t1c001b", true), 0, {}, {},
         " [t1c001c] non esiste"},
    });
}

TEST_F(ParsersTest, E2)
{
    run(&Engine::MTD_PARSEE2, {
        {"nothing selected", meas('1', 1, "", "", false) + meas('1', 2, "", nullptr, false), 1, kEmptyList},
        {"one S row complete", meas('1', 1, "S", "parapetti", true) + meas('1', 2, "", "", false), 4, {},
         {{"T1-001", "Attuato"}}},
        {"selected row not implemented", meas('1', 1, "S", "parapetti", false), 2, {{"T1-001", "Non Attuato"}},
         {{"T1-001", "Non Attuato"}}},
        {"other selection: judged, no measure row",
         meas('1', 1, "N", "  ", false) + meas('1', 2, "S", nullptr, true), 2,
         {{"T1-001", "Campo descrizione vuoto"}, {"T1-001", "Non Attuato"}}, {{"T1-002", "Attuato"}}},
        {"unselected row implemented: no measure rows at all",
         meas('1', 1, "S", "x", true) + meas('1', 2, "", "", true) + meas('1', 3, "  ", "testo", false), 3,
         {{"T1-002", "Attuato"}, {"T1-003", "Campo descrizione compilato"}}},
        {"row without implemented box",
         meas('1', 1, "S", "x", true) + meas('1', 2, "", "", false) + meas('1', 3, "", "", false)
             + text("t1l004", "S") + text("t1f004", "x"),
         0, {}, {}, " [t1c004] non esiste"},
        {"no t1l001", meas('1', 2, "S", "x", true), 0, {}, {}, " [T1 Misure di Sicurezza] non esiste"},
    });
}

TEST_F(ParsersTest, E1)
{
    Fields t1;
    for (int n = 1; n <= 8; ++n)
        t1 = t1 + meas('1', n, n == 1 ? "S" : "", n == 1 ? "x" : "", n == 1);
    run(&Engine::MTD_PARSEE1, {
        {"both tables, measures in table order", t1 + meas('2', 9, "S", "casco", false), 2,
         {{"T2-009", "Non Attuato"}}, {{"T1-001", "Attuato"}, {"T2-009", "Non Attuato"}}},
        {"nothing selected in table 2", t1 + meas('2', 9, "", "", false), 2, {{"T2", "Tabella DPI da compilare"}},
         {{"T1-001", "Attuato"}}},
        {"table 2 inconsistency wins", t1 + meas('2', 9, "", "", true), 3,
         {{"T2-009", "Attuato"}}},
        {"empty table 1: table 2 not read", meas('1', 1, "", "", false) + meas('2', 1, "S", "x", true), 1,
         kEmptyList},
        {"table 2 restarting at 001", t1 + meas('2', 1, "S", "x", true), 0, {}, {}, " [T2 DPI] non esiste"},
        {"no table 2", t1, 0, {}, {}, " [T2 DPI] non esiste"},
        {"table 2 row without implemented box", t1 + meas('2', 9, "S", "x", true) + text("t2l010", ""), 0, {}, {},
         " [t2c010] non esiste"},
        {"table 1 row without implemented box", meas('1', 1, "S", "x", true) + text("t1l002", ""), 0, {}, {},
         " [t1c002] non esiste"},
    });
}

} // namespace
