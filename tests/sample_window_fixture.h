#pragma once

// The main window started on the sample root with its dossier ("Cantiere Via Roma") chosen and
// the status and detail views off, recovery copies kept in the test's own folder.
#include "data/generator/sample_root.h"
#include "tests/window_fixture.h"

#include <cstdlib>
#include <string>

namespace testsupport {

class SampleRootWindowTest : public WindowFolderTest {
protected:
    void SetUp() override
    {
        WindowFolderTest::SetUp();
        ::setenv("XDG_CACHE_HOME", path("cache").c_str(), 1);
        root = path("root");
        sample::writeSampleRoot(root);
        dossier = root + "/DATI/" + sample::kDossierName;
        writeFile(dir_ / "ORMK.INI", "[STP1]\r\nSLE0=" + root + "\r\nSLE1=/" + sample::kDossierName
                                         + "\r\nCB1=0\r\nCB2=0\r\nCB3=0\r\n");
        window = std::make_unique<app::DWMAIN>(state);
        window->show();
        window->MTDINIT();
    }
    void TearDown() override
    {
        WindowFolderTest::TearDown();
        ::unsetenv("XDG_CACHE_HOME");
    }

    std::string root;
    std::string dossier;
};

} // namespace testsupport
