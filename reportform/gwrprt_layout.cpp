#include "reportform/gwrprt_layout.h"

#include "reportform/dialog_window.h"
#include "ui_gwrprt.h"

namespace vendrik {

_GWrprt::_GWrprt(QWidget* owner)
    // Caption bar and system menu with its close command; no minimise or maximise box.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                         | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::_GWrprt>())
{
    ui_->setupUi(this);
    PB1 = ui_->PB1;
    NSEL = ui_->NSEL;
    NSTA = ui_->NSTA;
    DREP = ui_->DREP;
    GB2 = ui_->GB2;
    FTSUB = ui_->FTSUB;
    NSUB = ui_->NSUB;
    CCOD = ui_->CCOD;
    CDES = ui_->CDES;
    CARC = ui_->CARC;
    PBAVVIA = ui_->PBAVVIA;
    PBANNULLA = ui_->PBANNULLA;
    PBCHIUDI = ui_->PBCHIUDI;
    PBLIMITI = ui_->PBLIMITI;
    PBHELP = ui_->PBHELP;
    setModal(true);
    setWindowTitle(QStringLiteral("Reports "));
    finishDialog(this);
}

_GWrprt::~_GWrprt() = default;

} // namespace vendrik
