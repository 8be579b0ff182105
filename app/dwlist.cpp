#include "app/dwlist.h"

#include "runtime/dialog_units.h"
#include "app/dwwait.h"
#include "framework/msgbox.h"
#include "runtime/screen_fit.h"
#include "ui_dwlist.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>

#include <algorithm>
#include <utility>
#include <vector>

namespace app {

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

struct ModeLook {
    const char* mode;
    const char* caption;
    const char* word;
    const char* helpTopic; // nullptr: no help in this mode
};
constexpr ModeLook kModes[] = {
    {"ADD", "Aggiunta Liste", "da Aggiungere", "Finestra Aggiungi Liste"},
    {"DEL", "Rimozione Liste", "da Rimuovere", "Finestra Elimina Liste"},
    {"PRN", "Stampa Liste", "da Stampare", nullptr},
};

const ModeLook* lookOf(const QString& mode)
{
    for (const auto& m : kModes)
        if (mode == QLatin1String(m.mode))
            return &m;
    return nullptr;
}

// The column's width as designed: 38 characters of the dialog font.
constexpr int kColumnChars = 38;

} // namespace

_DWLIST::_DWLIST(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::_DWLIST>())
{
    ui_->setupUi(this);
    vendrik::applyDialogUnits(this);
    designedSize_ = size();
    setMinimumSize(designedSize_);
    setSizeGripEnabled(true);
    setModal(true);
    setObjectName(QStringLiteral("_DWLIST"));
    FT2 = ui_->FT2;
    CB1 = ui_->CB1;
    LV1 = ui_->LV1;
    PBOK = ui_->PBOK;
    PBANNULLA = ui_->PBANNULLA;
    PBHELP = ui_->PBHELP;
    designedList_ = LV1->geometry();
    // The style's check indicator takes more room than the designed box allowed for; the
    // caption gets what it needs, up to the list view.
    CB1->resize(std::min(std::max(CB1->width(), CB1->sizeHint().width()), LV1->x() - CB1->x()),
                CB1->height());

    LV1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    LV1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LV1->horizontalHeader()->setHighlightSections(false);
    LV1->verticalHeader()->setDefaultSectionSize(LV1->fontMetrics().height() + 6);
    LV1->setWordWrap(false);
    LV1->viewport()->installEventFilter(this);
    // The selection stays as visible as with the focus.
    QPalette palette = LV1->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    LV1->setPalette(palette);

    // Placed at 37, 48 from the top-left corner of the owner's client area.
    if (owner) {
        const QRect offset = vendrik::dialogUnitsToPixels(vendrik::dialogFont(), 37, 48, 0, 0);
        QWidget* client = owner;
        if (auto* main = qobject_cast<QMainWindow*>(owner); main && main->centralWidget())
            client = main->centralWidget();
        move(client->mapToGlobal(QPoint(0, 0)) + offset.topLeft());
        vendrik::fitToScreen(this); // an owner near the edge of the screen would push it out
    }
}

_DWLIST::~_DWLIST() = default;

bool _DWLIST::eventFilter(QObject* watched, QEvent* event)
{
    // The view's inner width is known only once it is laid out.
    if (watched == LV1->viewport() && event->type() == QEvent::Resize)
        fitColumn();
    return QDialog::eventFilter(watched, event);
}

void _DWLIST::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The list view follows the dialog in width and height; its top-left corner stays.
    QRect r = designedList_;
    r.setWidth(r.width() + std::max(0, width() - designedSize_.width()));
    r.setHeight(r.height() + std::max(0, height() - designedSize_.height()));
    LV1->setGeometry(r);
}

void _DWLIST::fitColumn()
{
    const QFontMetrics metrics(LV1->font());
    int wanted = metrics.averageCharWidth() * kColumnChars;
    LV1->resizeColumnToContents(0);
    wanted = std::max(wanted, LV1->columnWidth(0));
    LV1->setColumnWidth(0, std::max(wanted, LV1->viewport()->width()));
}

DWLIST::DWLIST(QWidget* owner, const QString& mode, engine::ProgramState& state)
    : _DWLIST(owner), symMode(mode), state_(state)
{
    state_.aListPick.clear();
    LV1->horizontalHeaderItem(0)->setData(Qt::UserRole, QStringLiteral("LISTE"));
    const ModeLook* look = lookOf(symMode);
    if (symMode == QLatin1String("PRN"))
        CB1->setChecked(true);
    else
        CB1->hide();
    if (look) {
        setWindowTitle(QString::fromUtf8(look->caption));
        FT2->setText(QString::fromUtf8(look->word));
    }
    connect(_DWLIST::PBOK, &QPushButton::clicked, this, [this] { PBOK(); });
    connect(_DWLIST::PBANNULLA, &QPushButton::clicked, this, [this] { PBANNULLA(); });
    connect(_DWLIST::PBHELP, &QPushButton::clicked, this, [this] { PBHELP(); });
    MTDLOAD();
}

DWLIST::~DWLIST() = default;

void DWLIST::setHelpDisplay(std::function<void(const QString& topic)> display) { help_ = std::move(display); }

void DWLIST::fillRow(int r, const engine::IndexRow& row, bool checked)
{
    auto* item = new QTableWidgetItem(q(row.number + " - " + row.title));
    item->setData(Qt::UserRole, q(row.number));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    item->setToolTip(item->text());
    LV1->setItem(r, 0, item);
}

void DWLIST::MTDLOAD()
{
    LV1->setUpdatesEnabled(false);
    const engine::NumberIndex<engine::IndexRow> listRows(state_.aListIndex);
    const engine::NumberIndex<std::string> dossier(state_.aDossierLists);
    // The rows are counted first and made in one step, not inserted one by one.
    std::vector<std::pair<const engine::IndexRow*, bool>> items;
    if (symMode == QLatin1String("ADD")) {
        for (const auto& row : state_.aListIndex)
            if (!dossier.contains(row.number))
                items.emplace_back(&row, row.mandatory);
    } else if (symMode == QLatin1String("DEL")) {
        for (const auto& number : state_.aDossierLists)
            if (const engine::IndexRow* row = listRows.find(number))
                items.emplace_back(row, false);
    } else if (symMode == QLatin1String("PRN")) {
        for (const auto& row : state_.aListIndex)
            items.emplace_back(&row, dossier.contains(row.number));
    }
    const int first = LV1->rowCount();
    LV1->setRowCount(first + static_cast<int>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i)
        fillRow(first + static_cast<int>(i), *items[i].first, items[i].second);
    fitColumn();
    LV1->setUpdatesEnabled(true);
}

void DWLIST::PBANNULLA()
{
    if (!working_)
        done(0);
}

void DWLIST::reject()
{
    if (working_) {
        if (progress_ && progress_->dialog())
            progress_->dialog()->PBANNULLA();
        return;
    }
    QDialog::reject();
}

void DWLIST::PBHELP()
{
    const ModeLook* look = lookOf(symMode);
    if (!look || !look->helpTopic || !help_)
        return;
    help_(QStringLiteral("HelpContents"));
    help_(QString::fromUtf8(look->helpTopic));
}

int DWLIST::itemCount() const { return LV1->rowCount(); }
QString DWLIST::itemNumber(int row) const { return LV1->item(row, 0)->data(Qt::UserRole).toString(); }
QString DWLIST::itemText(int row) const { return LV1->item(row, 0)->text(); }
bool DWLIST::itemChecked(int row) const { return LV1->item(row, 0)->checkState() == Qt::Checked; }
void DWLIST::setItemChecked(int row, bool checked)
{
    LV1->item(row, 0)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}
bool DWLIST::separatorsChecked() const { return CB1->isChecked(); }
void DWLIST::setSeparatorsChecked(bool checked) { CB1->setChecked(checked); }

int DWLIST::box(const std::string& text, unsigned type)
{
    return vendrik::messageBox(this, q(text), QString::fromLatin1("Corvalta"), type);
}

void DWLIST::setControlsEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(CB1), static_cast<QWidget*>(LV1),
                       static_cast<QWidget*>(_DWLIST::PBOK), static_cast<QWidget*>(_DWLIST::PBANNULLA),
                       static_cast<QWidget*>(_DWLIST::PBHELP)})
        w->setEnabled(enabled);
}

} // namespace app
