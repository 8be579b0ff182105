#pragma once

// The engine over the sample root folder the program ships with: its index loaded, its dossier
// ("Cantiere Via Roma") chosen, every box recorded.
#include "data/generator/sample_root.h"
#include "engine/engine.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"

#include <string>
#include <vector>

namespace testsupport {

class SampleRootTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        root = (dir_ / "root").string();
        sample::writeSampleRoot(root);
        state.cRootDir = root;
        state.cDossierDir = std::string("/") + sample::kDossierName;
        frame.dossierBox = state.cDossierDir;
        folder = state.dossierFolder();
        ASSERT_TRUE(engine.MTDLOAD1());
    }
    void TearDown() override
    {
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        TempDirTest::TearDown();
    }
    // The texts of the boxes the frame was asked to show.
    std::vector<std::string> frameBoxTexts() const
    {
        std::vector<std::string> out;
        for (const auto& b : frame.boxes)
            out.push_back(b.text);
        return out;
    }

public: // the cases of a table reach them through the fixture
    engine::ProgramState state;
    RecordingFrame frame;
    engine::Engine engine{state, frame};
    std::string root;
    std::string folder;
};

} // namespace testsupport
