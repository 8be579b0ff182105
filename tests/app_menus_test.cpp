// The main menu, its toolbar, the tree's menu and the About box: what they hold, and that an
// item runs the window's method of its name or, without one, cannot run at all.
#include "app/dwabout.h"
#include "app/dwmain.h"
#include "app/m1.h"
#include "framework/msgbox.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// A window with only some of the commands, as before and after another part of the program
// adds its own.
class PartialOwner : public QObject {
    Q_OBJECT

public:
    Q_INVOKABLE void FNZLISTADD() { ran << QStringLiteral("FNZLISTADD"); }
    Q_INVOKABLE void FNZCLOSEALL() { ran << QStringLiteral("FNZCLOSEALL"); }
    QStringList ran;
};

struct Item {
    int id;
    const char* name;
    const char* caption;
    const char* status;
};

// The menu as it must read, popups with their items in order ("-" a separator).
struct Popup {
    int id;
    const char* name;
    const char* caption;
    std::vector<Item> items;
};

const std::vector<Popup> kMenu = {
    {11054, "FILE", "&File", {{11055, "ENDWINDOW", "Esci", "Esce dal Programma"}}},
    {11056,
     "EDIT",
     "Modifica",
     {{11057, "FNZLOAD", "Carica Dati", "Ri/Carica i dati del fascicolo"},
      {11058, "MODIFICA_LISTE", "Liste", ""},
      {11063, "MODIFICA_RAPPORTO", "Rapporto", ""},
      {11066, "MODIFICA_FASCICOLO", "Fascicolo", ""}}},
    {11058,
     "MODIFICA_LISTE",
     "Liste",
     {{11059, "FNZOPEN", "Apri", "Apre la lista selezionata"},
      {11060, "FNZCLOSEALL", "Chiudi Tutto", "Chiude tutte le liste aperte"},
      {11061, "FNZLISTADD", "Aggiungi...", "Aggiunge liste al fascicolo"},
      {11062, "FNZLISTDEL", "Elimina...", "Elimina liste dal fascicolo"}}},
    {11063,
     "MODIFICA_RAPPORTO",
     "Rapporto",
     {{11064, "FNZPARSE", "Genera", "Genera il rapporto del fascicolo"},
      {11065, "FNZOPENR", "Apri", "Apre il rapporto del fascicolo"}}},
    {11066,
     "MODIFICA_FASCICOLO",
     "Fascicolo",
     {{11067, "FNZLISTWRD", "Genera...", "Crea un unico documento Word con le liste del fascicolo"},
      {11068, "FNZOPENF", "Apri", "Apre il fascicolo"}}},
    {11069, "HELP", "?", {{11070, "HLP_TOC", "Guida in linea", ""}, {0, "-", "", ""}, {11072, "OPEN_DWABOUT", "About...", "About"}}},
};

class MenusTest : public ::testing::Test {
protected:
    engine::ProgramState state;
    app::DWMAIN window{state};
};

TEST_F(MenusTest, TheMenuBarHoldsThePopupsAndItemsInOrder)
{
    app::M1* m1 = window.menu();
    ASSERT_TRUE(m1);
    EXPECT_EQ(window.menuBar(), m1);
    QStringList top;
    for (QAction* a : m1->actions())
        top << a->text();
    EXPECT_EQ(top, (QStringList{"&File", "Modifica", "?"}));
    EXPECT_EQ(m1->popup(11056)->menuAction()->statusTip(), "Edit information");
    EXPECT_EQ(m1->popup(11054)->menuAction()->property("helpKeyword").toString(), "File");
    EXPECT_EQ(m1->popup(11056)->menuAction()->property("helpKeyword").toString(), "Edit");
    EXPECT_EQ(m1->action(11065)->property("helpKeyword").toString(), "Apre il rapporto");

    for (const auto& popup : kMenu) {
        SCOPED_TRACE(popup.caption);
        QMenu* menu = m1->popup(popup.id);
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->title(), popup.caption);
        EXPECT_EQ(menu->objectName(), popup.name);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(popup.items.size()));
        for (std::size_t i = 0; i < popup.items.size(); ++i) {
            const Item& item = popup.items[i];
            QAction* a = actions[static_cast<qsizetype>(i)];
            SCOPED_TRACE(item.caption);
            if (std::string(item.name) == "-") {
                EXPECT_TRUE(a->isSeparator());
                continue;
            }
            EXPECT_EQ(a->text(), item.caption);
            EXPECT_EQ(a->objectName(), item.name);
            EXPECT_EQ(a->property("menuId").toInt(), item.id);
            EXPECT_EQ(a->statusTip(), item.status);
        }
    }
}

TEST_F(MenusTest, AnItemIsEnabledExactlyWhenTheWindowHasItsMethod)
{
    int checked = 0;
    for (const auto& popup : kMenu)
        for (const auto& item : popup.items) {
            QAction* a = window.menu()->action(item.id);
            if (!a)
                continue; // separators and popups
            SCOPED_TRACE(item.name);
            EXPECT_EQ(a->isEnabled(), app::hasCommand(&window, item.name));
            ++checked;
        }
    EXPECT_EQ(checked, 12);
    // Every item's command is there, so every item can run.
    for (const char* present : {"ENDWINDOW", "FNZLOAD", "FNZCLOSEALL", "FNZLISTADD", "FNZLISTDEL",
                                "FNZPARSE", "HLP_TOC", "OPEN_DWABOUT", "FNZOPEN", "FNZOPENR",
                                "FNZOPENF", "FNZLISTWRD"})
        EXPECT_TRUE(app::hasCommand(&window, present)) << present;
}

TEST_F(MenusTest, TheOpenItemsTheirButtonsAndApriListaRunTheirCommands)
{
    // Without a dossier each command can only say what it misses.
    vendrik::MessageBoxLog::reset();
    vendrik::MessageBoxLog::setScripted(true);
    QToolBar* bar = window.menu()->toolBar();
    const struct {
        int id;
        const char* text;
    } items[] = {
        {11059, "Selezionare una lista"},
        {11065, "Non esiste il file rapporto per questo fascicolo"},
        {11068, "Non esiste il file fascicolo"},
    };
    QStringList expected;
    for (const auto& item : items) {
        QAction* action = window.menu()->action(item.id);
        EXPECT_TRUE(action->isEnabled()) << item.id;
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        ASSERT_TRUE(button);
        EXPECT_TRUE(button->isEnabled()) << item.id;
        action->trigger();
        button->click();
        expected << item.text << item.text;
    }
    QAction* openList = window.treeMenu()->action(1823);
    EXPECT_TRUE(openList->isEnabled());
    openList->trigger();
    expected << "Selezionare una lista";
    QStringList shown;
    for (const auto& box : vendrik::MessageBoxLog::shown())
        shown << box.text;
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(window.engine().oWord);
    vendrik::MessageBoxLog::reset();
}

TEST(MenuBindingTest, AnItemRunsTheOwnersMethodOfItsNameAndOneWithoutStaysDisabled)
{
    QMainWindow window;
    PartialOwner owner;
    QStringList runs;
    app::M1 m1(&window, &owner, [&](const QByteArray& method) {
        runs << QString::fromLatin1(method);
        QMetaObject::invokeMethod(&owner, method.constData());
    });
    QAction* add = m1.action(11061);
    QAction* remove = m1.action(11062);
    EXPECT_TRUE(add->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    add->trigger();
    remove->trigger();
    m1.enableItem(11062, true); // enabling cannot bind what the owner lacks
    EXPECT_FALSE(remove->isEnabled());
    remove->trigger();
    EXPECT_EQ(runs, QStringList{"FNZLISTADD"});
    EXPECT_EQ(owner.ran, QStringList{"FNZLISTADD"});

    // Its toolbar button is the same command, enabled and disabled with it.
    auto* addButton = qobject_cast<QToolButton*>(m1.toolBar()->widgetForAction(add));
    auto* removeButton = qobject_cast<QToolButton*>(m1.toolBar()->widgetForAction(remove));
    ASSERT_TRUE(addButton && removeButton);
    addButton->click();
    removeButton->click();
    EXPECT_EQ(owner.ran, (QStringList{"FNZLISTADD", "FNZLISTADD"}));
    m1.enableItem(11061, false);
    EXPECT_FALSE(addButton->isEnabled());
    addButton->click();
    add->trigger();
    EXPECT_EQ(owner.ran.size(), 2);
    m1.enableItem(11061, true);
    EXPECT_TRUE(addButton->isEnabled());
}

TEST_F(MenusTest, AHighlightedItemShowsItsDescriptionInTheStatusBar)
{
    window.show();
    // What a menu opened from the menu bar does when an item is highlighted.
    for (int id : {11060, 11061, 11055}) {
        QAction* item = window.menu()->action(id);
        item->showStatusText(window.menu());
        EXPECT_EQ(window.statusBar()->currentMessage(), item->statusTip());
        EXPECT_FALSE(item->statusTip().isEmpty());
    }
}

TEST_F(MenusTest, TheToolbarHasTwelvePlacesWithThreeGaps)
{
    QToolBar* bar = window.menu()->toolBar();
    ASSERT_TRUE(bar);
    EXPECT_FALSE(bar->isMovable());
    EXPECT_FALSE(bar->isFloatable());
    EXPECT_EQ(bar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    const int ids[] = {11057, 0, 11059, 11060, 11061, 11062, 0, 11064, 11065, 0, 11067, 11068};
    const QList<QAction*> actions = bar->actions();
    ASSERT_EQ(actions.size(), 12);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i + 1);
        QAction* a = actions[i];
        if (ids[i] == 0) {
            EXPECT_TRUE(a->isSeparator());
            continue;
        }
        EXPECT_EQ(a, window.menu()->action(ids[i]));
        EXPECT_EQ(a->toolTip(), a->statusTip());
        EXPECT_FALSE(a->icon().isNull());
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        ASSERT_TRUE(button);
        EXPECT_TRUE(button->autoRaise()); // flat
        EXPECT_EQ(button->isEnabled(), a->isEnabled());
    }
}

TEST_F(MenusTest, DisablingAnItemDisablesItsButton)
{
    QToolBar* bar = window.menu()->toolBar();
    QWidget* reload = bar->widgetForAction(window.menu()->action(11057));
    EXPECT_TRUE(reload->isEnabled());
    window.enableMenuItem(11057, false);
    EXPECT_FALSE(window.menuItemEnabled(11057));
    EXPECT_FALSE(reload->isEnabled());
    window.enableMenuItem(11057, true);
    EXPECT_TRUE(reload->isEnabled());
    // The merge's item and its button go together as well.
    window.enableMenuItem(11067, false);
    EXPECT_FALSE(window.menuItemEnabled(11067));
    EXPECT_FALSE(bar->widgetForAction(window.menu()->action(11067))->isEnabled());
    window.enableMenuItem(11067, true);
    EXPECT_TRUE(bar->widgetForAction(window.menu()->action(11067))->isEnabled());
}

TEST_F(MenusTest, TheTreeMenuOpensOnARightClickAndOnTheMenuKey)
{
    window.show();
    app::CM1* cm1 = window.treeMenu();
    ASSERT_TRUE(cm1);
    EXPECT_EQ(cm1->title(), "Quarvello");
    ASSERT_EQ(cm1->actions().size(), 2);
    EXPECT_EQ(cm1->actions()[0]->text(), "Apri Lista");
    EXPECT_EQ(cm1->actions()[1]->text(), "Chiudi Tutto");
    EXPECT_TRUE(cm1->action(1823)->isEnabled());
    EXPECT_TRUE(cm1->action(1824)->isEnabled());

    for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
        SCOPED_TRACE(reason);
        const QPoint at(20, 20);
        QContextMenuEvent event(reason, at, window.TV1->viewport()->mapToGlobal(at));
        QApplication::sendEvent(window.TV1->viewport(), &event);
        EXPECT_TRUE(cm1->isVisible());
        cm1->hide();
    }
}

// The About box opened by its item; `inspect` sees it while it shows, then OK is clicked.
int openAbout(app::DWMAIN& window, const std::function<void(app::DWABOUT&)>& inspect)
{
    int result = -1;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* about = qobject_cast<app::DWABOUT*>(w); about && about->isVisible()) {
                seen = true;
                inspect(*about);
                about->PBOK->click();
                result = about->result();
            }
    });
    // Should the box not show, nothing else closes it: fail rather than wait.
    QTimer::singleShot(5000, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* about = qobject_cast<app::DWABOUT*>(w))
                about->done(0);
    });
    window.menu()->action(11072)->trigger();
    EXPECT_TRUE(seen);
    return result;
}

TEST_F(MenusTest, TheAboutBoxShowsTitleVersionAndOrganisationAndOkGivesOne)
{
    window.show();
    const int result = openAbout(window, [](app::DWABOUT& about) {
        EXPECT_EQ(about.windowTitle(), "About");
        EXPECT_TRUE(about.isModal());
        EXPECT_EQ(about.FLD00->text(), "");
        EXPECT_EQ(about.FLD01->text(), "Quarvello");
        EXPECT_EQ(about.FLD02->text(), "ver. 1.00.02 (2010) 2.8");
        EXPECT_EQ(about.FLD03->text(), "Corvalta");
        EXPECT_EQ(about.PBOK->text(), "OK");
        EXPECT_FALSE(about.FI1->pixmap().isNull());
        for (QLabel* text : {about.FLD00, about.FLD01, about.FLD02, about.FLD03})
            EXPECT_EQ(text->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        // The organisation is framed by a group box without a caption.
        auto* frame = about.findChild<QGroupBox*>();
        ASSERT_TRUE(frame);
        EXPECT_TRUE(frame->title().isEmpty());
        EXPECT_TRUE(frame->geometry().contains(about.FLD03->geometry()));
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(window.findChildren<app::DWABOUT*>().isEmpty()); // discarded when closed
}

// Every caption fits its control: no letter cut off at the dialog font.
void expectCaptionsFit(QWidget* window)
{
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << label->text().toStdString();
        }
    }
    for (QGroupBox* group : window->findChildren<QGroupBox*>()) {
        if (!group->title().isEmpty()) {
            EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()), group->width())
                << group->title().toStdString();
        }
    }
    for (QPushButton* button : window->findChildren<QPushButton*>())
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
            << button->text().toStdString();
}

TEST_F(MenusTest, NoCaptionOfTheWindowOrTheAboutBoxIsCutOff)
{
    window.show();
    expectCaptionsFit(&window);
    // The check boxes with the text on the left keep their box where it was designed.
    EXPECT_LE(std::abs(window.CB3->geometry().right() - window.CB2->geometry().right()), 1);
    openAbout(window, [](app::DWABOUT& about) { expectCaptionsFit(&about); });
}

} // namespace

#include "app_menus_test.moc"
