#include "app/dwmain.h"

#include "runtime/dialog_units.h"
#include "app/dwwait.h"
#include "runtime/dates.h"
#include "framework/error_handler.h"
#include "framework/event_pump.h"
#include "framework/msgbox.h"
#include "ui_dwmain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QGroupBox>
#include <QStatusBar>

namespace app {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }

// The program's dates, set before any window exists: day.month.year, and two-digit years in
// this century.
void setProcessDates()
{
    vendrik::setDateFormat(QStringLiteral("dd.mm.yyyy"));
    if (QDate::currentDate().year() > 1999)
        vendrik::setYearEpoch(2000);
}
} // namespace

_DWMAIN::_DWMAIN(QWidget* owner) : QMainWindow(owner), ui_(std::make_unique<Ui::_DWMAIN>())
{
    auto* form = new QWidget(this);
    ui_->setupUi(form);
    vendrik::applyDialogUnits(form);
    designedSize_ = form->size();
    form->setMinimumSize(designedSize_);
    setCentralWidget(form);
    form->installEventFilter(this);
    setObjectName(QStringLiteral("_DWMAIN"));
    setWindowTitle(QStringLiteral("Quarvello"));

    PBDIR0 = ui_->PBDIR0;
    SLEDIR0 = ui_->SLEDIR0;
    PBDIR1 = ui_->PBDIR1;
    SLEDIR1 = ui_->SLEDIR1;
    SLE1 = ui_->SLE1;
    SLE2 = ui_->SLE2;
    SLE3 = ui_->SLE3;
    SLE4 = ui_->SLE4;
    SLE5 = ui_->SLE5;
    GB3 = ui_->GB3;
    CB1 = ui_->CB1;
    MLE1 = ui_->MLE1;
    CB2 = ui_->CB2;
    CB3 = ui_->CB3;
    TV1 = ui_->TV1;
    PBEXPAND = ui_->PBEXPAND;
    PBCOLLAPSE = ui_->PBCOLLAPSE;
    fsDate = new FSDATE8(this);
    fsDate->attach(SLE4);

    for (QWidget* w : {static_cast<QWidget*>(GB3), static_cast<QWidget*>(MLE1)})
        followers_.push_back({w, w->geometry(), false, true});
    followers_.push_back({TV1, TV1->geometry(), true, true});
}

_DWMAIN::~_DWMAIN() = default;

bool _DWMAIN::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        followResize();
    return QMainWindow::eventFilter(watched, event);
}

void _DWMAIN::followResize()
{
    const QSize now = centralWidget()->size();
    const int dw = std::max(0, now.width() - designedSize_.width());
    const int dh = std::max(0, now.height() - designedSize_.height());
    for (const auto& f : followers_) {
        QRect r = f.designed;
        if (f.width)
            r.setWidth(r.width() + dw);
        if (f.height)
            r.setHeight(r.height() + dh);
        f.widget->setGeometry(r);
    }
}

DWMAIN::DWMAIN(engine::ProgramState& state, QWidget* owner)
    : _DWMAIN((setProcessDates(), owner)), state_(state), engine_(state, *this)
{
    statusBar()->show();
    setAttribute(Qt::WA_QuitOnClose, true);
    connect(PBEXPAND, &QPushButton::clicked, this, [this] { PBEXPAND_clicked(); });
    connect(PBCOLLAPSE, &QPushButton::clicked, this, [this] { PBCOLLAPSE_clicked(); });
    connect(_DWMAIN::PBDIR0, &QPushButton::clicked, this,
            [this] { runCommand(QStringLiteral("PBDIR0"), [this] { PBDIR0(); }); });
    connect(_DWMAIN::PBDIR1, &QPushButton::clicked, this,
            [this] { runCommand(QStringLiteral("PBDIR1"), [this] { PBDIR1(); }); });
    for (QCheckBox* box : {CB1, CB2, CB3})
        connect(box, &QCheckBox::clicked, this, [this, box] {
            runCommand(QStringLiteral("BUTTONCLICK"), [this, box] { BUTTONCLICK(box); });
        });
    connect(TV1, &XTV1::selectedItemChanged, this, [this](const QString& name) {
        // A command moves the selection as it changes the tree (a removed item's neighbour
        // is selected): its notes are read once the command ended, not meanwhile.
        if (commandRunning_) {
            selectionMoved_ = true;
            return;
        }
        showSelectedNotes(name);
    });
    installMenus();
    installSavePrompt();
    installRecoveryPrompt();
}

engine::BoxAnswer DWMAIN::messageBox(const std::string& text, const std::string& caption,
                                     unsigned type)
{
    return static_cast<engine::BoxAnswer>(vendrik::messageBox(this, q(text), q(caption), type));
}

void DWMAIN::errorBox(const std::string& text) { framework::errorBox(q(text)); }

std::unique_ptr<engine::ProgressWindow> DWMAIN::createProgress(const std::string& caption)
{
    return std::make_unique<ProgressWindowAdapter>(this, q(caption));
}

void DWMAIN::pumpEvents() { framework::letEventsRun(); }
void DWMAIN::treeSuspendUpdate() { TV1->SUSPENDUPDATE(); }
void DWMAIN::treeRestoreUpdate() { TV1->RESTOREUPDATE(); }
void DWMAIN::treeDeleteAll() { TV1->DELETEALL(); }

bool DWMAIN::treeAddItem(const std::string& parent, const engine::TreeItem& item)
{
    return TV1->ADDITEM(q(parent), item);
}

bool DWMAIN::treeDeleteItem(const std::string& name, bool childrenOnly)
{
    return TV1->DELETEITEM(q(name), childrenOnly);
}

std::optional<engine::TreeItem> DWMAIN::treeItem(const std::string& name) const
{
    return TV1->GETITEMATTRIBUTES(q(name));
}

void DWMAIN::treeSetItem(const engine::TreeItem& item) { TV1->SETITEMATTRIBUTES(item); }
void DWMAIN::treeSortChildren(const std::string& parent) { TV1->SORTCHILDREN(q(parent)); }
std::optional<engine::TreeItem> DWMAIN::treeSelectedItem() const { return TV1->GETSELECTEDITEM(); }
void DWMAIN::treeExpandAll() { TV1->PBEXPAND(); }

std::string DWMAIN::dossierFolderBox() const { return SLEDIR1->text().toStdString(); }

void DWMAIN::setHeaderText(int box, const std::string& text)
{
    switch (box) {
    case 1: SLE1->setText(q(text)); break;
    case 2: SLE2->setText(q(text)); break;
    case 3: SLE3->setText(q(text)); break;
    case 4: fsDate->setDate(SLE4, vendrik::parseDate(q(text))); break;
    case 5: SLE5->setText(q(text)); break;
    default: break;
    }
}

void DWMAIN::setNotes(const std::string& text) { MLE1->setPlainText(q(text)); }

void DWMAIN::enableMenuItem(int id, bool enabled) { m1_->enableItem(id, enabled); }

bool DWMAIN::QUERYCLOSE()
{
    const bool baseAnswer = true;
    // Word runs inside the program: a document the user kept open by cancelling the save
    // question would be lost with the window, so the window stays.
    const bool wordDone = engine_.quitWordOnClose();
    return baseAnswer && wordDone;
}

void DWMAIN::closeEvent(QCloseEvent* event)
{
    if (commandRunning_) {
        // Word is in use: the command ends first, as after its cancel, then the window closes.
        closePending_ = true;
        cancelRunningCommand();
        event->ignore();
        return;
    }
    if (QUERYCLOSE())
        event->accept();
    else
        event->ignore();
}

} // namespace app
