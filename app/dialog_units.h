#pragma once

// Dialog units are converted by the library, whose report form is designed in them too.
#include "reportform/runtime/dialog_units.h"

namespace app {
using vendrik::applyDialogUnits;
using vendrik::dialogFont;
using vendrik::dialogUnitsToPixels;
using vendrik::kDialogUnitsProperty;
using vendrik::parseDialogUnits;
} // namespace app
