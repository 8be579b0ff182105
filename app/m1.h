#pragma once

#include <QByteArray>
#include <QHash>
#include <QMenu>
#include <QMenuBar>

#include <functional>

class QAction;
class QMainWindow;
class QToolBar;

namespace app {

// Runs the owner's command of a method name ("FNZLOAD"); the owner decides how (guarded, one
// at a time).
using CommandRunner = std::function<void(const QByteArray& method)>;

// Whether `owner` has an invocable method of this name without arguments.
bool hasCommand(const QObject* owner, const QByteArray& method);

// Items bound by name: an item runs the owner's method of its name; an item whose method the
// owner does not have stays disabled for good, so no item ever runs a method that does nothing.
class CommandItems {
public:
    CommandItems(QObject* owner, CommandRunner run) : owner_(owner), run_(std::move(run)) {}

    QAction* add(QMenu* menu, int id, const char* method, const QString& caption,
                 const QString& description = {}, const QString& helpKeyword = {});
    QAction* action(int id) const { return actions_.value(id, nullptr); }
    // The item can run only when it is bound as well as enabled.
    void setEnabled(int id, bool enabled);
    bool isBound(int id) const;

private:
    QObject* owner_;
    CommandRunner run_;
    QHash<int, QAction*> actions_;
};

// The main menu. Its constructor also builds the toolbar on the window, whose buttons share the
// items' actions: a button runs its item's method and is disabled with it.
class M1 : public QMenuBar {
    Q_OBJECT

public:
    M1(QMainWindow* window, QObject* owner, CommandRunner run);

    QAction* action(int id) const { return items_.action(id); }
    void enableItem(int id, bool enabled) { items_.setEnabled(id, enabled); }
    bool isBound(int id) const { return items_.isBound(id); }
    QToolBar* toolBar() const { return toolBar_; }
    // The popups by their identifiers: 11054 File, 11056 Modifica, 11058 Liste, 11063 Rapporto,
    // 11066 Fascicolo, 11069 "?".
    QMenu* popup(int id) const { return popups_.value(id, nullptr); }

private:
    QMenu* addPopup(QWidget* parent, int id, const char* name, const QString& caption,
                    const QString& description = {}, const QString& helpKeyword = {});
    void buildToolBar(QMainWindow* window);

    CommandItems items_;
    QHash<int, QMenu*> popups_;
    QToolBar* toolBar_ = nullptr;
};

// The context menu of the list tree.
class CM1 : public QMenu {
    Q_OBJECT

public:
    CM1(QWidget* parent, QObject* owner, CommandRunner run);

    QAction* action(int id) const { return items_.action(id); }

private:
    CommandItems items_;
};

} // namespace app
