#include "framework/help_window.h"

#include "framework/chm_file.h"
#include "framework/msgbox.h"
#include "runtime/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace framework {

namespace {
constexpr int kUrlRole = Qt::UserRole;
const QString kScheme = QStringLiteral("chm");

QUrl withoutFragment(QUrl url)
{
    url.setFragment(QString());
    return url;
}
} // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    // Links are followed here, so that only pages of the help file are ever loaded.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::follow);
}

QUrl HelpBrowser::pageUrl(const QString& local)
{
    QUrl root;
    root.setScheme(kScheme);
    root.setPath(QStringLiteral("/"));
    return root.resolved(QUrl(local));
}

void HelpBrowser::follow(const QUrl& link)
{
    const QUrl url = link.isRelative() ? source().resolved(link) : link;
    if (url.scheme() == kScheme)
        setSource(url);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    QUrl base = document()->baseUrl();
    if (base.scheme() != kScheme)
        base = source();
    const QUrl url = name.isRelative() ? base.resolved(name) : name;
    if (!file_ || url.scheme() != kScheme)
        return {};
    const auto bytes = file_->read(url.path());
    if (!bytes) {
        if (type == QTextDocument::HtmlResource)
            return QStringLiteral("<html><head><title>Pagina non trovata</title></head><body>"
                                  "<p>La pagina %1 non si trova nella guida.</p></body></html>")
                .arg(url.path().toHtmlEscaped());
        return {};
    }
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return decodeHelpPage(*bytes);
    return *bytes;
}

HelpWindow::HelpWindow(QWidget* owner, const QString& helpFile)
    : QWidget(owner, Qt::Window), owner_(owner), path_(helpFile), contents_(new QTreeWidget), browser_(new HelpBrowser),
      back_(new QToolButton), forward_(new QToolButton)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Guida in linea"));
    resize(860, 620);

    back_->setText(QStringLiteral("Indietro"));
    back_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    forward_->setText(QStringLiteral("Avanti"));
    forward_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    for (QToolButton* b : {back_, forward_}) {
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setAutoRaise(true);
        b->setEnabled(false);
    }
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);

    contents_->setHeaderHidden(true);
    contents_->setObjectName(QStringLiteral("HelpContents"));
    browser_->setObjectName(QStringLiteral("HelpPage"));
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QUrl url = item->data(0, kUrlRole).toUrl();
        if (url.isValid())
            browser_->setSource(url);
    });
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::syncContents);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Guida in linea")
                                       : QStringLiteral("Guida in linea - %1").arg(title));
    });

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({230, 630});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
}

HelpWindow::~HelpWindow() { browser_->setHelpFile(nullptr); }

bool HelpWindow::ensureOpen()
{
    if (file_)
        return true;
    const QFileInfo info(path_);
    // A file that failed is not read again, nor reported again, until it changes.
    if (failedSize_ >= 0 && info.lastModified() == failedStamp_ && info.size() == failedSize_)
        return false;
    try {
        file_ = ChmFile::open(path_);
    } catch (const ChmError& e) {
        failedStamp_ = info.lastModified();
        failedSize_ = info.size();
        vendrik::messageBox(parentWidget(), QString::fromStdString(e.what()), QString::fromLatin1(kProgramTitle),
                   vendrik::mb::Exclamation);
        return false;
    }
    failedSize_ = -1;
    browser_->setHelpFile(file_.get());
    fillContents();
    return true;
}

void HelpWindow::fillContents()
{
    contents_->clear();
    std::vector<QTreeWidgetItem*> open; // the last item at each depth
    for (const auto& entry : file_->contents()) {
        const std::size_t depth = std::min<std::size_t>(static_cast<std::size_t>(entry.depth), open.size());
        auto* item = depth == 0 ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(open[depth - 1]);
        item->setText(0, entry.name);
        if (!entry.local.isEmpty())
            item->setData(0, kUrlRole, HelpBrowser::pageUrl(entry.local));
        open.resize(depth);
        open.push_back(item);
    }
    contents_->expandAll();
}

bool HelpWindow::showTopic(const QString& name)
{
    followModalDialog();
    if (!ensureOpen())
        return false;
    const auto local = file_->findTopic(name);
    if (!local) {
        vendrik::messageBox(parentWidget(),
                   QStringLiteral("L'argomento \"%1\" non si trova nel file della guida \"%2\".").arg(name, path_),
                   QString::fromLatin1(kProgramTitle), vendrik::mb::Exclamation);
        return false;
    }
    browser_->setSource(HelpBrowser::pageUrl(*local));
    if (!isVisible())
        vendrik::fitToScreen(this);
    show();
    raise();
    activateWindow();
    return true;
}

// A modal dialog blocks every window but its own: while one is up, the help window is made a
// window of it, and goes back to its owner when the dialog closes.
void HelpWindow::followModalDialog()
{
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* host = modal && modal != this ? modal : owner_.data();
    if (parentWidget() != host)
        moveTo(host);
}

void HelpWindow::moveTo(QWidget* host)
{
    const bool shown = isVisible();
    const QPoint at = frameGeometry().topLeft();
    if (dialog_)
        dialog_->removeEventFilter(this);
    dialog_ = host == owner_ ? nullptr : host;
    if (dialog_)
        dialog_->installEventFilter(this);
    setParent(host, windowFlags()); // hides the window
    move(at);
    if (shown)
        show();
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Closed, not minimised: the window system's hide of a minimised dialog is spontaneous.
    if (watched == dialog_ && event->type() == QEvent::Hide && !event->spontaneous()) {
        QWidget* modal = QApplication::activeModalWidget();
        moveTo(modal && modal != dialog_ ? modal : owner_.data());
    }
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::syncContents(const QUrl& source)
{
    const QUrl page = withoutFragment(source);
    const QSignalBlocker block(contents_);
    for (QTreeWidgetItemIterator it(contents_); *it; ++it)
        if (withoutFragment((*it)->data(0, kUrlRole).toUrl()) == page) {
            contents_->setCurrentItem(*it);
            return;
        }
    contents_->setCurrentItem(nullptr);
}

} // namespace framework
