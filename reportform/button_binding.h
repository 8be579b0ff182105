#pragma once

class QWidget;

namespace vendrik {

// The dialogs' convention: a click on a push button calls the slot of `dialog` that bears the
// button's name (letters compared without regard to case, no arguments); a button without one
// does nothing. A subclass that adds such a slot gets its button's clicks.
void bindButtonsByName(QWidget* dialog);

} // namespace vendrik
