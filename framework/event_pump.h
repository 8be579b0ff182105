#pragma once

namespace framework {

// One pass of the event loop: a long operation calls it between items so the windows repaint
// and a click on Annulla reaches the progress window.
void letEventsRun();

} // namespace framework
