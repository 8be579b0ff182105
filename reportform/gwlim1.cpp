#include "reportform/gwlim1.h"

#include "reportform/dialog_window.h"
#include "ui_gwlim1.h"

namespace vendrik {

_GWlim1::_GWlim1(QWidget* owner)
    // A caption bar without system menu or close box.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::_GWlim1>())
{
    ui_->setupUi(this);
    TC = ui_->TC;
    PBOK = ui_->PBOK;
    PBANNULLA = ui_->PBANNULLA;
    PBINIZIO = ui_->PBINIZIO;
    setModal(true);
    setWindowTitle(QStringLiteral("Limiti di Stampa"));
    finishDialog(this);
}

_GWlim1::~_GWlim1() = default;

} // namespace vendrik
