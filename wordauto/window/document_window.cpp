#include "wordauto/window/document_window.h"

#include "wordauto/window/page_view.h"

#include "runtime/msgbox.h"
#include "runtime/screen_fit.h"
#include "wordauto/doc/application_state.h"
#include "wordauto/doc/doc_documents.h"
#include "wordauto/oxml/document_model.h"
#include "wordauto/layout/document_layout.h"
#include "wordauto/layout/page_painter.h"
#include "wordauto/print/print_out.h"
#include "wordauto/word_error.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>

namespace wordauto::window {

namespace {

constexpr const char* kCaption = "Quarvello";

struct ZoomChoice {
    const char* text;
    PageView::Fit fit;
    int percent;
};
constexpr ZoomChoice kZooms[] = {
    {"Larghezza pagina", PageView::Fit::PageWidth, 0}, {"Pagina intera", PageView::Fit::WholePage, 0},
    {"50%", PageView::Fit::None, 50},   {"75%", PageView::Fit::None, 75},
    {"100%", PageView::Fit::None, 100}, {"150%", PageView::Fit::None, 150},
    {"200%", PageView::Fit::None, 200},
};

void errorBox(QWidget* owner, const std::string& text)
{
    vendrik::messageBox(owner, QString::fromStdString(text), QString::fromLatin1(kCaption),
                        vendrik::mb::Ok | vendrik::mb::Stop);
}

} // namespace

DocumentWindow::DocumentWindow(std::shared_ptr<detail::ApplicationState> app,
                               std::shared_ptr<detail::DocumentModel> doc)
    : app_(std::move(app)), doc_(std::move(doc))
{
    view_ = new PageView(app_, doc_, this);
    setCentralWidget(view_);

    auto* bar = addToolBar(QStringLiteral("Documento"));
    bar->setMovable(false);
    save_ = bar->addAction(QStringLiteral("Salva"), this, [this] { save(); });
    save_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save_->setEnabled(!doc_->readOnly());
    print_ = bar->addAction(QStringLiteral("Stampa"), this, [this] { print(); });
    print_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    close_ = bar->addAction(QStringLiteral("Chiudi"), this, [this] { close(); });
    close_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    bar->addSeparator();
    zoom_ = new QComboBox(bar);
    for (const auto& z : kZooms)
        zoom_->addItem(QString::fromLatin1(z.text));
    zoom_->setFocusPolicy(Qt::NoFocus);
    bar->addWidget(zoom_);
    connect(zoom_, &QComboBox::activated, this, [this](int i) {
        const auto& z = kZooms[i];
        if (z.fit == PageView::Fit::None)
            view_->setZoomPercent(z.percent);
        else
            view_->setFit(z.fit);
        view_->setFocus();
    });

    status_ = new QLabel(this);
    page_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);
    statusBar()->addPermanentWidget(page_);

    view_->onEdited = [this] {
        refreshTitle();
        save_->setEnabled(!doc_->readOnly());
    };
    view_->onStateChanged = [this] { refreshStatus(); };
    view_->onHelpRequested = [this] { showHelp(); };

    // The page takes the screen, as in any word processor.
    vendrik::fillScreen(this);
    refreshTitle();
    refreshStatus();
    view_->setFocus();
}

void DocumentWindow::refreshTitle()
{
    setWindowTitle(QString::fromStdString(doc_->name()) + QStringLiteral("[*] - ") + QString::fromLatin1(kCaption));
    setWindowModified(doc_->changed());
}

QString DocumentWindow::pageText() const
{
    return QStringLiteral("Pagina %1 di %2").arg(view_->currentPage()).arg(view_->pageCount());
}

QString DocumentWindow::statusText() const
{
    const int field = view_->currentField();
    if (field < 0 || doc_->closed() || static_cast<std::size_t>(field) >= doc_->fields().count())
        return {};
    return QString::fromStdString(doc_->fields().at(static_cast<std::size_t>(field)).statusText());
}

void DocumentWindow::refreshStatus()
{
    page_->setText(pageText());
    status_->setText(statusText());
    const int percent = view_->zoomPercent();
    const QString shown = QString::number(percent) + QLatin1Char('%');
    if (zoom_->currentIndex() >= 2 || zoom_->currentText() != shown) {
        const int index = zoom_->findText(shown);
        if (index >= 0)
            zoom_->setCurrentIndex(index);
    }
}

void DocumentWindow::showHelp()
{
    const int field = view_->currentField();
    if (field < 0 || static_cast<std::size_t>(field) >= doc_->fields().count())
        return;
    const std::string help = doc_->fields().at(static_cast<std::size_t>(field)).helpText();
    if (help.empty())
        return;
    vendrik::messageBox(this, QString::fromStdString(help), QString::fromLatin1(vendrik::kInfoCaption),
                        vendrik::mb::Ok | vendrik::mb::Information);
}

bool DocumentWindow::save()
{
    if (doc_->readOnly() || doc_->closed())
        return false;
    try {
        // A document never saved asks where to go; Annulla there saves nothing.
        if (!detail::saveAnswered(*doc_))
            return false;
    } catch (const WordError& e) {
        errorBox(this, e.what());
        return false;
    }
    refreshTitle();
    return true;
}

void DocumentWindow::print()
{
    if (doc_->closed())
        return;
    try {
        const std::string& folder = detail::printDestinationFolder();
        if (!folder.empty()) {
            print::printDocument(*doc_, folder);
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(QString::fromStdString(doc_->name()));
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        if (!layout::paintDocument(printer, view_->pages()))
            errorBox(this, "La stampa di " + doc_->name() + " non è riuscita");
    } catch (const WordError& e) {
        errorBox(this, e.what());
    }
}

void DocumentWindow::dismiss()
{
    dismissed_ = true;
    hide();
    deleteLater();
}

bool DocumentWindow::askAndClose()
{
    view_->finishEdit();
    if (doc_->changed()) {
        switch (detail::askToSave(doc_->name())) {
        case SaveAnswer::Yes:
            if (!save())
                return false;
            break;
        case SaveAnswer::No:
            break;
        case SaveAnswer::Cancel:
            return false;
        }
    }
    dismissed_ = true;
    // The document goes with its window; the instance goes with its last window.
    app_->close(doc_, wdDoNotSaveChanges);
    if (app_->running && app_->documents.empty())
        detail::endInstance(*app_);
    return true;
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    if (dismissed_ || doc_->closed() || !app_->running) {
        event->accept();
        return;
    }
    if (askAndClose()) {
        event->accept();
        deleteLater();
    } else {
        event->ignore();
    }
}

} // namespace wordauto::window
