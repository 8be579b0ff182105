#include "reportform/dialog_window.h"

#include "reportform/button_binding.h"
#include "reportform/i_rp0.h"
#include "reportform/runtime/dialog_units.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

namespace vendrik {

void finishDialog(QDialog* dialog)
{
    applyDialogUnits(dialog);
    dialog->setFixedSize(dialog->size());
    // One image serves as icon and small icon: the caption scales it.
    dialog->setWindowIcon(I_RP0());
    bindButtonsByName(dialog);
    const QWidget* owner = dialog->parentWidget();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
}

} // namespace vendrik
