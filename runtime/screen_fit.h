#pragma once

// Top-level windows kept inside the available area of the screen they open on (the screen less
// the task bars and docks), frame included, whatever size they were designed at.

#include "runtime/vendrik_export.h"

class QWidget;

namespace vendrik {

// A window larger than the area is made smaller, one that stands partly outside is moved in.
VENDRIK_EXPORT void fitToScreen(QWidget* window);

// As fitToScreen, and centred in the area.
VENDRIK_EXPORT void centreOnScreen(QWidget* window);

// The whole area, as a document window takes it: maximised, and the area is its normal size too.
VENDRIK_EXPORT void fillScreen(QWidget* window);

} // namespace vendrik
