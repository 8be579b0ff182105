#pragma once

// The list picker's tests: the sample root with its dossier loaded, every box scripted, the
// files of the root taken before and after, and a probe that runs at each pass of the event
// loop that the picker's work lets run.
#include "app/dwlist.h"
#include "app/dwwait.h"
#include "framework/msgbox.h"
#include "tests/sample_root_fixture.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testsupport {

// Every plain file under a folder, by path relative to it, with its bytes.
inline std::map<std::string, std::string> filesUnder(const std::filesystem::path& base)
{
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(base))
        if (e.is_regular_file())
            out[std::filesystem::relative(e.path(), base).string()] = readFile(e.path());
    return out;
}

// Calls `onPass` once for each pass of the event loop until stopped: it posts itself again from
// inside, and the loop takes what was posted during a pass only at the next one.
class PumpProbe : public QObject {
public:
    explicit PumpProbe(std::function<void(int pass)> onPass) : onPass_(std::move(onPass)) { arm(); }
    ~PumpProbe() override { stopped_ = true; }
    void stop() { stopped_ = true; }
    int passes() const { return passes_; }

private:
    void arm()
    {
        QMetaObject::invokeMethod(this, [this] {
            if (stopped_)
                return;
            onPass_(++passes_);
            arm();
        }, Qt::QueuedConnection);
    }
    std::function<void(int)> onPass_;
    int passes_ = 0;
    bool stopped_ = false;
};

class PickerFixture : public SampleRootTest {
protected:
    void SetUp() override
    {
        SampleRootTest::SetUp();
        if (HasFatalFailure())
            return;
        engine.FNZLOAD();
        ASSERT_TRUE(frame.boxes.empty());
        if (engine.oWord && engine.oWord->IsRunning())
            engine.oWord->Quit(0);
        engine.oWord.reset();
        // The order of a dossier after an addition; the load's depends on the folder listing.
        std::sort(state.aDossierLists.begin(), state.aDossierLists.end());
        vendrik::MessageBoxLog::reset();
        vendrik::MessageBoxLog::setScripted(true);
    }
    void TearDown() override
    {
        vendrik::MessageBoxLog::reset();
        SampleRootTest::TearDown();
    }
    std::string dossier() const { return state.dossierFolder(); }
    // Drops a list from the dossier: its document and its place in the array.
    void dropFromDossier(const std::string& number)
    {
        std::filesystem::remove(dossier() + "/" + number + ".DOC");
        state.aDossierLists.erase(std::remove(state.aDossierLists.begin(), state.aDossierLists.end(), number),
                                  state.aDossierLists.end());
    }
    std::vector<std::string> boxTexts() const
    {
        std::vector<std::string> out;
        for (const auto& b : vendrik::MessageBoxLog::shown())
            out.push_back(b.text.toStdString());
        return out;
    }
    static int rowOf(const app::DWLIST& picker, const std::string& number)
    {
        for (int i = 0; i < picker.itemCount(); ++i)
            if (picker.itemNumber(i).toStdString() == number)
                return i;
        return -1;
    }

};

} // namespace testsupport
