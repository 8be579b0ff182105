// Every window the program opens, on a laptop's screen of 1366 x 768: each lies inside the
// screen's available area, frame included, and the document window takes that area.
//
// Pictures (not run by ctest): under Xvfb,
//   QUARVELLO_SHOT_DIR=/some/folder xvfb-run -a -s "-screen 0 1366x768x24" env QT_QPA_PLATFORM=xcb
//       tests/window_small_screen_test --gtest_also_run_disabled_tests --gtest_filter='*Pictures*'
#include "app/dwabout.h"
#include "app/dwlist.h"
#include "app/dwwait.h"
#include "framework/help_window.h"
#include "reportform/gwlim1.h"
#include "reportform/gwrprt.h"
#include "runtime/screen_fit.h"
#include "tests/sample_window_fixture.h"
#include "wordauto/window/document_window.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <optional>

using namespace testsupport;
using wordauto::DOC_Application;
using wordauto::window::DocumentWindow;

namespace {

const QRect kLaptop(0, 0, 1366, 768);

QRect area() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// Shown and settled, the window's frame inside the available area of its screen.
void expectInside(QWidget& w, const char* what)
{
    w.show();
    QApplication::processEvents();
    const QRect frame = w.frameGeometry();
    const QRect avail = w.screen()->availableGeometry();
    EXPECT_TRUE(avail.contains(frame)) << what << ": " << frame.x() << "," << frame.y() << " " << frame.width()
                                       << "x" << frame.height();
}

class SmallScreenTest : public SampleRootWindowTest {
protected:
    void SetUp() override
    {
        SampleRootWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            ASSERT_EQ(area(), kLaptop);
        }
        QFile::copy(QStringLiteral(QUARVELLO_HELP_FILE), QDir::current().filePath(QStringLiteral("ORMK.CHM")));
        window->MTDINIT(); // now with its help file
        vendrik::MessageBoxLog::clear();
    }
    void TearDown() override
    {
        if (word && word->IsRunning())
            word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SampleRootWindowTest::TearDown();
    }
    DocumentWindow* openList(const std::string& number)
    {
        word.emplace();
        word->Documents().Open(root + "/LDC/" + number + ".DOC");
        word->Visible(true);
        const auto windows = wordauto::window::documentWindows();
        return windows.size() == 1 ? windows.front() : nullptr;
    }
    std::optional<DOC_Application> word;
};

} // namespace

TEST_F(SmallScreenTest, TheDocumentWindowTakesTheAvailableAreaWithItsPageCountInSight)
{
    DocumentWindow* w = openList("5.06.02");
    ASSERT_NE(w, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(w->isMaximized());
    expectInside(*w, "document window");
    // The whole area, less the frame.
    const QRect frame = w->frameGeometry();
    const QMargins framing(w->geometry().left() - frame.left(), w->geometry().top() - frame.top(),
                           frame.right() - w->geometry().right(), frame.bottom() - w->geometry().bottom());
    EXPECT_EQ(w->geometry(), area().marginsRemoved(framing));
    // "Pagina X di Y" is on the screen, at the foot of the window.
    auto* status = w->statusBar();
    ASSERT_TRUE(status->isVisible());
    const auto labels = status->findChildren<QLabel*>();
    const auto page = std::find_if(labels.begin(), labels.end(),
                                   [](QLabel* l) { return l->text().startsWith(QStringLiteral("Pagina 1 di ")); });
    ASSERT_NE(page, labels.end());
    EXPECT_TRUE(area().contains(QRect((*page)->mapToGlobal(QPoint(0, 0)), (*page)->size())));

    // Made normal, it still fills the area (its size as it opened, not one larger than the screen).
    w->showNormal();
    QApplication::processEvents();
    expectInside(*w, "document window, normal");
    EXPECT_GE(w->frameGeometry().height(), area().height() - 8);
}

TEST_F(SmallScreenTest, EveryDialogOpensInsideTheScreenWhereverTheMainWindowStands)
{
    expectInside(*window, "main window");
    // The main window near each corner: the dialogs placed by it stay on the screen.
    const QRect a = area();
    const QPoint corners[] = {a.topLeft(), QPoint(a.right() - 120, a.bottom() - 90), QPoint(a.right() - 120, a.top()),
                              QPoint(a.left(), a.bottom() - 90)};
    for (const QPoint& corner : corners) {
        SCOPED_TRACE(std::to_string(corner.x()) + "," + std::to_string(corner.y()));
        window->move(corner);
        QApplication::processEvents();
        for (const char* mode : {"ADD", "DEL", "PRN"}) {
            app::DWLIST picker(window.get(), QString::fromLatin1(mode), state);
            expectInside(picker, mode);
        }
        app::DWABOUT about(window.get(), QStringLiteral("Quarvello"), QStringLiteral("1.0"), QString(), QString());
        expectInside(about, "about");
        app::DWWAIT wait(window.get(), QStringLiteral("Attendere"), QStringLiteral("Elaborazione in corso"));
        expectInside(wait, "wait");
        vendrik::GWrprt form(window.get(), QStringLiteral(SAMPLE_REPORTS_DIR "/"));
        expectInside(form, "report form");
        vendrik::_GWlim1 limits(window.get());
        expectInside(limits, "limits");
        window->showHelpTopic(QStringLiteral("HelpContents"));
        ASSERT_TRUE(window->helpDisplay());
        expectInside(*window->helpDisplay(), "help");
        window->helpDisplay()->close();
    }
    EXPECT_TRUE(vendrik::MessageBoxLog::shown().empty());
}

TEST_F(SmallScreenTest, AWindowIsMovedInAndMadeSmallerOnlyAsFarAsTheScreenNeeds)
{
    const QRect a = area();
    const struct {
        const char* what;
        QPoint at;
        QSize size;
        QSize minimum;
        bool fixed;
        bool keepsPlace;
        bool keepsSize;
    } cases[] = {
        {"inside", {100, 100}, {400, 300}, {}, false, true, true},
        {"past the bottom right", {a.right() - 100, a.bottom() - 50}, {400, 300}, {}, false, false, true},
        {"above and left of the screen", {-300, -200}, {400, 300}, {}, false, false, true},
        {"taller than the screen", {0, 0}, {900, 1000}, {}, false, true, false},
        {"its minimum larger than the screen", {200, 100}, {1500, 900}, {1400, 800}, false, false, false},
        {"fixed and wider than the screen", {0, 0}, {1600, 200}, {}, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget w(nullptr, Qt::Window);
        w.setWindowTitle(QString::fromLatin1(c.what));
        if (c.fixed)
            w.setFixedSize(c.size);
        else
            w.resize(c.size);
        if (c.minimum.isValid())
            w.setMinimumSize(c.minimum);
        w.move(c.at);
        vendrik::fitToScreen(&w);
        expectInside(w, c.what);
        if (c.keepsPlace) {
            EXPECT_EQ(w.frameGeometry().topLeft(), c.at);
        }
        if (c.keepsSize) {
            EXPECT_EQ(w.size(), c.size);
        } else {
            EXPECT_TRUE(w.width() < c.size.width() || w.height() < c.size.height());
        }
    }

    // Centred: the frame's middle is the area's.
    QWidget w(nullptr, Qt::Window);
    w.resize(500, 2000);
    vendrik::centreOnScreen(&w);
    expectInside(w, "centred");
    EXPECT_LE((w.frameGeometry().center() - a.center()).manhattanLength(), 2);
}

// Pictures to look at: the document window with a sample list, and the help asked for from the
// picker with an entry of its contents clicked, the picker still open.
TEST_F(SmallScreenTest, DISABLED_Pictures)
{
    const QString dir = qEnvironmentVariable("QUARVELLO_SHOT_DIR", QStringLiteral("."));
    const auto settle = [] {
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
    };
    const auto shoot = [&](const char* name) {
        settle();
        const QString file = dir + "/" + name + ".png";
        std::system(("import -window root '" + file.toStdString() + "'").c_str());
    };
    window->move(area().topLeft());
    window->raise();
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!picker)
            return;
        picker->findChild<QPushButton*>(QStringLiteral("PBHELP"))->click();
        framework::HelpWindow* help = window->helpDisplay();
        // Moved aside, as a user would, so that the picker shows beside it.
        help->move(area().bottomRight() - help->frameGeometry().bottomRight() + help->frameGeometry().topLeft());
        settle();
        QTreeWidget* tree = help->contentsTree();
        const auto entry = tree->findItems(QStringLiteral("Finestra Principale"), Qt::MatchExactly | Qt::MatchRecursive);
        if (!entry.isEmpty())
            QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {},
                              tree->viewport()->mapTo(help, tree->visualItemRect(entry[0]).center()));
        shoot("help_from_picker");
        picker->reject();
    });
    window->listPicker("ADD");
    window->helpDisplay()->close();

    for (const char* number : {"5.06.02", "1.01.01"}) {
        DocumentWindow* w = openList(number);
        ASSERT_NE(w, nullptr);
        shoot((std::string("document_window_") + number).c_str());
        word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A laptop's screen off screen; under a display, that display's own screen.
int main(int argc, char** argv)
{
    QTemporaryDir configDir;
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen") {
        const QString config = configDir.filePath(QStringLiteral("screen.json"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768,)"
                   R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
