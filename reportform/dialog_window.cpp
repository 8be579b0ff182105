#include "reportform/dialog_window.h"

#include "reportform/button_binding.h"
#include "reportform/i_rp0.h"
#include "runtime/dialog_units.h"
#include "runtime/screen_fit.h"

#include <QDialog>

namespace vendrik {

void finishDialog(QDialog* dialog)
{
    applyDialogUnits(dialog);
    dialog->setFixedSize(dialog->size());
    // One image serves as icon and small icon: the caption scales it.
    dialog->setWindowIcon(I_RP0());
    bindButtonsByName(dialog);
    centreOnScreen(dialog);
}

} // namespace vendrik
