// "Apri" of the lists, report and dossier popups, their buttons and the tree menu's "Apri
// Lista" on the sample root; and the main window's question about a recovery copy.
#include "app/dwmain.h"
#include "framework/msgbox.h"
#include "tests/qstring_printer.h"
#include "tests/sample_window_fixture.h"
#include "tests/test_support.h"
#include "wordauto/doc/doc_recovery.h"
#include "wordauto/window/recovery.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QToolBar>
#include <QToolButton>

#include <chrono>

using namespace testsupport;

namespace {

class OpenCommandsTest : public SampleRootWindowTest {
protected:
    void viaToolbar(int id)
    {
        auto* button = qobject_cast<QToolButton*>(
            window->menu()->toolBar()->widgetForAction(window->menu()->action(id)));
        ASSERT_TRUE(button);
        button->click();
    }
    wordauto::DOC_Application& word()
    {
        EXPECT_TRUE(window->engine().oWord);
        return *window->engine().oWord;
    }
    std::vector<std::pair<QString, QString>> boxes() const
    {
        std::vector<std::pair<QString, QString>> out;
        for (const auto& b : vendrik::MessageBoxLog::shown())
            out.emplace_back(b.text, b.caption);
        return out;
    }

};

TEST_F(OpenCommandsTest, TheListOpensOnceFromTheMenuTheButtonAndTheTreeMenu)
{
    for (int id : {11059, 11065, 11068}) {
        EXPECT_TRUE(window->menuItemEnabled(id)) << id;
        QAction* item = window->menu()->action(id);
        EXPECT_TRUE(window->menu()->toolBar()->widgetForAction(item)->isEnabled());
    }
    QAction* openList = window->treeMenu()->action(1823);
    EXPECT_TRUE(openList->isEnabled());

    ASSERT_TRUE(window->TV1->SELECTITEM("L10101"));
    window->menu()->action(11059)->trigger();
    ASSERT_TRUE(window->engine().oWord);
    const wordauto::DOC_Application first = word();
    EXPECT_TRUE(first.Visible());
    EXPECT_TRUE(window->engine().lDocsOpen);
    EXPECT_EQ(first.ActiveDocument().Name(), "1.01.01.DOC");
    EXPECT_FALSE(first.ActiveDocument().ReadOnly());

    ASSERT_TRUE(window->TV1->SELECTITEM("L10102"));
    viaToolbar(11059);
    EXPECT_EQ(word().ActiveDocument().Name(), "1.01.02.DOC");

    ASSERT_TRUE(window->TV1->SELECTITEM("L10101"));
    openList->trigger();
    EXPECT_TRUE(word() == first);
    EXPECT_EQ(first.Documents().Count(), 2);
    EXPECT_EQ(first.ActiveDocument().Name(), "1.01.01.DOC");
    EXPECT_TRUE(boxes().empty());
    EXPECT_FALSE(window->commandRunning());

    // While the Word the user sees runs, a timer keeps the recovery copies, every minute.
    auto& keeper = wordauto::window::recoveryKeeper();
    EXPECT_TRUE(keeper.timerActive());
    EXPECT_EQ(keeper.interval(), std::chrono::minutes(1));
    window->menu()->action(11060)->trigger(); // Chiudi Tutto
    keeper.tick();
    EXPECT_FALSE(keeper.timerActive());
}

TEST_F(OpenCommandsTest, TheTimerWritesTheCopyOfAListTypedInto)
{
    auto& keeper = wordauto::window::recoveryKeeper();
    keeper.setInterval(std::chrono::milliseconds(0)); // every pass of the event loop
    ASSERT_TRUE(window->TV1->SELECTITEM("L10101"));
    window->menu()->action(11059)->trigger();
    auto doc = word().ActiveDocument();
    const std::string copy = wordauto::detail::recoveryCopyPath(doc.FullName());
    QCoreApplication::processEvents();
    EXPECT_FALSE(fs::exists(copy)); // nothing typed yet
    doc.FormFields().Item(1).Result("scritto");
    QCoreApplication::processEvents();
    EXPECT_TRUE(fs::exists(copy));
    keeper.setInterval(std::chrono::minutes(1));
}

TEST_F(OpenCommandsTest, ASectionAndADossierNeverMergedShowTheirMessagesAndLeaveWordAlone)
{
    // The list index load left its hidden Word running: it stays as it is.
    ASSERT_TRUE(window->engine().oWord);
    const wordauto::DOC_Application held = word();
    const int documents = held.Documents().Count();
    ASSERT_TRUE(window->TV1->SELECTITEM("T10100"));
    window->menu()->action(11059)->trigger();
    window->menu()->action(11068)->trigger();
    using Box = std::pair<QString, QString>;
    EXPECT_EQ(boxes(), (std::vector<Box>{{"Selezionare una lista", "Corvalta"},
                                         {"Non esiste il file fascicolo", "Corvalta"}}));
    for (const auto& b : vendrik::MessageBoxLog::shown())
        EXPECT_EQ(b.type, 0x20u);
    ASSERT_TRUE(window->engine().oWord);
    EXPECT_TRUE(word() == held);
    EXPECT_FALSE(held.Visible());
    EXPECT_EQ(held.Documents().Count(), documents);
    EXPECT_FALSE(window->engine().lDocsOpen);
}

TEST_F(OpenCommandsTest, TheReportAfterAReportRunOpensReadOnlyInANewVisibleWord)
{
    window->menu()->action(11064)->trigger(); // Genera: the run quits its Word at its end
    ASSERT_FALSE(window->engine().oWord);
    viaToolbar(11065);
    ASSERT_TRUE(window->engine().oWord);
    EXPECT_TRUE(word().IsRunning());
    EXPECT_TRUE(word().Visible());
    EXPECT_EQ(word().ActiveDocument().Name(), "_Rapporto_Fascicolo.doc");
    EXPECT_TRUE(word().ActiveDocument().ReadOnly());
    EXPECT_TRUE(window->engine().lDocsOpen);
}

TEST_F(OpenCommandsTest, ARecoveryCopyIsOfferedWhenTheListIsOpenedAndYesTakesIt)
{
    const std::string list = dossier + "/1.01.01.DOC";
    const std::string saved = readFile(list);
    std::string edited;
    {
        // An earlier session typed into the list and died: its copy is all that is left.
        wordauto::DOC_Application earlier;
        auto doc = earlier.Documents().Open(list, false, false);
        earlier.Visible(true);
        auto field = doc.FormFields().Item(1);
        edited = field.Result() + " (aggiornato)";
        field.Result(edited);
        wordauto::window::recoveryKeeper().tick();
        const std::string copy = wordauto::detail::recoveryCopyPath(doc.FullName());
        const std::string kept = readFile(copy);
        const std::string keptPath = readFile(copy + ".path");
        earlier.Quit(0);
        writeFile(copy, kept);
        writeFile(copy + ".path", keptPath);
        fs::last_write_time(list, fs::last_write_time(copy) - std::chrono::minutes(1));
    }

    vendrik::MessageBoxLog::queueAnswer(vendrik::answer::Yes);
    ASSERT_TRUE(window->TV1->SELECTITEM("L10101"));
    window->menu()->action(11059)->trigger();
    ASSERT_EQ(vendrik::MessageBoxLog::shown().size(), 1u);
    const auto& box = vendrik::MessageBoxLog::shown()[0];
    EXPECT_EQ(box.text, QStringLiteral("È stata trovata una copia di recupero di \"1.01.01.DOC\" "
                                       "più recente del file. Riprendere i valori recuperati?"));
    EXPECT_EQ(box.type, vendrik::mb::YesNo | vendrik::mb::Question);
    auto doc = word().ActiveDocument();
    EXPECT_EQ(doc.FormFields().Item(1).Result(), edited);
    EXPECT_FALSE(doc.Saved());
    EXPECT_EQ(readFile(list), saved);
}

} // namespace
