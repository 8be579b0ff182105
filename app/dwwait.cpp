#include "app/dwwait.h"

#include "app/dialog_units.h"
#include "ui_dwwait.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextFormat>
#include <QTextCursor>

#include <algorithm>

namespace app {

DWWAIT::DWWAIT(QWidget* owner, std::optional<QString> caption, std::optional<QString> text)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::_DWWAIT>())
{
    ui_->setupUi(this);
    applyDialogUnits(this);
    setFixedSize(size());
    // Tight margins so that two lines fit the box as designed.
    ui_->FT1->document()->setDocumentMargin(1);
    setModal(false);
    if (caption)
        setWindowTitle(*caption);
    if (text)
        setText(*text);
    connect(ui_->PBANNULLA, &QPushButton::clicked, this, &DWWAIT::PBANNULLA);

    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

DWWAIT::~DWWAIT() = default;

void DWWAIT::setText(const QString& text)
{
    // The document itself breaks the paragraph at CR LF.
    QTextEdit* box = ui_->FT1;
    box->setPlainText(text);
    // Alignment belongs to the paragraphs, so each new text is centred again.
    QTextCursor cursor(box->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(format);
}

QString DWWAIT::text() const
{
    return ui_->FT1->toPlainText();
}

void DWWAIT::show(int /*showState*/)
{
    QDialog::show();
}

void DWWAIT::ENDDIALOG()
{
    // done() closes without going through reject(), which ignores every other way out.
    done(QDialog::Rejected);
}

void DWWAIT::PBANNULLA()
{
    LABORT = true;
}

ProgressWindowAdapter::ProgressWindowAdapter(QWidget* owner, const QString& caption)
    : dialog_(new DWWAIT(owner, caption))
{
}

ProgressWindowAdapter::~ProgressWindowAdapter()
{
    delete dialog_.data();
}

void ProgressWindowAdapter::setText(const std::string& text)
{
    if (dialog_)
        dialog_->setText(QString::fromStdString(text));
}

void ProgressWindowAdapter::hideCancel()
{
    if (dialog_)
        dialog_->ui_->PBANNULLA->hide();
}

void ProgressWindowAdapter::disableCancel()
{
    if (dialog_)
        dialog_->ui_->PBANNULLA->setEnabled(false);
}

void ProgressWindowAdapter::hideBar()
{
    if (dialog_)
        dialog_->ui_->PB1->hide();
}

void ProgressWindowAdapter::setRange(int low, int high)
{
    if (dialog_)
        dialog_->ui_->PB1->setRange(low, high);
}

int ProgressWindowAdapter::position() const
{
    return dialog_ ? dialog_->ui_->PB1->value() : 0;
}

void ProgressWindowAdapter::setPosition(int position)
{
    if (!dialog_)
        return;
    QProgressBar* bar = dialog_->ui_->PB1;
    if (position > bar->value())
        bar->setValue(std::min(position, bar->maximum()));
}

bool ProgressWindowAdapter::aborted() const
{
    return dialog_ && dialog_->LABORT;
}

void ProgressWindowAdapter::show()
{
    if (dialog_)
        dialog_->show(0);
}

void ProgressWindowAdapter::close()
{
    if (dialog_)
        dialog_->ENDDIALOG();
}

} // namespace app
