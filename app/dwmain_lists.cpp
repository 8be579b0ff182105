// The main window's list commands and the list picker it shows for the engine.
#include "app/dwlist.h"
#include "app/dwmain.h"

namespace app {

void DWMAIN::FNZLISTADD() { engine_.FNZLISTADD(); }
void DWMAIN::FNZLISTDEL() { engine_.FNZLISTDEL(); }

bool DWMAIN::listPicker(const std::string& mode)
{
    DWLIST picker(this, QString::fromStdString(mode), state_);
    if (helpDisplay_)
        picker.setHelpDisplay([this](const QString& topic) { showHelpTopic(topic); });
    return picker.exec() == 1;
}

} // namespace app
