#pragma once

class QDialog;

namespace vendrik {

// What every designed dialog of the library does once its controls exist: sizes itself and
// its controls from their dialog units, fixes that size, takes the report icon, binds its
// buttons by name and stands centred on the screen of its owner.
void finishDialog(QDialog* dialog);

} // namespace vendrik
