// The main window's menus, toolbar and tree menu, the commands they run, and running one
// command at a time.
#include "app/dwabout.h"
#include "app/dwmain.h"
#include "app/dwwait.h"

#include "framework/error_handler.h"
#include "framework/msgbox.h"
#include "framework/save_chooser.h"
#include "wordauto/doc/doc_application.h"

#include <QMetaMethod>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>

#include <utility>

namespace app {

namespace {

constexpr const char* kProgramVersion = "1.00.02";
constexpr const char* kProgramYear = "2010";
constexpr const char* kCompilerVersion = "2.8";
constexpr const char* kOrganisation = "Corvalta";

} // namespace

void DWMAIN::installMenus()
{
    const CommandRunner run = [this](const QByteArray& method) { runMethod(method); };
    m1_ = new M1(this, this, run);
    cm1_ = new CM1(TV1, this, run);
    TV1->setContextMenu(cm1_);
}

void DWMAIN::installSavePrompt()
{
    // Word runs inside the program: closing or quitting it without an answer from the caller
    // asks the user about each changed document, as Word itself would.
    QPointer<DWMAIN> owner(this);
    wordauto::DOC_Application::SetSavePrompt([owner](const std::string& documentName) {
        const QString text = QStringLiteral("Salvare le modifiche apportate a ")
            + QString::fromStdString(documentName) + QLatin1Char('?');
        switch (vendrik::messageBox(owner, text, QString::fromLatin1(framework::kProgramTitle),
                                      vendrik::mb::YesNoCancel | vendrik::mb::Exclamation)) {
        case vendrik::answer::Yes:
            return wordauto::SaveAnswer::Yes;
        case vendrik::answer::No:
            return wordauto::SaveAnswer::No;
        default:
            return wordauto::SaveAnswer::Cancel;
        }
    });
    // Sì for a document that never had a file (a merged dossier left unsaved) asks where.
    wordauto::DOC_Application::SetSaveAsPrompt([owner](const std::string& proposedPath) {
        return framework::chooseFileToSave(owner, QString::fromStdString(proposedPath)).toStdString();
    });
}

bool DWMAIN::menuItemEnabled(int id) const
{
    const QAction* item = m1_->action(id);
    return item && item->isEnabled();
}

void DWMAIN::runMethod(const QByteArray& method)
{
    const int index = metaObject()->indexOfMethod(method + "()");
    if (index < 0)
        return;
    runCommand(QString::fromLatin1(method),
               [this, index] { metaObject()->method(index).invoke(this, Qt::DirectConnection); });
}

bool DWMAIN::runCommand(const QString& name, const std::function<void()>& body)
{
    // A command that lets events through must not find another one started under it: both
    // would drive the one Word instance.
    if (commandRunning_)
        return false;
    commandRunning_ = true;
    setCommandControlsEnabled(false);
    const bool completed = framework::runGuarded(name, body);
    setCommandControlsEnabled(true);
    commandRunning_ = false;
    const bool selectionMoved = std::exchange(selectionMoved_, false);
    if (closePending_) {
        closePending_ = false;
        close();
    } else if (selectionMoved) {
        const auto selected = TV1->GETSELECTEDITEM();
        showSelectedNotes(selected ? QString::fromStdString(selected->name) : QString());
    }
    return completed;
}

void DWMAIN::showSelectedNotes(const QString& name)
{
    framework::runGuarded(QStringLiteral("TREEVIEWSELECTIONCHANGED"),
                          [this, name] { TREEVIEWSELECTIONCHANGED(name); });
}

void DWMAIN::setCommandControlsEnabled(bool enabled)
{
    m1_->setEnabled(enabled);
    m1_->toolBar()->setEnabled(enabled);
    centralWidget()->setEnabled(enabled);
}

void DWMAIN::cancelRunningCommand()
{
    // What the user would do: "Annulla" on every progress window that still offers it. A
    // phase that cannot be cancelled runs to its end.
    for (DWWAIT* progress : findChildren<DWWAIT*>()) {
        auto* cancel = progress->findChild<QPushButton*>(QStringLiteral("PBANNULLA"));
        if (cancel && !cancel->isHidden())
            cancel->click();
    }
}

void DWMAIN::ENDWINDOW() { close(); }
void DWMAIN::FNZLOAD() { engine_.FNZLOAD(); }
void DWMAIN::FNZCLOSEALL() { engine_.FNZCLOSEALL(); }
void DWMAIN::FNZPARSE() { engine_.FNZPARSE(); }

void DWMAIN::OPEN_DWABOUT()
{
    const QString version = QStringLiteral("ver. %1 (%2) %3")
                                .arg(QLatin1String(kProgramVersion), QLatin1String(kProgramYear),
                                     QLatin1String(kCompilerVersion));
    DWABOUT about(this, QString(), QString::fromLatin1(framework::kProgramTitle), version,
                  QString::fromLatin1(kOrganisation));
    about.exec();
}

} // namespace app
