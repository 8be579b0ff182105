#include "app/m1.h"

#include <QAction>
#include <QIcon>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QToolBar>

namespace app {

namespace {

constexpr const char* kIdProperty = "menuId";
constexpr const char* kHelpKeywordProperty = "helpKeyword";
constexpr const char* kBoundProperty = "bound";

void describe(QAction* action, int id, const char* name, const QString& description,
              const QString& helpKeyword)
{
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty(kIdProperty, id);
    if (!description.isEmpty()) {
        action->setStatusTip(description);
        action->setToolTip(description);
    }
    if (!helpKeyword.isEmpty())
        action->setProperty(kHelpKeywordProperty, helpKeyword);
}

// A toolbar picture: the icon theme's, or Qt's own when the theme has none.
struct Picture {
    int id;
    const char* themeName;
    QStyle::StandardPixmap fallback;
};
constexpr Picture kToolBar[] = {
    {11057, "view-refresh", QStyle::SP_BrowserReload},
    {0, nullptr, {}},
    {11059, "document-open", QStyle::SP_DialogOpenButton},
    {11060, "window-close", QStyle::SP_DialogCloseButton},
    {11061, "list-add", QStyle::SP_FileDialogNewFolder},
    {11062, "list-remove", QStyle::SP_TrashIcon},
    {0, nullptr, {}},
    {11064, "system-run", QStyle::SP_MediaPlay},
    {11065, "x-office-document", QStyle::SP_FileDialogContentsView},
    {0, nullptr, {}},
    {11067, "document-new", QStyle::SP_FileDialogDetailedView},
    {11068, "folder-open", QStyle::SP_DirOpenIcon},
};

// The picture, and a faded one for a disabled button: the style's own greying leaves black
// pictures (the cross, the arrow) looking as if they could be clicked.
QIcon withFadedDisabled(const QIcon& icon, const QSize& size)
{
    QIcon out;
    for (const QSize& s : {QSize(16, 16), size}) {
        const QPixmap normal = icon.pixmap(s);
        if (normal.isNull())
            continue;
        QPixmap faded(normal.size());
        faded.setDevicePixelRatio(normal.devicePixelRatio());
        faded.fill(Qt::transparent);
        QPainter painter(&faded);
        painter.setOpacity(0.3);
        painter.drawPixmap(0, 0, normal);
        painter.end();
        out.addPixmap(normal, QIcon::Normal);
        out.addPixmap(faded, QIcon::Disabled);
    }
    return out;
}

} // namespace

bool hasCommand(const QObject* owner, const QByteArray& method)
{
    return owner && owner->metaObject()->indexOfMethod(method + "()") >= 0;
}

QAction* CommandItems::add(QMenu* menu, int id, const char* method, const QString& caption,
                           const QString& description, const QString& helpKeyword)
{
    auto* action = menu->addAction(caption);
    describe(action, id, method, description, helpKeyword);
    const QByteArray name(method);
    const bool bound = hasCommand(owner_, name);
    action->setProperty(kBoundProperty, bound);
    action->setEnabled(bound);
    if (bound)
        QObject::connect(action, &QAction::triggered, menu, [run = run_, name] { run(name); });
    actions_.insert(id, action);
    return action;
}

void CommandItems::setEnabled(int id, bool enabled)
{
    if (QAction* a = action(id))
        a->setEnabled(enabled && a->property(kBoundProperty).toBool());
}

bool CommandItems::isBound(int id) const
{
    const QAction* a = action(id);
    return a && a->property(kBoundProperty).toBool();
}

M1::M1(QMainWindow* window, QObject* owner, CommandRunner run)
    : QMenuBar(window), items_(owner, std::move(run))
{
    setObjectName(QStringLiteral("M1"));

    QMenu* file = addPopup(this, 11054, "FILE", QStringLiteral("&File"), {}, QStringLiteral("File"));
    items_.add(file, 11055, "ENDWINDOW", QStringLiteral("Esci"), QStringLiteral("Esce dal Programma"));

    QMenu* edit = addPopup(this, 11056, "EDIT", QStringLiteral("Modifica"),
                           QStringLiteral("Edit information"), QStringLiteral("Edit"));
    items_.add(edit, 11057, "FNZLOAD", QStringLiteral("Carica Dati"),
               QStringLiteral("Ri/Carica i dati del fascicolo"));
    QMenu* lists = addPopup(edit, 11058, "MODIFICA_LISTE", QStringLiteral("Liste"));
    items_.add(lists, 11059, "FNZOPEN", QStringLiteral("Apri"), QStringLiteral("Apre la lista selezionata"));
    items_.add(lists, 11060, "FNZCLOSEALL", QStringLiteral("Chiudi Tutto"),
               QStringLiteral("Chiude tutte le liste aperte"));
    items_.add(lists, 11061, "FNZLISTADD", QStringLiteral("Aggiungi..."),
               QStringLiteral("Aggiunge liste al fascicolo"));
    items_.add(lists, 11062, "FNZLISTDEL", QStringLiteral("Elimina..."),
               QStringLiteral("Elimina liste dal fascicolo"));
    QMenu* report = addPopup(edit, 11063, "MODIFICA_RAPPORTO", QStringLiteral("Rapporto"));
    items_.add(report, 11064, "FNZPARSE", QStringLiteral("Genera"),
               QStringLiteral("Genera il rapporto del fascicolo"));
    items_.add(report, 11065, "FNZOPENR", QStringLiteral("Apri"), QStringLiteral("Apre il rapporto del fascicolo"),
               QStringLiteral("Apre il rapporto"));
    QMenu* dossier = addPopup(edit, 11066, "MODIFICA_FASCICOLO", QStringLiteral("Fascicolo"));
    items_.add(dossier, 11067, "FNZLISTWRD", QStringLiteral("Genera..."),
               QStringLiteral("Crea un unico documento Word con le liste del fascicolo"));
    items_.add(dossier, 11068, "FNZOPENF", QStringLiteral("Apri"), QStringLiteral("Apre il fascicolo"));

    QMenu* help = addPopup(this, 11069, "HELP", QStringLiteral("?"));
    items_.add(help, 11070, "HLP_TOC", QStringLiteral("Guida in linea"));
    help->addSeparator();
    items_.add(help, 11072, "OPEN_DWABOUT", QStringLiteral("About..."), QStringLiteral("About"));

    window->setMenuBar(this);
    buildToolBar(window);
}

QMenu* M1::addPopup(QWidget* parent, int id, const char* name, const QString& caption,
                    const QString& description, const QString& helpKeyword)
{
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(QString::fromLatin1(name));
    describe(menu->menuAction(), id, name, description, helpKeyword);
    if (auto* bar = qobject_cast<QMenuBar*>(parent))
        bar->addMenu(menu);
    else
        static_cast<QMenu*>(parent)->addMenu(menu);
    popups_.insert(id, menu);
    return menu;
}

void M1::buildToolBar(QMainWindow* window)
{
    toolBar_ = new QToolBar(window);
    toolBar_->setObjectName(QStringLiteral("M1_TOOLBAR"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The toolbar belongs to the menu: no way to hide one without the other.
    toolBar_->toggleViewAction()->setEnabled(false);
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    const QStyle* style = window->style();
    for (const auto& p : kToolBar) {
        if (!p.themeName) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* item = action(p.id);
        const QIcon picture = QIcon::fromTheme(QString::fromLatin1(p.themeName), style->standardIcon(p.fallback));
        item->setIcon(withFadedDisabled(picture, toolBar_->iconSize()));
        // Menus show captions only; the picture is the toolbar's.
        item->setIconVisibleInMenu(false);
        toolBar_->addAction(item);
    }
    window->addToolBar(Qt::TopToolBarArea, toolBar_);
}

CM1::CM1(QWidget* parent, QObject* owner, CommandRunner run) : QMenu(parent), items_(owner, std::move(run))
{
    setObjectName(QStringLiteral("CM1"));
    setTitle(QStringLiteral("Quarvello"));
    describe(menuAction(), 1822, "FILE", {}, QStringLiteral("File"));
    items_.add(this, 1823, "FNZOPEN", QStringLiteral("Apri Lista"));
    items_.add(this, 1824, "FNZCLOSEALL", QStringLiteral("Chiudi Tutto"));
}

} // namespace app
