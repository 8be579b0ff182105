// The main window's list commands (adding, removing, merging and printing lists) and the
// list picker it makes for the engine.
#include "app/dwlist.h"
#include "app/dwmain.h"

namespace app {

void DWMAIN::FNZLISTADD() { engine_.FNZLISTADD(); }
void DWMAIN::FNZLISTDEL() { engine_.FNZLISTDEL(); }
void DWMAIN::FNZLISTWRD() { engine_.FNZLISTWRD(); }
void DWMAIN::FNZLISTPRN() { engine_.FNZLISTPRN(); }

engine::PickerEnd DWMAIN::listPicker(const std::string& mode)
{
    DWLIST picker(this, QString::fromStdString(mode), state_);
    if (helpDisplay_)
        picker.setHelpDisplay([this](const QString& topic) { showHelpTopic(topic); });
    picker.exec();
    return picker.ending();
}

engine::PickerEnd DWMAIN::listPickerConfirmed(const std::string& mode)
{
    DWLIST picker(this, QString::fromStdString(mode), state_);
    picker.PBOK();
    return picker.ending();
}

} // namespace app
