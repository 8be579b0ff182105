#include "app/dwabout.h"

#include "runtime/dialog_units.h"
#include "app/xtv1.h"
#include "runtime/screen_fit.h"
#include "ui_dwabout.h"


namespace app {

_DWABOUT::_DWABOUT(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::_DWABOUT>())
{
    ui_->setupUi(this);
    vendrik::applyDialogUnits(this);
    setFixedSize(size());
    FI1 = ui_->FI1;
    FLD00 = ui_->FLD00;
    FLD01 = ui_->FLD01;
    FLD02 = ui_->FLD02;
    FLD03 = ui_->FLD03;
    PBOK = ui_->PBOK;
    FI1->setPixmap(ICO_00().pixmap(32, 32));

    vendrik::centreOnScreen(this);
}

_DWABOUT::~_DWABOUT() = default;

DWABOUT::DWABOUT(QWidget* owner, const QString& text0, const QString& text1, const QString& text2,
                 const QString& text3)
    : _DWABOUT(owner)
{
    FLD00->setText(text0);
    FLD01->setText(text1);
    FLD02->setText(text2);
    FLD03->setText(text3);
    connect(PBOK, &QPushButton::clicked, this, &DWABOUT::PBOK_clicked);
}

void DWABOUT::PBOK_clicked()
{
    done(1);
}

} // namespace app
