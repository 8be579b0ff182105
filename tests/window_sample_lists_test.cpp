// The sample catalogue's lists, one of each kind, in the document window: every form field
// has its place on a page, Tab visits them all in document order, Stampa prints the edits.
//
// Screenshots (not run by ctest): under Xvfb,
//   QUARVELLO_SHOT_DIR=/some/folder xvfb-run -a -s "-screen 0 1280x1024x24"
//       tests/window_sample_lists_test --gtest_also_run_disabled_tests --gtest_filter='*Screenshots*'
#include "data/generator/lists.h"
#include "data/generator/sample_root.h"
#include "runtime/msgbox.h"
#include "tests/test_support.h"
#include "wordauto/window/document_window.h"
#include "wordauto/window/page_view.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <optional>
#include <set>

using namespace testsupport;
using wordauto::DOC_Application;
using wordauto::window::DocumentWindow;
using wordauto::window::PageView;

namespace {

// The first list of each kind.
std::vector<sample::ListDef> oneOfEachKind()
{
    std::vector<sample::ListDef> out;
    std::set<std::string> kinds;
    for (const auto& l : sample::allLists())
        if (kinds.insert(sample::kindName(l)).second)
            out.push_back(l);
    return out;
}

class SampleListWindowTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        vendrik::MessageBoxLog::reset();
        vendrik::MessageBoxLog::setScripted(true);
        sample::writeSampleRoot(path("root"));
    }
    void TearDown() override
    {
        if (word && word->IsRunning())
            word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DOC_Application::SetPrintDestination("");
        vendrik::MessageBoxLog::reset();
        TempDirTest::TearDown();
    }
    DocumentWindow* open(const sample::ListDef& list)
    {
        word.emplace();
        word->Documents().Open(path("root") + "/LDC/" + list.number + ".DOC");
        word->Visible(true);
        const auto windows = wordauto::window::documentWindows();
        return windows.size() == 1 ? windows.front() : nullptr;
    }
    std::optional<DOC_Application> word;
};

TEST_F(SampleListWindowTest, EveryFieldOfEachKindHasItsPlaceAndTabVisitsThemInOrder)
{
    const auto lists = oneOfEachKind();
    ASSERT_EQ(lists.size(), 6u);
    for (const auto& list : lists) {
        SCOPED_TRACE(sample::kindName(list) + " " + list.number);
        DocumentWindow* w = open(list);
        ASSERT_NE(w, nullptr);
        PageView* view = w->view();
        const int n = word->ActiveDocument().FormFields().Count();
        ASSERT_GT(n, 0);
        ASSERT_EQ(view->fieldCount(), n);
        for (int f = 0; f < n; ++f) {
            view->setCurrentField(f);
            const QRect r = view->fieldRect(f);
            ASSERT_FALSE(r.isNull()) << f;
            EXPECT_TRUE(view->viewport()->rect().intersects(r)) << "the view follows field " << f;
        }
        view->setCurrentField(0);
        for (int f = 1; f <= n; ++f) {
            QWidget* target = view->editor()->isVisible() ? static_cast<QWidget*>(view->editor()) : view;
            QTest::keyClick(target, Qt::Key_Tab);
            ASSERT_EQ(view->currentField(), f % n);
        }
        word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(SampleListWindowTest, StampaPrintsWhatWasTypedToThePrintDestination)
{
    const auto list = sample::a1Lists().front();
    DocumentWindow* w = open(list);
    ASSERT_NE(w, nullptr);
    w->view()->setCurrentField(0);
    QTest::keyClicks(w->view()->editor(), "Impresa Rossi");
    const std::string out = path("stampe");
    std::filesystem::create_directories(out);
    DOC_Application::SetPrintDestination(out);
    w->printAction()->trigger();
    const auto pdf = std::filesystem::path(out) / (list.number + ".pdf");
    ASSERT_TRUE(std::filesystem::exists(pdf));
    const std::string command = "pdftotext '" + pdf.string() + "' - 2>/dev/null | grep -q 'Impresa Rossi'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(vendrik::MessageBoxLog::shown().empty());
}

TEST_F(SampleListWindowTest, DISABLED_Screenshots)
{
    const QString dir = qEnvironmentVariable("QUARVELLO_SHOT_DIR", QStringLiteral("."));
    const auto settle = [] {
        QEventLoop loop;
        QTimer::singleShot(400, &loop, &QEventLoop::quit);
        loop.exec();
    };
    for (const auto& list : oneOfEachKind()) {
        DocumentWindow* w = open(list);
        ASSERT_NE(w, nullptr);
        w->resize(1000, 980);
        settle();
        PageView* view = w->view();
        // A text field in edit where the kind has one, else the first box ticked.
        int text = -1;
        auto fields = word->ActiveDocument().FormFields();
        for (int i = 1; i <= fields.Count() && text < 0; ++i)
            if (fields.Item(i).Name().find('f') != std::string::npos)
                text = i - 1;
        if (text >= 0) {
            view->setCurrentField(text);
            QTest::keyClicks(view->editor(), "Verificato in cantiere");
        }
        // The first boxes ticked, by Space.
        for (int i = 0; i < std::min(3, fields.Count()); ++i) {
            view->setCurrentField(i);
            if (!view->editor()->isVisible())
                QTest::keyClick(view, Qt::Key_Space);
        }
        if (text >= 0) {
            view->setCurrentField(text);
            QTest::keyClick(view->editor(), Qt::Key_End);
        }
        settle();
        const QString name = QString::fromStdString(sample::kindName(list) + "_" + list.number);
        w->grab().save(dir + "/window_" + name + ".png");
        view->setFit(PageView::Fit::WholePage);
        settle();
        w->grab().save(dir + "/window_" + name + "_whole.png");
        word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
