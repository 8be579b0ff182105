#pragma once

#include "runtime/vendrik_export.h"

#include <QDialog>

#include <memory>

class QPushButton;
class QTabWidget;

namespace Ui {
class _GWlim1;
}

namespace vendrik {

// The print-limits dialog as designed: a tab control without pages and three buttons without
// an action. A host or subclass adds the pages, and slots named after the buttons (PBOK,
// PBANNULLA, PBINIZIO) that their clicks then call.
class VENDRIK_EXPORT _GWlim1 : public QDialog {
    Q_OBJECT

public:
    explicit _GWlim1(QWidget* owner = nullptr);
    ~_GWlim1() override;

    QTabWidget* TC;
    QPushButton* PBOK;
    QPushButton* PBANNULLA;
    QPushButton* PBINIZIO;

private:
    std::unique_ptr<Ui::_GWlim1> ui_;
};

} // namespace vendrik
