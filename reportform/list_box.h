#pragma once

#include <QListWidget>

namespace vendrik {

// A list box of the dialogs: with one item selectable, the user moves the selection but never
// clears it. A click below the last item, a Ctrl+click or Ctrl+Space on the selected item leave
// it selected, so a list that had a selection keeps one.
class ListBox : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
};

} // namespace vendrik
