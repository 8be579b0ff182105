// The main window: its controls as designed, the date box, following a resize, and releasing
// the program's Word when it closes.
#include "runtime/dialog_units.h"
#include "app/dwmain.h"
#include "app/dwwait.h"
#include "data/docbuilder/docbuilder.h"
#include "framework/error_handler.h"
#include "tests/test_support.h"
#include "runtime/dates.h"
#include "framework/msgbox.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

template <typename W>
W* child(QWidget* window, const char* name)
{
    auto* w = window->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

class MainWindowTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (window.engine().oWord && window.engine().oWord->IsRunning())
            window.engine().oWord->Quit(0);
    }
    engine::ProgramState state;
    app::DWMAIN window{state};
};

TEST_F(MainWindowTest, ControlsCarryTheirNamesCaptionsAndLimits)
{
    struct Button {
        const char* name;
        const char* text;
        const char* tip;
    } const buttons[] = {
        {"PBDIR0", "...", "Seleziona cartella"},
        {"PBDIR1", "...", "Seleziona cartella"},
        {"PBEXPAND", "+", "Espande l'indice delle liste"},
        {"PBCOLLAPSE", "-", "Contrae l'indice delle liste"},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.name);
        auto* w = child<QPushButton>(&window, b.name);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->text(), b.text);
        EXPECT_EQ(w->toolTip(), b.tip);
    }
    // The folder boxes hold whole Linux paths, however long.
    const std::pair<const char*, int> edits[] = {{"SLEDIR0", 32767}, {"SLEDIR1", 32767}, {"SLE1", 60},
                                                 {"SLE2", 60},     {"SLE3", 60},     {"SLE5", 60}};
    for (const auto& [name, limit] : edits) {
        SCOPED_TRACE(name);
        auto* w = child<QLineEdit>(&window, name);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->maxLength(), limit);
        EXPECT_EQ(w->isReadOnly(), std::string(name).rfind("SLEDIR", 0) == 0);
    }
    const std::pair<const char*, const char*> checks[] = {
        {"CB1", "Visualizza Note"}, {"CB2", "Visualizza Stato Liste"}, {"CB3", "Visualizza Dettaglio Liste"}};
    for (const auto& [name, text] : checks)
        EXPECT_EQ(child<QCheckBox>(&window, name)->text(), text);
    EXPECT_EQ(child<QGroupBox>(&window, "GB3")->title(), "Note");
    EXPECT_TRUE(child<QPlainTextEdit>(&window, "MLE1")->isReadOnly());
    EXPECT_TRUE(child<app::XTV1>(&window, "TV1"));
    QStringList labels;
    for (auto* l : window.findChildren<QLabel*>())
        labels << l->text();
    for (const char* l : {"Impresa", "Cantiere", "Lavori", "Verifica del", "Effettuata da"})
        EXPECT_TRUE(labels.contains(l)) << l;
    EXPECT_EQ(window.windowTitle(), "Quarvello");
    EXPECT_TRUE(window.statusBar()->isVisible() || !window.isVisible());
}

TEST_F(MainWindowTest, TheLayoutKeepsItsDesignedProportions)
{
    const QFont font = vendrik::dialogFont();
    const QRect tree = vendrik::dialogUnitsToPixels(font, 282, 29, 214, 214);
    EXPECT_EQ(window.TV1->geometry(), tree);
    EXPECT_EQ(window.SLE4->geometry(), vendrik::dialogUnitsToPixels(font, 42, 123, 43, 12));
    EXPECT_EQ(window.centralWidget()->minimumSize(), vendrik::dialogUnitsToPixels(font, 0, 0, 498, 245).size());
}

TEST_F(MainWindowTest, TheDateBoxShowsDayMonthYearAndReadsTwoDigitYearsInThisCentury)
{
    window.setHeaderText(4, "5.3.05");
    EXPECT_EQ(window.SLE4->text(), "05.03.2005");
    window.SLE4->setText("31/12/09");
    emit window.SLE4->editingFinished();
    EXPECT_EQ(window.SLE4->text(), "31.12.2009");
    window.setHeaderText(4, "non è una data");
    EXPECT_EQ(window.SLE4->text(), "");
}

TEST_F(MainWindowTest, TheNotesGroupAndTheTreeFollowAResize)
{
    window.show();
    const QRect tree = window.TV1->geometry();
    const QRect notes = window.MLE1->geometry();
    const QRect company = window.SLE1->geometry();
    window.resize(window.width() + 100, window.height() + 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.TV1->width(), tree.width() + 100);
    EXPECT_EQ(window.TV1->height(), tree.height() + 60);
    EXPECT_EQ(window.MLE1->width(), notes.width());
    EXPECT_EQ(window.MLE1->height(), notes.height() + 60);
    EXPECT_EQ(window.SLE1->geometry(), company);
}

TEST_F(MainWindowTest, ClosingQuitsTheHeldWordWithoutAsking)
{
    vendrik::MessageBoxLog::reset();
    vendrik::MessageBoxLog::setScripted(true);
    window.show();
    window.engine().obtainWord();
    wordauto::DOC_Application held = *window.engine().oWord;
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(held.IsRunning());
    EXPECT_FALSE(window.engine().oWord);
    EXPECT_TRUE(vendrik::MessageBoxLog::shown().empty());
    vendrik::MessageBoxLog::reset();
}

TEST_F(MainWindowTest, WithNoWordHeldClosingSendsNothing)
{
    wordauto::DOC_Application users;
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(users.IsRunning());
    users.Quit();
}

class FailingCommandTest : public testsupport::TempDirTest {};

TEST_F(FailingCommandTest, AFailureLeavesNoProgressWindowBehind)
{
    // An index document without a table: the load fails inside Word, after its progress window
    // was shown.
    docbuilder::Document d;
    d.body = {docbuilder::Paragraph("Indice senza tabella")};
    docbuilder::write(d, path("_Indice_Liste.doc"));
    engine::ProgramState state;
    state.cRootDir = dir_.string();
    app::DWMAIN window{state};
    window.show();
    vendrik::MessageBoxLog::reset();
    vendrik::MessageBoxLog::setScripted(true);
    const QString log = QString::fromStdString(path("quarvello.err"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir_.string()));
    EXPECT_FALSE(framework::runGuarded("MTDLOAD1", [&] { window.engine().MTDLOAD1(); }));
    QDir::setCurrent(previous);
    EXPECT_TRUE(window.findChildren<app::DWWAIT*>().isEmpty());
    ASSERT_EQ(vendrik::MessageBoxLog::shown().size(), 1u);
    EXPECT_TRUE(vendrik::MessageBoxLog::shown()[0].text.contains("_Indice_Liste.doc"));
    EXPECT_TRUE(QFile::exists(log));
    vendrik::MessageBoxLog::reset();
    window.engine().oWord->Quit(0);
}

} // namespace
