// The main window's help display, on the help file ORMK.CHM of the working folder.
#include "app/dwmain.h"

#include "runtime/file_lookup.h"
#include "framework/help_window.h"

#include <QFileInfo>

namespace app {

namespace {
constexpr const char* kHelpFile = "ORMK.CHM";
constexpr int kMenuHelp = 11070;
} // namespace

void DWMAIN::createHelpDisplay()
{
    // Made anew at each start-up step, so a help file replaced meanwhile is read afresh.
    delete helpDisplay_;
    helpDisplay_ = nullptr;
    const auto found = vendrik::findFile("", kHelpFile);
    engine_.lHelp = found.has_value();
    if (engine_.lHelp)
        helpDisplay_ = new framework::HelpWindow(this, QFileInfo(QString::fromStdString(*found)).absoluteFilePath());
    else
        enableMenuItem(kMenuHelp, false);
}

void DWMAIN::HLP_TOC()
{
    showHelpTopic(QStringLiteral("HelpContents"));
    showHelpTopic(QStringLiteral("Finestra Principale"));
}

void DWMAIN::showHelpTopic(const QString& topic)
{
    if (helpDisplay_)
        helpDisplay_->showTopic(topic);
}

} // namespace app
