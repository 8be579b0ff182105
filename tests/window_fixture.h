#pragma once

// A main window over a temporary folder that is also the current one (settings file, error
// log), with every message box and folder chooser scripted and the window's Word quit after.
#include "app/dwmain.h"
#include "framework/folder_chooser.h"
#include "framework/msgbox.h"
#include "framework/save_chooser.h"
#include "tests/test_support.h"

#include <QDir>

#include <memory>

namespace testsupport {

class WindowFolderTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        previous_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.string()));
        vendrik::MessageBoxLog::reset();
        vendrik::MessageBoxLog::setScripted(true);
        framework::FolderChooserScript::reset();
        framework::SaveChooserScript::reset();
    }
    void TearDown() override
    {
        if (window && window->engine().oWord && window->engine().oWord->IsRunning())
            window->engine().oWord->Quit(0);
        window.reset();
        vendrik::MessageBoxLog::reset();
        framework::FolderChooserScript::reset();
        framework::SaveChooserScript::reset();
        QDir::setCurrent(previous_);
        TempDirTest::TearDown();
    }

    engine::ProgramState state;
    std::unique_ptr<app::DWMAIN> window;

private:
    QString previous_;
};

} // namespace testsupport
