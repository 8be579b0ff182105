#include "reportform/list_box.h"

namespace vendrik {

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (selectionMode() != SingleSelection)
        return command;
    // Qt's single selection clears on a press off the items and deselects on Ctrl.
    if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect))
        return QItemSelectionModel::NoUpdate;
    return command;
}

} // namespace vendrik
