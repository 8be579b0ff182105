// The document window: a list filled in place (boxes, text fields, drop-downs), its edits read
// through the object model before any save, saved, reopened and read by the engine; closing
// with changes; the instance rule of the last window.
#include "data/docbuilder/docbuilder.h"
#include "engine/engine.h"
#include "runtime/msgbox.h"
#include "tests/recording_frame.h"
#include "tests/test_support.h"
#include "wordauto/opc/package.h"
#include "wordauto/window/document_window.h"
#include "wordauto/window/page_view.h"
#include "wordauto/word.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>

#include <optional>
#include <string>
#include <vector>

using namespace testsupport;
namespace db = docbuilder;
using wordauto::DOC_Application;
using wordauto::SaveAnswer;
using wordauto::window::DocumentWindow;
using wordauto::window::PageView;

namespace {

const std::string kList = "1.02.03";

// A list of kind B1: table 1 of numbered items with a box each, table 2 of remarks with a box
// and a description field.
db::Document listB1()
{
    db::Document d;
    d.protectForms = true;
    d.title = "Lista " + kList;
    d.body = {db::Paragraph("Lista " + kList),
              db::table({db::row({"1.001", "Recinzione del cantiere",
                                  db::para({db::CheckBox{"t1c001", true, "Voce 1.001: recinzione"}})}),
                         db::row({"1.002", "Cartello di cantiere",
                                  db::para({db::CheckBox{"t1c002", false, "Voce 1.002: cartello",
                                                         "Il cartello riporta i dati dell'opera"}})})}),
              db::Paragraph("Rilievi"),
              db::table({db::row({"2.003", db::para({db::CheckBox{"t2c003", false, "Rilievo 2.003"}}),
                                  db::para({db::TextField{"t2f003", "", "Descrizione del rilievo 2.003",
                                                          "Descrivere il rilievo", "", 20}})})})};
    return d;
}

class WindowTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        vendrik::MessageBoxLog::reset();
        vendrik::MessageBoxLog::setScripted(true);
        DOC_Application::SetSavePrompt([this](const std::string& name) {
            prompted.push_back(name);
            return answer;
        });
        file = path("lista.docx");
        db::write(listB1(), file);
    }
    void TearDown() override
    {
        if (word && word->IsRunning())
            word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DOC_Application::SetSavePrompt({});
        vendrik::MessageBoxLog::reset();
        TempDirTest::TearDown();
    }

    // The list open for editing in a visible instance, and its window.
    DocumentWindow* openInWindow()
    {
        word.emplace();
        word->Documents().Open(file);
        word->Visible(true);
        const auto windows = wordauto::window::documentWindows();
        EXPECT_EQ(windows.size(), 1u);
        return windows.empty() ? nullptr : windows.front();
    }

    int fieldIndex(const std::string& name)
    {
        auto fields = word->ActiveDocument().FormFields();
        for (int i = 1; i <= fields.Count(); ++i)
            if (fields.Item(i).Name() == name)
                return i - 1;
        return -1;
    }

    void click(PageView* view, int field)
    {
        const QRect r = view->fieldRect(field);
        ASSERT_FALSE(r.isNull());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
    }

    // Ticks t1c002 by click, t2c003 by Tab and Space, types into t2f003 and tabs on.
    void fillIn(DocumentWindow* w)
    {
        PageView* view = w->view();
        click(view, fieldIndex("t1c002"));
        QTest::keyClick(view, Qt::Key_Tab);
        ASSERT_EQ(view->currentField(), fieldIndex("t2c003"));
        QTest::keyClick(view, Qt::Key_Space);
        QTest::keyClick(view, Qt::Key_Tab);
        ASSERT_EQ(view->currentField(), fieldIndex("t2f003"));
        ASSERT_TRUE(view->editor()->isVisible());
        QTest::keyClicks(view->editor(), "Parapetto mancante");
        QTest::keyClick(view->editor(), Qt::Key_Tab);
        EXPECT_EQ(view->currentField(), fieldIndex("t1c001")); // around the end
    }

    std::optional<DOC_Application> word;
    std::string file;
    SaveAnswer answer = SaveAnswer::Cancel;
    std::vector<std::string> prompted;
};

std::map<std::string, std::string> zipEntries(const std::string& path)
{
    auto pkg = wordauto::opc::Package::open(path);
    std::map<std::string, std::string> out;
    for (const auto& name : pkg.partNames())
        out[name] = pkg.part(name);
    return out;
}

TEST_F(WindowTest, FilledListIsReadBeforeSavingAndSavedForTheEngine)
{
    const auto before = zipEntries(file);
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isWindowModified());
    fillIn(w);

    // What was typed is in the document at once, saved or not.
    auto doc = word->ActiveDocument();
    EXPECT_FALSE(doc.Saved());
    EXPECT_TRUE(w->isWindowModified());
    EXPECT_TRUE(doc.FormFields().Item("t1c002").CheckBox().Value());
    EXPECT_TRUE(doc.FormFields().Item("t2c003").CheckBox().Value());
    EXPECT_TRUE(doc.FormFields().Item("t1c001").CheckBox().Value());
    EXPECT_EQ(doc.FormFields().Item("t2f003").Result(), "Parapetto mancante");
    EXPECT_EQ(before, zipEntries(file)); // nothing written before Salva

    w->saveAction()->trigger();
    EXPECT_TRUE(doc.Saved());
    EXPECT_FALSE(w->isWindowModified());

    // Only the main part changed; the field names are those of the list.
    const auto after = zipEntries(file);
    ASSERT_EQ(before.size(), after.size());
    for (const auto& [name, bytes] : before) {
        ASSERT_TRUE(after.count(name)) << name;
        if (name != "word/document.xml") {
            EXPECT_EQ(bytes, after.at(name)) << name;
        }
    }
    word->Quit(wordauto::wdDoNotSaveChanges);
    EXPECT_TRUE(wordauto::window::documentWindows().empty());

    engine::ProgramState state;
    RecordingFrame frame;
    engine::Engine engine{state, frame};
    auto& reader = engine.obtainWord();
    auto saved = reader.Documents().Open(file, false, true);
    std::vector<std::string> names;
    for (int i = 1; i <= saved.FormFields().Count(); ++i)
        names.push_back(saved.FormFields().Item(i).Name());
    EXPECT_EQ(names, (std::vector<std::string>{"t1c001", "t1c002", "t2c003", "t2f003"}));
    EXPECT_TRUE(saved.FormFields().Item("t1c002").CheckBox().Value());
    EXPECT_EQ(saved.FormFields().Item("t2f003").Result(), "Parapetto mancante");
    EXPECT_TRUE(engine.MTD_CHECK("B1", kList));
    engine.MTD_PARSEB1(kList);
    EXPECT_TRUE(frame.boxes.empty());
    ASSERT_EQ(state.aListStatus.size(), 1u);
    EXPECT_EQ(state.aListStatus[0].status, 4); // every item ticked, the remark described
    reader.Quit(wordauto::wdDoNotSaveChanges);
}

TEST_F(WindowTest, TextFieldEditsInPlaceWithinItsLimits)
{
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    PageView* view = w->view();
    const int field = fieldIndex("t2f003");
    click(view, field);
    QLineEdit* editor = view->editor();
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(w->statusText(), "Descrizione del rilievo 2.003");
    QStringList shown;
    for (auto* label : w->statusBar()->findChildren<QLabel*>())
        shown << label->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("Descrizione del rilievo 2.003"))) << shown.join('|').toStdString();

    // w:maxLength is 20.
    QTest::keyClicks(editor, "Ponteggio senza parapetti");
    EXPECT_EQ(word->ActiveDocument().FormFields().Item("t2f003").Result(), "Ponteggio senza para");
    // Undo within the field, then copy and paste.
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(word->ActiveDocument().FormFields().Item("t2f003").Result(), editor->text().toStdString());
    editor->setText({});
    QTest::keyClicks(editor, "abc");
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(word->ActiveDocument().FormFields().Item("t2f003").Result(), "abcabc");

    // Emptied, the field gets its placeholder back: five en spaces in the part.
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(word->ActiveDocument().FormFields().Item("t2f003").Result(), "");
    w->saveAction()->trigger();
    const std::string xml = zipEntries(file).at("word/document.xml");
    EXPECT_NE(xml.find("\u2002\u2002\u2002\u2002\u2002"), std::string::npos);

    // F1 shows the field's help text.
    QTest::keyClick(editor, Qt::Key_F1);
    ASSERT_FALSE(vendrik::MessageBoxLog::shown().empty());
    EXPECT_EQ(vendrik::MessageBoxLog::shown().back().text, "Descrivere il rilievo");
}

TEST_F(WindowTest, ShiftTabGoesBackAndTheViewShowsPagesAndStatus)
{
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    PageView* view = w->view();
    EXPECT_EQ(view->fieldCount(), 4);
    for (int f = 0; f < view->fieldCount(); ++f)
        EXPECT_FALSE(view->fieldRect(f).isNull()) << f;
    click(view, fieldIndex("t1c002"));
    EXPECT_EQ(w->statusText(), "Voce 1.002: cartello");
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(view->currentField(), fieldIndex("t1c001"));
    QTest::keyClick(view, Qt::Key_Backtab);
    EXPECT_EQ(view->currentField(), fieldIndex("t2f003"));
    EXPECT_EQ(w->pageText(), "Pagina 1 di 1");
    view->setZoomPercent(150);
    EXPECT_EQ(view->zoomPercent(), 150);
}

TEST_F(WindowTest, KeysOfTheWindowSaveZoomAndClose)
{
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    QApplication::setActiveWindow(w);
    PageView* view = w->view();
    click(view, fieldIndex("t2f003"));
    QTest::keyClicks(view->editor(), "Scala");
    EXPECT_TRUE(w->windowTitle().contains(QStringLiteral("lista.docx")));
    EXPECT_TRUE(w->isWindowModified());
    QTest::keyClick(view->editor(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(w->isWindowModified());
    EXPECT_TRUE(word->ActiveDocument().Saved());

    view->setZoomPercent(100);
    QWheelEvent wheel(QPointF(50, 50), view->viewport()->mapToGlobal(QPointF(50, 50)), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_EQ(view->zoomPercent(), 110);

    QTest::keyClick(view, Qt::Key_W, Qt::ControlModifier);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(prompted.empty()); // saved: nothing to ask
    EXPECT_TRUE(wordauto::window::documentWindows().empty());
    EXPECT_FALSE(word->IsRunning());
}

// Whether some text of the window's pages holds the words.
bool pagesShow(DocumentWindow* w, const QString& words)
{
    for (const auto& page : w->view()->pages().pages)
        for (const auto& t : page.items.texts)
            if (t.text.contains(words))
                return true;
    return false;
}

TEST_F(WindowTest, ChangesThroughTheObjectModelShowInTheWindow)
{
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    auto doc = word->ActiveDocument();
    doc.FormFields().Item("t2f003").Result("Scritto dal programma");
    // The window looks at the document a few times a second.
    EXPECT_TRUE(QTest::qWaitFor([&] { return pagesShow(w, QStringLiteral("Scritto dal programma")); }, 5000));
    EXPECT_TRUE(w->isWindowModified());
    doc.SaveAs(path("copia.docx"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w->isWindowModified(); }, 5000));
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("copia.docx")));
}

TEST_F(WindowTest, ADocumentThatKeepsChangingIsShownAsItIsOnceItStops)
{
    // A program building a document file after file, letting events run after each: the
    // window may lay it out less often while it grows, but shows its final state.
    db::Document start;
    start.body = {db::Paragraph("Inizio del fascicolo")};
    file = path("fascicolo.docx");
    db::write(start, file);
    db::Document last;
    last.body = {db::Paragraph("Ultimo documento inserito")};
    db::write(last, path("ultimo.docx"));
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    auto doc = word->ActiveDocument();
    auto sel = word->Selection();
    for (int i = 0; i < 40; ++i) {
        sel.InsertFile(path("lista.docx"));
        sel.Collapse(wordauto::wdCollapseEnd);
        sel.InsertBreak();
        QTest::qWait(30); // several looks of the window while the document keeps changing
    }
    sel.InsertFile(path("ultimo.docx"));
    const long pages = doc.BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value();
    ASSERT_GT(pages, 40);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return w->view()->pageCount() == pages && pagesShow(w, QStringLiteral("Ultimo documento inserito")); },
        5000));
}

TEST_F(WindowTest, QuitAsksAboutAnEditedWindowAndLosesNothing)
{
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    click(w->view(), fieldIndex("t2f003"));
    QTest::keyClicks(w->view()->editor(), "Quota 12 m");
    answer = SaveAnswer::Cancel;
    EXPECT_THROW(word->Quit(), wordauto::WordError);
    EXPECT_EQ(wordauto::window::documentWindows().size(), 1u);
    EXPECT_EQ(word->ActiveDocument().FormFields().Item("t2f003").Result(), "Quota 12 m");
    answer = SaveAnswer::Yes;
    word->Quit();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(wordauto::window::documentWindows().empty());
    DOC_Application reader;
    EXPECT_EQ(reader.Documents().Open(file, false, true).FormFields().Item("t2f003").Result(), "Quota 12 m");
    reader.Quit(wordauto::wdDoNotSaveChanges);
}

TEST_F(WindowTest, DropDownOpensItsEntriesAndTheChoiceIsWritten)
{
    db::Document d;
    d.body = {db::para({"Esito: ", db::DropDown{"t3l001", {"", "Sì", "No", "N.A."}, 0, "Esito della verifica"}})};
    db::write(d, file);
    DocumentWindow* w = openInWindow();
    ASSERT_NE(w, nullptr);
    PageView* view = w->view();
    click(view, 0);
    QMenu* menu = view->openDropDown();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 4);
    menu->actions()[2]->trigger();
    EXPECT_EQ(word->ActiveDocument().FormFields().Item("t3l001").Result(), "No");
}

TEST_F(WindowTest, ClosingWithChangesAsksAndKeepsEveryAnswer)
{
    struct Case {
        const char* what;
        SaveAnswer answer;
        bool windowStays;
        const char* onDisk;
    };
    const Case cases[] = {
        {"Sì saves", SaveAnswer::Yes, false, "Lavori in quota"},
        {"No discards", SaveAnswer::No, false, ""},
        {"Annulla keeps the window", SaveAnswer::Cancel, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        db::write(listB1(), file);
        prompted.clear();
        DocumentWindow* w = openInWindow();
        ASSERT_NE(w, nullptr);
        click(w->view(), fieldIndex("t2f003"));
        QTest::keyClicks(w->view()->editor(), "Lavori in quota");
        answer = c.answer;
        w->closeAction()->trigger();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(prompted, std::vector<std::string>{"lista.docx"});
        EXPECT_EQ(wordauto::window::documentWindows().size(), c.windowStays ? 1u : 0u);
        // The last window closed ends the instance.
        EXPECT_EQ(word->IsRunning(), c.windowStays);
        if (c.windowStays) {
            EXPECT_EQ(word->ActiveDocument().FormFields().Item("t2f003").Result(), "Lavori in quota");
        }
        DOC_Application reader;
        EXPECT_EQ(reader.Documents().Open(file, false, true).FormFields().Item("t2f003").Result(), c.onDisk);
        reader.Quit(wordauto::wdDoNotSaveChanges);
        if (word->IsRunning())
            word->Quit(wordauto::wdDoNotSaveChanges);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(wordauto::window::documentWindows().empty());
    }
}

TEST_F(WindowTest, WindowsFollowTheInstance)
{
    word.emplace();
    word->Documents().Open(file, false, true);
    EXPECT_TRUE(wordauto::window::documentWindows().empty()); // hidden instance: no window
    word->Visible(true);
    auto windows = wordauto::window::documentWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FALSE(windows[0]->saveAction()->isEnabled()); // opened read-only
    EXPECT_TRUE(windows[0]->isVisible());

    // A document opened later on a visible instance gets its window too.
    const std::string second = path("seconda.docx");
    db::write(listB1(), second);
    auto doc2 = word->Documents().Open(second);
    ASSERT_EQ(wordauto::window::documentWindows().size(), 2u);

    word->Visible(false);
    for (auto* w : wordauto::window::documentWindows())
        EXPECT_FALSE(w->isVisible());
    word->Visible(true);

    // Close from the object model closes its window, with no question.
    doc2.Close(wordauto::wdDoNotSaveChanges);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(wordauto::window::documentWindows().size(), 1u);
    EXPECT_TRUE(word->IsRunning());

    // The user closing the last window ends the instance, so Word's window is gone.
    wordauto::window::documentWindows().front()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(prompted.empty()); // nothing was changed
    EXPECT_FALSE(word->IsRunning());
    EXPECT_FALSE(DOC_Application::WindowExists());
}

} // namespace
