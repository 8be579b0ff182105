#pragma once

// The set-up of the tests that run an engine step on a list document open in Word: an engine
// over a recording frame, a running Word, and a fresh file for every document opened.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"

#include <string>

namespace testsupport {

class ActiveDocumentTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        engine.obtainWord();
    }
    void TearDown() override
    {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        TempDirTest::TearDown();
    }

    // Writes the document to a file of its own and opens it read-only: it is the active one.
    void openWritten(const docbuilder::Document& d)
    {
        const auto file = path("lista" + std::to_string(++documents_) + ".doc");
        docbuilder::write(d, file);
        engine.oWord->Documents().Open(file, false, true);
    }

    engine::ProgramState state;
    RecordingFrame frame;
    engine::Engine engine{state, frame};

private:
    int documents_ = 0;
};

// An engine over a recording frame, the test's folder its root and "/Cantiere" its dossier
// (made); the Word it leaves running is quit.
class DossierFolderTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        state.cRootDir = dir_.string();
        state.cDossierDir = "/Cantiere";
        fs::create_directories(state.dossierFolder());
    }
    void TearDown() override
    {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        TempDirTest::TearDown();
    }

    engine::ProgramState state;
    RecordingFrame frame;
    engine::Engine engine{state, frame};
};

} // namespace testsupport
