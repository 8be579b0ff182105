#include "app/dwwait.h"

#include "runtime/dialog_units.h"
#include "runtime/screen_fit.h"
#include "ui_dwwait.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStringList>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

namespace app {

namespace {

// The width a line of the text box has, its frame and the document's margins taken off.
int lineWidth(const QTextEdit& box)
{
    return box.contentsRect().width() - 2 * static_cast<int>(std::ceil(box.document()->documentMargin()));
}

// Whether the box shows the whole of its text, wrapped as it wraps it. Measured on a copy laid
// out at the box's width, as the box itself is laid out only once it is shown.
bool fitsTheBox(const QTextEdit& box)
{
    const QTextDocument& shown = *box.document();
    QTextDocument probe;
    probe.setDefaultFont(shown.defaultFont());
    probe.setDefaultTextOption(shown.defaultTextOption());
    probe.setDocumentMargin(shown.documentMargin());
    probe.setPlainText(shown.toPlainText());
    probe.setTextWidth(box.contentsRect().width());
    return probe.size().height() <= box.contentsRect().height();
}

} // namespace

DWWAIT::DWWAIT(QWidget* owner, std::optional<QString> caption, std::optional<QString> text)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::_DWWAIT>())
{
    ui_->setupUi(this);
    vendrik::applyDialogUnits(this);
    setFixedSize(size());
    // Tight margins so that two lines fit the box as designed.
    ui_->FT1->document()->setDocumentMargin(1);
    setModal(false);
    if (caption)
        setWindowTitle(*caption);
    if (text)
        setText(*text);
    connect(ui_->PBANNULLA, &QPushButton::clicked, this, &DWWAIT::PBANNULLA);

    vendrik::centreOnScreen(this);
}

DWWAIT::~DWWAIT() = default;

void DWWAIT::setText(const QString& text)
{
    // The document itself breaks the paragraph at CR LF.
    QTextEdit* box = ui_->FT1;
    box->setPlainText(text);
    text_ = box->toPlainText();
    if (!fitsTheBox(*box)) {
        // A line too long for the box (a document's full path) would wrap out of sight: each
        // line loses its middle instead, so that both its start and its end stay readable.
        const QFontMetrics metrics(box->document()->defaultFont());
        const int width = lineWidth(*box);
        QStringList lines = text_.split(QLatin1Char('\n'));
        for (QString& line : lines)
            line = metrics.elidedText(line, Qt::ElideMiddle, width);
        box->setPlainText(lines.join(QLatin1Char('\n')));
    }
    // Alignment belongs to the paragraphs, so each new text is centred again.
    QTextCursor cursor(box->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(format);
    // Back in front of the windows the operation opened (a Word document), at every step: the
    // window manager may bring such a window forward again some time after it was shown.
    if (covered_ && isVisible())
        raise();
}

void DWWAIT::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    qApp->installEventFilter(this);
}

void DWWAIT::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    QDialog::hideEvent(event);
}

bool DWWAIT::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched != this) {
        // A plain window may now cover this one; a modal box belongs in front, and popups go.
        const auto* shown = qobject_cast<QWidget*>(watched);
        if (shown && shown->isWindow() && !shown->isModal()
            && (shown->windowType() == Qt::Window || shown->windowType() == Qt::Dialog))
            covered_ = true;
    }
    return QDialog::eventFilter(watched, event);
}

QString DWWAIT::text() const
{
    return text_;
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
