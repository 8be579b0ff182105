// The dossier handed on, through the main window on the sample root: "Fascicolo" > "Genera..."
// merges every list without showing the picker and leaves the result open in a visible Word;
// the print run asks the picker, prints with page numbers running on from one document to the
// next, quits Word and leaves every file as it was.
//
// Screenshots (not run by ctest): under Xvfb with a window manager,
//   QT_QPA_PLATFORM=xcb QUARVELLO_SHOT_DIR=/some/folder build/tests/app_merge_test
//       --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'
#include "app/dwlist.h"
#include "app/dwmain.h"
#include "app/dwwait.h"
#include "framework/msgbox.h"
#include "framework/save_chooser.h"
#include "tests/pdf_text.h"
#include "tests/picker_fixture.h"
#include "tests/qstring_printer.h"
#include "tests/sample_window_fixture.h"
#include "tests/test_support.h"
#include "wordauto/window/document_window.h"
#include "wordauto/window/page_view.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <optional>
#include <set>

using namespace testsupport;

namespace {

constexpr int kGenera = 11067;

// Lets events run until `done` holds; false when it still does not after a long while.
bool eventsUntil(const std::function<bool()>& done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.hasExpired(10000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

class MergeWindowTest : public SampleRootWindowTest {
protected:
    void SetUp() override
    {
        SampleRootWindowTest::SetUp();
        prints = path("stampe");
        fs::create_directories(prints);
        wordauto::DOC_Application::SetPrintDestination(prints);
    }
    void TearDown() override
    {
        SampleRootWindowTest::TearDown();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        wordauto::DOC_Application::SetPrintDestination("");
    }

    // The merge's own progress window (the picker's hangs below the picker).
    app::DWWAIT* mergeProgress() const
    {
        for (auto* w : window->findChildren<app::DWWAIT*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                return w;
        return nullptr;
    }
    // The progress window of the picker's collect loop.
    app::DWWAIT* collectProgress() const
    {
        for (auto* w : window->findChildren<app::DWWAIT*>())
            if (qobject_cast<app::DWLIST*>(w->parentWidget()) && w->isVisible())
                return w;
        return nullptr;
    }
    static app::DWLIST* visiblePicker()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<app::DWLIST*>(w); p && p->isVisible())
                return p;
        return nullptr;
    }
    // Calls `onPass` at every pass of the event loop while a command runs, until the timer
    // returned is deleted (or the window is).
    QTimer* everyPass(std::function<void()> onPass)
    {
        auto* timer = new QTimer(window.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, window.get(), std::move(onPass));
        timer->start();
        return timer;
    }
    // Once the picker is up, modal: tick exactly these lists, then press the button.
    void whenThePickerShows(std::vector<std::string> tick, const char* button)
    {
        QTimer::singleShot(0, window.get(), [this, tick, button] {
            auto* picker = qobject_cast<app::DWLIST*>(QApplication::activeModalWidget());
            ASSERT_TRUE(picker);
            pickerMode = picker->symMode;
            for (int i = 0; i < picker->itemCount(); ++i) {
                const std::string n = picker->itemNumber(i).toStdString();
                picker->setItemChecked(i, std::find(tick.begin(), tick.end(), n) != tick.end());
            }
            picker->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
    }
    std::vector<fs::path> printed() const
    {
        std::vector<fs::path> out;
        for (const auto& e : fs::directory_iterator(prints))
            out.push_back(e.path());
        return out;
    }

    std::string prints;
    QString pickerMode;
};

TEST_F(MergeWindowTest, GeneraMergesTheDossierUnseenAndLeavesTheResultOpenInWord)
{
    fs::remove(dossier + "/_Fascicolo.doc");
    bool pickerSeen = false;
    std::set<QString> captions;
    std::vector<QString> texts;
    everyPass([&] {
        pickerSeen = pickerSeen || visiblePicker();
        if (app::DWWAIT* progress = mergeProgress()) {
            captions.insert(progress->windowTitle());
            if (texts.empty() || texts.back() != progress->text())
                texts.push_back(progress->text());
        }
    });
    QAction* genera = window->menu()->action(kGenera);
    auto* button = qobject_cast<QToolButton*>(window->menu()->toolBar()->widgetForAction(genera));
    ASSERT_TRUE(button);
    std::optional<wordauto::DOC_Application> earlier;
    // From the menu, then from the toolbar over the merge the first run left open.
    for (const bool fromMenu : {true, false}) {
        SCOPED_TRACE(fromMenu ? "menu" : "toolbar");
        texts.clear();
        vendrik::MessageBoxLog::clear();
        if (fromMenu)
            genera->trigger();
        else
            button->click();

        EXPECT_FALSE(pickerSeen);
        EXPECT_TRUE(window->findChildren<app::DWLIST*>().empty());
        EXPECT_TRUE(window->findChildren<app::DWWAIT*>().empty());
        EXPECT_FALSE(window->commandRunning());

        // Every list of the dossier, each section's opened by its separator, a text for each.
        const auto& pick = state.aListPick;
        std::size_t fromDossier = 0;
        for (const auto& p : pick)
            fromDossier += fs::path(p).parent_path() == fs::path(dossier);
        EXPECT_EQ(fromDossier, state.aDossierLists.size());
        EXPECT_GT(pick.size(), fromDossier);
        std::vector<QString> expected;
        for (std::size_t i = 1; i <= pick.size(); ++i)
            expected.push_back(QStringLiteral("Fascicolazione in corso [%1/%2]\nlista %3")
                                   .arg(i).arg(pick.size()).arg(QString::fromStdString(pick[i - 1])));
        EXPECT_EQ(texts, expected);
        EXPECT_EQ(captions, std::set<QString>{QStringLiteral("Quarvello")});

        const auto& boxes = vendrik::MessageBoxLog::shown();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Operazione completata!");
        EXPECT_EQ(boxes[0].caption, "Corvalta");
        EXPECT_EQ(boxes[0].type, 0x40u);
        EXPECT_EQ(boxes[0].owner, window.get());

        // Saved, and still open for the user in a visible Word, in its own window, every page.
        const std::string merged = dossier + "/_Fascicolo.doc";
        ASSERT_TRUE(fs::exists(merged));
        ASSERT_TRUE(window->engine().oWord);
        const wordauto::DOC_Application& word = *window->engine().oWord;
        EXPECT_TRUE(word.IsRunning());
        EXPECT_TRUE(word.Visible());
        if (earlier) {
            EXPECT_FALSE(*earlier == word);
            EXPECT_FALSE(earlier->IsRunning()); // the close-all ended it first
        }
        earlier = word;
        EXPECT_EQ(word.Documents().Count(), 1);
        auto doc = word.ActiveDocument();
        EXPECT_EQ(doc.FullName(), merged);
        EXPECT_TRUE(doc.Saved());
        EXPECT_EQ(doc.ProtectionType(), wordauto::wdAllowOnlyFormFields);
        const auto windows = wordauto::window::documentWindows();
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_TRUE(windows[0]->isVisible());
        // The window looks at its document a few times a second.
        EXPECT_TRUE(eventsUntil([&] { return windows[0]->windowTitle().startsWith("_Fascicolo.doc"); }));
        // A document that changed a moment ago is laid out again once it has been still a while.
        const long pages = doc.BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value();
        EXPECT_TRUE(eventsUntil([&] { return long{windows[0]->view()->pageCount()} == pages; }))
            << windows[0]->view()->pageCount() << " pages shown of " << pages;
        EXPECT_FALSE(window->engine().lDocsOpen);
    }
}

TEST_F(MergeWindowTest, TheClosingBoxShowsOverTheMainWindowWhileTheProgressWindowIsUp)
{
    // The real box this time, answered by the user's click as soon as it is up.
    vendrik::MessageBoxLog::setScripted(false);
    QString shownText;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    QWidget* shownOver = nullptr;
    bool progressUp = false;
    everyPass([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !shownText.isEmpty())
            return;
        shownText = box->text();
        shownIcon = box->icon();
        shownOver = box->parentWidget();
        progressUp = mergeProgress() != nullptr;
        box->button(QMessageBox::Ok)->click();
    });
    window->menu()->action(kGenera)->trigger();
    EXPECT_EQ(shownText, "Operazione completata!");
    EXPECT_EQ(shownIcon, QMessageBox::Information);
    EXPECT_EQ(shownOver, window.get());
    EXPECT_TRUE(progressUp);
    EXPECT_TRUE(window->findChildren<app::DWWAIT*>().empty());
}

TEST_F(MergeWindowTest, ThePrintRunNumbersThePagesOnAndLeavesEveryFileAsItWas)
{
    const auto before = filesUnder(root);
    whenThePickerShows({"1.01.01", "1.01.02", "1.02.01"}, "PBOK");
    window->runMethod("FNZLISTPRN");
    EXPECT_EQ(pickerMode, "PRN");

    // The three lists and the separators of their two sections, in order.
    const std::string D = dossier + "/";
    ASSERT_EQ(state.aListPick, (std::vector<std::string>{root + "/WRD/1.01.00.DOC", D + "1.01.01.DOC",
                                                         D + "1.01.02.DOC", root + "/WRD/1.02.00.DOC",
                                                         D + "1.02.01.DOC"}));
    EXPECT_EQ(printed().size(), state.aListPick.size());
    std::vector<int> numbers;
    std::vector<int> expected;
    std::size_t multiPage = 0;
    for (const auto& document : state.aListPick) {
        const fs::path pdf = fs::path(prints) / (fs::path(document).stem().string() + ".pdf");
        SCOPED_TRACE(pdf.string());
        ASSERT_TRUE(fs::exists(pdf));
        const auto footers = footerNumbers(pdf);
        ASSERT_FALSE(footers.empty());
        multiPage += footers.size() > 1;
        for (int number : footers) {
            numbers.push_back(number);
            expected.push_back(static_cast<int>(expected.size()) + 1);
        }
    }
    EXPECT_EQ(numbers, expected);
    EXPECT_GT(multiPage, 0u); // a document of more than one page carries its count on

    EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
    EXPECT_FALSE(window->engine().oWord);
    EXPECT_TRUE(wordauto::window::documentWindows().empty());
    EXPECT_EQ(filesUnder(root), before);
    EXPECT_TRUE(vendrik::MessageBoxLog::shown().empty());
    EXPECT_FALSE(window->commandRunning());
}

TEST_F(MergeWindowTest, ThePrintRunCancelledOrWithNothingTickedPrintsNothingAndStartsNoWord)
{
    struct Case {
        const char* name;
        std::vector<std::string> tick;
        const char* button;
    } const cases[] = {{"Annulla", {"1.01.01", "1.02.01"}, "PBANNULLA"}, {"nothing ticked", {}, "PBOK"}};
    const auto before = filesUnder(root);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The list index load's hidden Word: the run's close-all ends it first.
        window->engine().obtainWord();
        pickerMode.clear();
        whenThePickerShows(c.tick, c.button);
        window->runMethod("FNZLISTPRN");
        EXPECT_EQ(pickerMode, "PRN");
        EXPECT_TRUE(printed().empty());
        EXPECT_FALSE(window->engine().oWord);
        EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
        EXPECT_TRUE(vendrik::MessageBoxLog::shown().empty());
        EXPECT_EQ(filesUnder(root), before);
    }
}

TEST_F(MergeWindowTest, ACancelledCollectMergesNothingAndKeepsTheEarlierDossierDocument)
{
    // A complete merged document of an earlier run.
    window->menu()->action(kGenera)->trigger();
    const std::string merged = dossier + "/_Fascicolo.doc";
    ASSERT_TRUE(fs::exists(merged));
    const std::string earlier = readFile(merged);
    const auto before = filesUnder(root);

    struct Case {
        const char* name;
        bool byClosingTheWindow; // the close presses "Annulla" of every progress window
    } const cases[] = {{"Annulla", false}, {"main window closed", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vendrik::MessageBoxLog::clear();
        bool cancelled = false;
        bool mergeProgressSeen = false;
        const std::unique_ptr<QTimer> probe(everyPass([&] {
            mergeProgressSeen = mergeProgressSeen || mergeProgress();
            app::DWWAIT* progress = collectProgress();
            // Two lists collected, the dossier has more.
            if (cancelled || !progress || !progress->text().contains(QStringLiteral("1.01.02")))
                return;
            cancelled = true;
            if (c.byClosingTheWindow)
                EXPECT_FALSE(window->close()); // closes once the command ended
            else
                progress->findChild<QPushButton*>(QStringLiteral("PBANNULLA"))->click();
        }));
        window->menu()->action(kGenera)->trigger();

        ASSERT_TRUE(cancelled);
        EXPECT_FALSE(mergeProgressSeen);
        std::vector<QString> texts;
        for (const auto& b : vendrik::MessageBoxLog::shown())
            texts.push_back(b.text);
        EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("Stampa interrotta"),
                                               QStringLiteral("Operazione interrotta!")}));
        const auto& last = vendrik::MessageBoxLog::shown().back();
        EXPECT_EQ(last.type, 0x10u);
        EXPECT_EQ(last.owner, window.get());
        // Nothing built: no Word, no document, every file as it was.
        EXPECT_FALSE(window->engine().oWord);
        EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
        EXPECT_TRUE(wordauto::window::documentWindows().empty());
        EXPECT_EQ(readFile(merged), earlier);
        EXPECT_EQ(filesUnder(root), before);
        EXPECT_EQ(window->isVisible(), !c.byClosingTheWindow);
        EXPECT_FALSE(window->commandRunning());
    }
}

TEST_F(MergeWindowTest, ThePrintRunAfterACancelledCollectPrintsNothing)
{
    const auto before = filesUnder(root);
    bool cancelled = false;
    everyPass([&] {
        // Once the first list is collected.
        app::DWWAIT* progress = collectProgress();
        if (progress && !cancelled && progress->text().contains(QStringLiteral("1.01.01"))) {
            cancelled = true;
            progress->findChild<QPushButton*>(QStringLiteral("PBANNULLA"))->click();
        }
    });
    whenThePickerShows({"1.01.01", "1.01.02", "1.02.01"}, "PBOK");
    window->runMethod("FNZLISTPRN");
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(pickerMode, "PRN");
    EXPECT_FALSE(state.aListPick.empty()); // what was collected before the cancel
    EXPECT_TRUE(printed().empty());
    EXPECT_FALSE(window->engine().oWord);
    EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
    ASSERT_EQ(vendrik::MessageBoxLog::shown().size(), 1u);
    EXPECT_EQ(vendrik::MessageBoxLog::shown()[0].text, "Stampa interrotta");
    EXPECT_EQ(filesUnder(root), before);
}

TEST_F(MergeWindowTest, QuittingWithAnInterruptedMergeAsksWhereToSaveItAndNoAlwaysCloses)
{
    const std::string proposed = dossier + "/_Fascicolo.doc";
    struct Case {
        const char* name;
        int answer;         // to "Salvare le modifiche...?"
        const char* chosen; // the file chosen then, below the test's folder; "" is Annulla
        bool closes;
        bool failureShown;
    } const cases[] = {
        {"Sì, saved where proposed", vendrik::answer::Yes, "=", true, false},
        {"Sì, Annulla in the file choice", vendrik::answer::Yes, "", false, false},
        {"Sì, into a folder that does not exist", vendrik::answer::Yes, "manca/fascicolo.doc", false, true},
        {"No", vendrik::answer::No, nullptr, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(proposed);
        if (!window->isVisible()) {
            window = std::make_unique<app::DWMAIN>(state);
            window->show();
            window->MTDINIT();
        }
        // The merge's own "Annulla" at its second document: the document stays open, unsaved.
        const std::unique_ptr<QTimer> probe(everyPass([this] {
            if (app::DWWAIT* progress = mergeProgress(); progress && progress->text().contains("[2/"))
                progress->findChild<QPushButton*>(QStringLiteral("PBANNULLA"))->click();
        }));
        window->menu()->action(kGenera)->trigger();
        ASSERT_TRUE(window->engine().oWord && window->engine().oWord->IsRunning());
        ASSERT_EQ(window->engine().oWord->ActiveDocument().FullName(), "Documento1");
        ASSERT_FALSE(fs::exists(proposed));

        vendrik::MessageBoxLog::clear();
        vendrik::MessageBoxLog::queueAnswer(c.answer);
        std::string chosen; // "=" stands for the proposed file
        if (c.chosen && std::string(c.chosen) == "=")
            chosen = proposed;
        else if (c.chosen && *c.chosen)
            chosen = path(c.chosen);
        if (c.chosen)
            framework::SaveChooserScript::queueAnswer(QString::fromStdString(chosen));
        EXPECT_EQ(window->close(), c.closes);
        EXPECT_EQ(framework::SaveChooserScript::pending(), 0);
        if (c.chosen) {
            EXPECT_EQ(framework::SaveChooserScript::lastProposed().toStdString(), proposed);
        }
        const auto& boxes = vendrik::MessageBoxLog::shown();
        ASSERT_EQ(boxes.size(), c.failureShown ? 2u : 1u);
        EXPECT_TRUE(boxes[0].text.startsWith("Salvare le modifiche apportate a Documento1"));
        if (c.failureShown) {
            // The cause, as the save found it, with the file it was for.
            EXPECT_EQ(boxes[1].caption, "Quarvello");
            EXPECT_TRUE(boxes[1].text.contains(QString::fromStdString(chosen))) << boxes[1].text.toStdString();
        }
        EXPECT_EQ(window->isVisible(), !c.closes);
        EXPECT_EQ(fs::exists(proposed), c.closes && c.answer == vendrik::answer::Yes);
        if (!c.closes) {
            // Everything still open; and "No" closes the program whatever happened before.
            EXPECT_TRUE(window->engine().oWord->IsRunning());
            EXPECT_EQ(window->engine().oWord->Documents().Count(), 1);
            vendrik::MessageBoxLog::queueAnswer(vendrik::answer::No);
            EXPECT_TRUE(window->close());
            EXPECT_FALSE(fs::exists(proposed));
        }
        EXPECT_FALSE(wordauto::DOC_Application::WindowExists());
    }
}

// Not part of the suite: the progress window during the merge, the closing box over the main
// window, the merged document's window, and pages of its print near the boundary of two lists.
TEST_F(MergeWindowTest, DISABLED_Screenshots)
{
    const QString dir = qEnvironmentVariable("QUARVELLO_SHOT_DIR", QStringLiteral("."));
    const auto settle = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    settle(500);
    // The third document is a separator, the fourth a list of the dossier with its longer path.
    std::set<QString> taken;
    everyPass([&] {
        app::DWWAIT* progress = mergeProgress();
        if (!progress)
            return;
        for (const QString& at : {QStringLiteral("[3/"), QStringLiteral("[4/")})
            if (progress->text().contains(at) && taken.insert(at).second) {
                const QString name = dir + "/a_progress_" + at.mid(1, 1);
                progress->grab().save(name + ".png");
                window->screen()->grabWindow(0).save(name + "_screen.png");
            }
    });
    // The closing box for real this time, taken and then answered.
    vendrik::MessageBoxLog::setScripted(false);
    QTimer boxWatch;
    boxWatch.setInterval(300);
    QObject::connect(&boxWatch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        window->screen()->grabWindow(0).save(dir + "/b_box_screen.png");
        box->grab().save(dir + "/b_box.png");
        box->accept();
    });
    boxWatch.start();
    window->menu()->action(kGenera)->trigger();
    boxWatch.stop();
    vendrik::MessageBoxLog::setScripted(true);
    EXPECT_EQ(taken.size(), 2u);

    const auto windows = wordauto::window::documentWindows();
    ASSERT_EQ(windows.size(), 1u);
    windows[0]->raise();
    settle(1000);
    windows[0]->view()->setZoomPercent(50); // the first pages whole, their footers in sight
    settle(300);
    windows[0]->grab().save(dir + "/c_merged_window.png");
    window->screen()->grabWindow(0).save(dir + "/c_merged_screen.png");

    window->engine().oWord->PrintOut(false);
    EXPECT_TRUE(fs::exists(fs::path(prints) / "_Fascicolo.pdf"));
    std::printf("merged PDF: %s/_Fascicolo.pdf\n", prints.c_str());
    for (const auto& p : state.aListPick) {
        wordauto::DOC_Application reader;
        auto doc = reader.Documents().Open(p, false, true);
        std::printf("%s: %d pages\n", p.c_str(),
                    static_cast<int>(doc.BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value()));
        reader.Quit(wordauto::wdDoNotSaveChanges);
    }
    fs::copy_file(fs::path(prints) / "_Fascicolo.pdf", fs::path(dir.toStdString()) / "_Fascicolo.pdf",
                  fs::copy_options::overwrite_existing);
}

// Not part of the suite: the "Salva con nome" dialog that "Sì" opens on quitting with an
// interrupted merge, taken and then cancelled.
TEST_F(MergeWindowTest, DISABLED_SaveAsScreenshot)
{
    const QString dir = qEnvironmentVariable("QUARVELLO_SHOT_DIR", QStringLiteral("."));
    fs::remove(dossier + "/_Fascicolo.doc");
    everyPass([this] {
        if (app::DWWAIT* progress = mergeProgress(); progress && progress->text().contains("[2/"))
            progress->findChild<QPushButton*>(QStringLiteral("PBANNULLA"))->click();
    });
    window->menu()->action(kGenera)->trigger();
    vendrik::MessageBoxLog::setScripted(false);
    vendrik::MessageBoxLog::queueAnswer(vendrik::answer::Yes);
    bool taken = false;
    QTimer watch;
    watch.setInterval(1500);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || taken)
            return;
        taken = true;
        window->screen()->grabWindow(0).save(dir + "/d_save_as_screen.png");
        dialog->grab().save(dir + "/d_save_as.png");
        dialog->reject();
    });
    watch.start();
    EXPECT_FALSE(window->close());
    watch.stop();
    EXPECT_TRUE(taken);
    vendrik::MessageBoxLog::setScripted(true);
    vendrik::MessageBoxLog::queueAnswer(vendrik::answer::No);
    EXPECT_TRUE(window->close());
}

} // namespace
