// The field-name check on real list documents: which names each kind accepts, and the one
// message a failing document gets.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"

#include "tests/engine_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace engine;
using namespace testsupport;
namespace db = docbuilder;

namespace {

class CheckTest : public ActiveDocumentTest {
protected:

    // A list document holding one text field per name, in order; the check sees names only.
    void openList(const std::vector<std::string>& names)
    {
        db::Document d;
        d.protectForms = true;
        d.body.push_back(db::Paragraph("Lista di controllo"));
        for (const auto& n : names)
            d.body.push_back(db::para({"Voce: ", db::TextField{n, "x"}}));
        openWritten(d);
    }

};

TEST_F(CheckTest, EachKindAcceptsItsSchemeAndReportsEveryOtherName)
{
    struct Case {
        const char* what;
        const char* kind;
        std::vector<std::string> names;
        const char* lines; // the message after its first line; empty when the document passes
    };
    const Case cases[] = {
        {"no form fields", "B1", {}, ""},
        {"kind without scheme", "X1", {"zzz", "", "T1C001"}, ""},
        {"empty kind", "", {"zzz"}, ""},
        {"kind compared with case", "a1", {"t1c001"}, ""},
        {"note1 in A1", "A1", {"f001", "note1"}, ""},
        {"note1 in E2", "E2", {"note1", "t1l001", "t1f001", "t1c001"}, ""},
        {"notes name with case or longer", "B1", {"Note1", "note12", "note1"},
         "XX-[1]-Note1\r\nXX-[2]-note12\r\n"},
        {"nameless field", "C1", {"t2c001", ""}, "XX-[2]-\r\n"},
        {"A1 lengths", "A1", {"f0001", "l12", "f999", "l001"}, "F1-[1]-f0001\r\nF1-[2]-l12\r\n"},
        {"A1 with another kind's name", "A1", {"t1c001"}, "XX-[1]-t1c001\r\n"},
        {"A1 name in B1", "B1", {"t1c001", "f001"}, "XX-[2]-f001\r\n"},
        {"B1 compared with case", "B1", {"T1C001"}, "XX-[1]-T1C001\r\n"},
        {"B1 line tags by table", "B1", {"t1c01", "t2c0001", "t2f001"},
         "T1-[1]-t1c01\r\nT2-[2]-t2c0001\r\n"},
        {"C1 box without letter", "C1", {"t1c001", "t1c001a", "t1c001b", "t1c001c"},
         "T1-[1]-t1c001\r\nT1-[1]-t1c001\r\n"},
        {"C1 box with another letter", "C1", {"t1c001d"}, "T1-[1]-t1c001d\r\n"},
        {"C1 tables", "C1", {"t1f001", "t2c002", "t3l003", "t3f003", "t3c03", "t2f002"},
         "T3-[5]-t3c03\r\nXX-[6]-t2f002\r\n"},
        {"D1 box without letter", "D1", {"t1c001"}, "T1-[1]-t1c001\r\nT1-[1]-t1c001\r\n"},
        {"D1 risk rows", "D1", {"t4r01l007", "t4r01x007", "t4r1l007"},
         "T4-[2]-t4r01x007\r\nT4-[3]-t4r1l007\r\nT4-[3]-t4r1l007\r\n"},
        {"D1 risk row too short for a sixth character", "D1", {"t4r01"},
         "T4-[1]-t4r01\r\nT4-[1]-t4r01\r\n"},
        {"D1 tables", "D1", {"t2c002", "t2f002", "t3c003", "t4f004", "t4c004", "t5l005", "t5f005", "t5c005", "t3l003"},
         "XX-[9]-t3l003\r\n"},
        {"E1 both tables", "E1", {"t1l001", "t1f001", "t1c001", "t2l002", "t2f002", "t2c002"}, ""},
        {"E2 has no table 2", "E2", {"t1l001", "t2l002"}, "XX-[2]-t2l002\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frame.boxes.clear();
        openList(c.names);
        const std::string lines = c.lines;
        EXPECT_EQ(engine.MTD_CHECK(c.kind, "2.01.03"), lines.empty());
        if (lines.empty()) {
            EXPECT_TRUE(frame.boxes.empty());
        } else {
            ASSERT_EQ(frame.boxes.size(), 1u);
            EXPECT_EQ(frame.boxes[0].text, "Errore lista 2.01.03\r\n" + lines);
        }
        engine.oWord->ActiveDocument().Close(0);
    }
}

TEST_F(CheckTest, AFailingDocumentGetsOneStopBoxWithEveryLineInFieldOrder)
{
    openList({"t1c001", "t1c002", "t1c003", "t1c004", "t1c005", "t1c006", "t2c007", "t2c008",
              "t2c009", "t2c010", "t2c011", "t2c012", "t2c013", "t2c12", "t2f014", "x"});
    EXPECT_FALSE(engine.MTD_CHECK("B1", "1.01.02"));
    ASSERT_EQ(frame.boxes.size(), 1u);
    EXPECT_EQ(frame.boxes[0].text, "Errore lista 1.01.02\r\nT2-[14]-t2c12\r\nXX-[16]-x\r\n");
    EXPECT_EQ(frame.boxes[0].caption, "Quarvello");
    EXPECT_EQ(frame.boxes[0].type, 0x10u);
    EXPECT_FALSE(frame.boxes[0].errorBox);
}

} // namespace
