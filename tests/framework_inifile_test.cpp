#include "framework/inifile.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

class IniFileTest : public TempDirTest {};

TEST_F(IniFileTest, ReadsAsTheProfileFunctionsDo)
{
    writeFile(dir_ / "ORMK.INI", "; impostazioni\r\n[Altro]\r\nSLE0=sbagliato\r\n[stp1]\r\n sle0 = /home/coordinatore/Cantieri 2026 \r\n"
                                 "SLE1=\"/Via Roma\"\r\nCB1=1x\r\nCB2=-1\r\nSLE9=070\r\n");
    framework::INIFILE ini("ormk", dir_.string() + "/"); // ".INI" added, the name's case ignored
    EXPECT_EQ(ini.GETSTRING("STP1", "SLE0"), "/home/coordinatore/Cantieri 2026");
    EXPECT_EQ(ini.GETSTRING("STP1", "SLE1"), "/Via Roma");
    EXPECT_EQ(ini.GETSTRING("STP1", "MANCA"), "");
    EXPECT_EQ(ini.GETSTRING("NESSUNA", "SLE0"), "");
    EXPECT_EQ(ini.GETNUMBER("STP1", "CB1"), 1);
    EXPECT_EQ(ini.GETNUMBER("STP1", "CB2"), 0);
    EXPECT_EQ(ini.GETNUMBER("STP1", "SLE9"), 70);
    EXPECT_EQ(ini.GETNUMBER("STP1", "MANCA"), 0);
    const std::string longValue(300, 'x');
    ini.WRITESTRING("STP1", "SLE1", "/" + longValue);
    EXPECT_EQ(ini.GETSTRING("STP1", "SLE1"), "/" + longValue); // never cut
}

TEST_F(IniFileTest, WritesChangeOnlyTheirKeyAndCreateWhatIsMissing)
{
    writeFile(dir_ / "ORMK.INI", "; impostazioni\r\n[STP1]\r\nSLE0=/radice\r\nCB1=0\r\n\r\n[Altro]\r\nX=1\r\n");
    framework::INIFILE ini("ORMK", dir_.string() + "/");
    ini.WRITESTRING("stp1", "cb1", "1").WRITESTRING("STP1", "CB2", "1").WRITESTRING("NUOVA", "K", "v");
    EXPECT_EQ(readFile(dir_ / "ORMK.INI"),
              "; impostazioni\r\n[STP1]\r\nSLE0=/radice\r\nCB1=1\r\nCB2=1\r\n\r\n[Altro]\r\nX=1\r\n\r\n[NUOVA]\r\nK=v\r\n");
    EXPECT_EQ(listing().size(), 1u); // no temporary file left

    framework::INIFILE fresh("NUOVO.INI", dir_.string() + "/");
    fresh.WRITESTRING("STP1", "SLE0", "/a");
    EXPECT_EQ(readFile(dir_ / "NUOVO.INI"), "[STP1]\r\nSLE0=/a\r\n");
}

} // namespace
