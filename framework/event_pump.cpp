#include "framework/event_pump.h"

#include <QCoreApplication>

namespace framework {

void letEventsRun()
{
    QCoreApplication::processEvents();
}

} // namespace framework
