// The window's commands run from the menu, the toolbar and the tree menu on the sample root:
// the same effect from each, one command at a time, a close while a command lets events run,
// the tree redrawn again after a failure, and Word's save question.
#include "app/dwmain.h"
#include "app/dwwait.h"
#include "data/generator/sample_root.h"
#include "framework/folder_chooser.h"
#include "framework/msgbox.h"
#include "tests/test_support.h"
#include "tests/window_fixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <functional>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

enum class Via { Menu, Toolbar };

class CommandsTest : public WindowFolderTest {
protected:
    void SetUp() override
    {
        WindowFolderTest::SetUp();
        root = (dir_ / "root").string();
        sample::writeSampleRoot(root);
        dossier = root + "/DATI/" + sample::kDossierName;
        writeFile(dir_ / "ORMK.INI", "[STP1]\r\nSLE0=" + root + "\r\nSLE1=/" + sample::kDossierName
                                         + "\r\nCB1=0\r\nCB2=1\r\nCB3=1\r\n");
    }
    app::DWMAIN& start()
    {
        window = std::make_unique<app::DWMAIN>(state);
        window->show();
        window->MTDINIT();
        return *window;
    }
    void run(int id, Via via)
    {
        QAction* item = window->menu()->action(id);
        ASSERT_TRUE(item);
        if (via == Via::Menu) {
            item->trigger();
            return;
        }
        auto* button = qobject_cast<QToolButton*>(window->menu()->toolBar()->widgetForAction(item));
        ASSERT_TRUE(button);
        button->click();
    }
    std::vector<QString> boxTexts() const
    {
        std::vector<QString> out;
        for (const auto& b : vendrik::MessageBoxLog::shown())
            out.push_back(b.text);
        return out;
    }
    std::string resultDocument(const char* name) const { return readFile(dossier + "/" + name); }
    std::string blankTemplate(const char* name) const { return readFile(root + "/" + name); }

    std::string root;
    std::string dossier;
};

constexpr const char* kStatus = "_Stato_Liste.doc";
constexpr const char* kReport = "_Rapporto_Fascicolo.doc";

TEST_F(CommandsTest, EachItemAndItsButtonRunTheSameCommand)
{
    start();
    const int loaded = window->TV1->ITEMCOUNT();
    ASSERT_GT(loaded, 0);
    std::optional<wordauto::DOC_Application> held;

    struct Case {
        int id;
        std::function<void()> prepare;
        std::function<void()> check;
    };
    const Case cases[] = {
        {11057, [&] { window->TV1->DELETEALL(); },
         [&] { EXPECT_EQ(window->TV1->ITEMCOUNT(), loaded); }},
        {11060,
         [&] {
             window->engine().obtainWord();
             held = *window->engine().oWord;
         },
         [&] {
             EXPECT_FALSE(held->IsRunning());
             EXPECT_FALSE(window->engine().oWord);
         }},
        {11064,
         [&] {
             fs::remove(dossier + "/" + kStatus);
             fs::remove(dossier + "/" + kReport);
         },
         [&] {
             // Both written and filled, and the run's Word quit at its end.
             EXPECT_NE(resultDocument(kStatus), blankTemplate(kStatus));
             EXPECT_NE(resultDocument(kReport), blankTemplate(kReport));
             EXPECT_FALSE(window->engine().oWord);
         }},
    };
    for (const auto& c : cases)
        for (Via via : {Via::Menu, Via::Toolbar}) {
            SCOPED_TRACE(testing::Message() << c.id << (via == Via::Menu ? " menu" : " toolbar"));
            c.prepare();
            run(c.id, via);
            c.check();
            EXPECT_FALSE(window->commandRunning());
        }
    EXPECT_TRUE(window->isVisible());
    run(11055, Via::Menu); // Esci
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CommandsTest, ADisabledItemAndItsButtonCannotRun)
{
    start();
    window->enableMenuItem(11057, false);
    window->TV1->DELETEALL();
    run(11057, Via::Menu);
    run(11057, Via::Toolbar);
    EXPECT_EQ(window->TV1->ITEMCOUNT(), 0);
    window->enableMenuItem(11057, true);
    run(11057, Via::Toolbar);
    EXPECT_GT(window->TV1->ITEMCOUNT(), 0);
}

TEST_F(CommandsTest, TheTreeMenuClosesEverythingAndCannotOpenYet)
{
    start();
    window->engine().obtainWord();
    const wordauto::DOC_Application held = *window->engine().oWord;
    QAction* open = window->treeMenu()->action(1823);
    QAction* closeAll = window->treeMenu()->action(1824);
    open->trigger();
    EXPECT_TRUE(held.IsRunning());
    closeAll->trigger();
    EXPECT_FALSE(held.IsRunning());
    EXPECT_FALSE(window->engine().oWord);
    EXPECT_FALSE(window->engine().lDocsOpen);
}

// Runs `action` at each pass of the event loop while the report run shows its progress
// window, with the text of that window.
void whileTheRunShows(QObject* context, const std::function<void(const QString&)>& action)
{
    auto* timer = new QTimer(context);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, context, [context, action] {
        for (auto* progress : context->findChildren<app::DWWAIT*>())
            if (progress->isVisible())
                action(progress->text());
    });
    timer->start();
}

TEST_F(CommandsTest, NoOtherCommandStartsWhileTheReportRuns)
{
    start();
    int refused = 0;
    whileTheRunShows(window.get(), [&](const QString& text) {
        if (!text.startsWith("Scansione"))
            return;
        EXPECT_TRUE(window->commandRunning());
        EXPECT_FALSE(window->menu()->isEnabled());
        EXPECT_FALSE(window->menu()->toolBar()->isEnabled());
        EXPECT_FALSE(window->centralWidget()->isEnabled());
        const auto word = window->engine().oWord;
        // A close-all and a reload asked for now, by the menu and by the tree menu: refused.
        window->menu()->action(11060)->trigger();
        window->menu()->action(11057)->trigger();
        window->treeMenu()->action(1824)->trigger();
        // Nor may a folder be chosen: the load it starts would drive the same Word.
        framework::FolderChooserScript::queueAnswer(QString::fromStdString(root));
        window->_DWMAIN::PBDIR0->click();
        EXPECT_EQ(framework::FolderChooserScript::pending(), 1);
        framework::FolderChooserScript::reset();
        EXPECT_TRUE(window->engine().oWord && word && *window->engine().oWord == *word && word->IsRunning());
        ++refused;
    });
    run(11064, Via::Menu);
    EXPECT_GT(refused, 0);
    EXPECT_NE(resultDocument(kStatus), blankTemplate(kStatus));
    EXPECT_NE(resultDocument(kReport), blankTemplate(kReport));
    EXPECT_TRUE(window->menu()->isEnabled());
    EXPECT_TRUE(window->centralWidget()->isEnabled());
}

TEST_F(CommandsTest, ClosingTheWindowDuringTheReportRunEndsItCleanlyThenCloses)
{
    struct Case {
        const char* when;
        bool atLastList;
    } const cases[] = {{"first list", false}, {"last list", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        start();
        const std::string last = state.aDossierLists.back();
        bool asked = false;
        whileTheRunShows(window.get(), [&](const QString& text) {
            if (asked || !text.startsWith("Scansione"))
                return;
            if (c.atLastList && !text.contains(QString::fromStdString(last)))
                return;
            asked = true;
            EXPECT_FALSE(window->close()); // waits for the run
            EXPECT_TRUE(window->isVisible());
        });
        run(11064, Via::Menu);
        EXPECT_TRUE(asked);
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(window->engine().oWord);
        EXPECT_TRUE(window->findChildren<app::DWWAIT*>().isEmpty());
        const bool interrupted = !boxTexts().empty() && boxTexts().back() == "Generazione rapporto interrotta";
        if (c.atLastList) {
            // The cancel comes after the last list was read: the results are complete.
            EXPECT_FALSE(interrupted);
            EXPECT_NE(resultDocument(kStatus), blankTemplate(kStatus));
            EXPECT_NE(resultDocument(kReport), blankTemplate(kReport));
        } else {
            EXPECT_TRUE(interrupted);
            EXPECT_EQ(resultDocument(kStatus), blankTemplate(kStatus));
            EXPECT_EQ(resultDocument(kReport), blankTemplate(kReport));
        }
        window.reset();
        vendrik::MessageBoxLog::clear();
    }
}

TEST_F(CommandsTest, AFailedLoadOrStatusRefreshLeavesTheTreeRedrawing)
{
    start();
    ASSERT_TRUE(window->TV1->updatesEnabled());
    struct Case {
        const char* document;
        std::function<void()> command;
    } const cases[] = {
        {"0.00.01.doc", [this] { run(11057, Via::Menu); }},
        {kStatus,
         [this] {
             window->CB2->click(); // faces off
             window->CB2->click(); // and on again: the status refresh reads the damaged document
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        const std::string path = dossier + "/" + c.document;
        const std::string kept = readFile(path);
        writeFile(path, "questo non è un documento di Word");
        vendrik::MessageBoxLog::clear();
        c.command();
        // The failure was told, and the tree redraws: now and after the next bracket.
        bool told = false;
        for (const auto& b : vendrik::MessageBoxLog::shown())
            told = told || b.caption == "Quarvello";
        EXPECT_TRUE(told);
        EXPECT_TRUE(window->TV1->updatesEnabled());
        window->TV1->SUSPENDUPDATE();
        window->TV1->RESTOREUPDATE();
        EXPECT_TRUE(window->TV1->updatesEnabled());
        EXPECT_FALSE(window->commandRunning());
        EXPECT_TRUE(window->menu()->isEnabled());
        writeFile(path, kept);
    }
}

TEST_F(CommandsTest, ClosingAsksAboutAChangedDocumentAndAnnullaKeepsTheWindow)
{
    struct Case {
        int answer;
        bool closes;
        bool saved;
    } const cases[] = {
        {vendrik::answer::Cancel, false, false},
        {vendrik::answer::No, true, false},
        {vendrik::answer::Yes, true, true},
    };
    const std::string header = dossier + "/0.00.01.doc";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        start();
        const std::string before = readFile(header);
        auto& word = window->engine().obtainWord();
        word.Documents().Open(header, false, false).FormFields().Item("f001").Result("Impresa cambiata");
        vendrik::MessageBoxLog::clear();
        vendrik::MessageBoxLog::queueAnswer(c.answer);
        EXPECT_EQ(window->close(), c.closes);
        ASSERT_EQ(vendrik::MessageBoxLog::shown().size(), 1u);
        const auto& box = vendrik::MessageBoxLog::shown()[0];
        EXPECT_EQ(box.type, vendrik::mb::YesNoCancel | vendrik::mb::Exclamation);
        EXPECT_TRUE(box.text.startsWith("Salvare le modifiche apportate a "));
        EXPECT_TRUE(box.text.contains("0.00.01.DOC", Qt::CaseInsensitive));
        EXPECT_EQ(window->isVisible(), !c.closes);
        EXPECT_EQ(readFile(header) != before, c.saved);
        if (!c.closes) {
            EXPECT_TRUE(window->engine().oWord->IsRunning());
            window->engine().oWord->Quit(0);
        }
        window.reset();
        writeFile(header, before);
    }
}

} // namespace
