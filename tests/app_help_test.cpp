// The help window on the program's own ORMK.CHM, and the main window's help: the contents, the
// four topics, links, pictures, a missing file and damaged ones.
#include "app/dwlist.h"
#include "app/dwmain.h"
#include "framework/help_window.h"
#include "framework/msgbox.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>
#include <set>

using namespace testsupport;
using framework::HelpWindow;
using vendrik::MessageBoxLog;

namespace {

const QString kBuiltHelp = QStringLiteral(QUARVELLO_HELP_FILE);

std::string builtHelpBytes() { return readFile(QUARVELLO_HELP_FILE); }

// Where the window's picture goes when QUARVELLO_SHOT_DIR names a folder (for looking at it).
void keepShot(QWidget& w, const char* name)
{
    const QString dir = qEnvironmentVariable("QUARVELLO_SHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(dir + "/" + name + ".png");
}

std::vector<QString> imageNames(const QTextDocument& doc)
{
    std::vector<QString> names;
    for (QTextBlock b = doc.begin(); b != doc.end(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                names.push_back(it.fragment().charFormat().toImageFormat().name());
    return names;
}

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBoxLog::reset();
        MessageBoxLog::setScripted(true);
    }
    void TearDown() override { MessageBoxLog::reset(); }
};

} // namespace

TEST_F(HelpWindowTest, OpensAtTheContentsAndMovesToEachTopic)
{
    HelpWindow w(nullptr, kBuiltHelp);
    ASSERT_TRUE(w.showTopic(QStringLiteral("HelpContents")));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.browser()->documentTitle(), QStringLiteral("Sommario"));
    EXPECT_TRUE(w.browser()->toPlainText().contains(QStringLiteral("Come si usa questa guida")));
    keepShot(w, "help_contents");

    const struct {
        const char* topic;
        const char* text;
    } topics[] = {
        {"Finestra Principale", "Visualizza Dettaglio Liste"},
        {"Finestra Aggiungi Liste", "Liste obbligatorie"},
        {"Finestra Elimina Liste", "non si può annullare"},
    };
    for (const auto& t : topics) {
        SCOPED_TRACE(t.topic);
        ASSERT_TRUE(w.showTopic(QString::fromUtf8(t.topic)));
        EXPECT_EQ(w.browser()->documentTitle(), QString::fromUtf8(t.topic));
        EXPECT_TRUE(w.browser()->toPlainText().contains(QString::fromUtf8(t.text)));
        ASSERT_TRUE(w.contentsTree()->currentItem());
        EXPECT_EQ(w.contentsTree()->currentItem()->text(0), QString::fromUtf8(t.topic));
        EXPECT_TRUE(w.windowTitle().endsWith(QString::fromUtf8(t.topic)));
    }
    EXPECT_TRUE(MessageBoxLog::shown().empty());

    // The contents pane: the contents page with the three windows under it.
    QTreeWidget* tree = w.contentsTree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* top = tree->topLevelItem(0);
    EXPECT_EQ(top->text(0), QStringLiteral("Sommario"));
    ASSERT_EQ(top->childCount(), 3);
    EXPECT_EQ(top->child(0)->text(0), QStringLiteral("Finestra Principale"));
    EXPECT_EQ(top->child(1)->text(0), QStringLiteral("Finestra Aggiungi Liste"));
    EXPECT_EQ(top->child(2)->text(0), QStringLiteral("Finestra Elimina Liste"));
    // A click in the contents shows its page.
    emit tree->itemClicked(top, 0);
    EXPECT_EQ(w.browser()->documentTitle(), QStringLiteral("Sommario"));
}

TEST_F(HelpWindowTest, LinksPicturesAndTheStyleSheetComeFromTheFile)
{
    HelpWindow w(nullptr, kBuiltHelp);
    w.resize(900, 700);
    ASSERT_TRUE(w.showTopic(QStringLiteral("HelpContents")));
    framework::HelpBrowser* b = w.browser();

    // Links as the pages write them, relative to the page shown.
    emit b->anchorClicked(QUrl(QStringLiteral("finestra_principale.htm")));
    EXPECT_EQ(b->documentTitle(), QStringLiteral("Finestra Principale"));
    emit b->anchorClicked(QUrl(QStringLiteral("aggiungi_liste.htm")));
    EXPECT_EQ(b->documentTitle(), QStringLiteral("Finestra Aggiungi Liste"));
    EXPECT_TRUE(b->isBackwardAvailable());
    b->backward();
    EXPECT_EQ(b->documentTitle(), QStringLiteral("Finestra Principale"));

    // The four faces, loaded from the file as pictures of 16 x 16.
    const auto names = imageNames(*b->document());
    EXPECT_EQ(std::set<QString>(names.begin(), names.end()),
              (std::set<QString>{"faccia_bianca.png", "faccia_rossa.png", "faccia_gialla.png", "faccia_verde.png"}));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const QVariant data = b->document()->resource(QTextDocument::ImageResource, QUrl(name));
        QImage image;
        if (data.userType() == QMetaType::QByteArray)
            image.loadFromData(data.toByteArray());
        else
            image = data.value<QImage>();
        EXPECT_EQ(image.size(), QSize(16, 16));
    }
    EXPECT_TRUE(b->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("guida.css")))
                    .toString()
                    .contains(QStringLiteral("h1")));
    b->scrollToAnchor(QStringLiteral("stato"));
    keepShot(w, "help_main_window_faces");

    // Nothing outside the file is ever loaded; a page the file lacks says so.
    const QUrl before = b->source();
    emit b->anchorClicked(QUrl(QStringLiteral("https://example.com/")));
    EXPECT_EQ(b->source(), before);
    EXPECT_FALSE(b->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("file:///etc/passwd"))).isValid());
    emit b->anchorClicked(QUrl(QStringLiteral("manca.htm")));
    EXPECT_EQ(b->documentTitle(), QStringLiteral("Pagina non trovata"));
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(HelpWindowTest, ATopicTheFileLacksIsToldWithTheFileNamed)
{
    HelpWindow w(nullptr, kBuiltHelp);
    EXPECT_FALSE(w.showTopic(QStringLiteral("Finestra Stampa Liste")));
    ASSERT_EQ(MessageBoxLog::shown().size(), 1U);
    EXPECT_EQ(MessageBoxLog::shown()[0].text,
              QStringLiteral("L'argomento \"Finestra Stampa Liste\" non si trova nel file della guida \"%1\".")
                  .arg(kBuiltHelp));
}

namespace {

// The main window started in a folder of its own, with or without a help file in it.
class MainWindowHelpTest : public TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        previous_ = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir_.string()));
        MessageBoxLog::reset();
        MessageBoxLog::setScripted(true);
    }
    void TearDown() override
    {
        window.reset();
        MessageBoxLog::reset();
        QDir::setCurrent(previous_);
        TempDirTest::TearDown();
    }
    app::DWMAIN& start()
    {
        window = std::make_unique<app::DWMAIN>(state);
        window->MTDINIT();
        MessageBoxLog::clear(); // the list index this folder lacks
        return *window;
    }
    QString helpPath() const { return QString::fromStdString((dir_ / "ORMK.CHM").string()); }
    std::vector<QString> texts() const
    {
        std::vector<QString> out;
        for (const auto& b : MessageBoxLog::shown())
            out.push_back(b.text);
        return out;
    }

    engine::ProgramState state;
    std::unique_ptr<app::DWMAIN> window;

private:
    QString previous_;
};

constexpr int kGuidaInLinea = 11070;

} // namespace

TEST_F(MainWindowHelpTest, GuidaInLineaShowsTheContentsThenTheMainWindowsTopic)
{
    writeFile(dir_ / "ORMK.CHM", builtHelpBytes());
    auto& w = start();
    EXPECT_TRUE(w.engine().lHelp);
    EXPECT_TRUE(w.menuItemEnabled(kGuidaInLinea));
    ASSERT_TRUE(w.helpDisplay());
    EXPECT_EQ(w.helpDisplay()->helpFile(), helpPath());
    EXPECT_FALSE(w.helpDisplay()->isVisible());

    // Run by name, as the menu runs it.
    ASSERT_TRUE(QMetaObject::invokeMethod(&w, "HLP_TOC"));
    HelpWindow* help = w.helpDisplay();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), &w);
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Finestra Principale"));
    help->browser()->backward();
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Sommario"));

    // The picker's help goes to the same window.
    w.showHelpTopic(QStringLiteral("HelpContents"));
    w.showHelpTopic(QStringLiteral("Finestra Elimina Liste"));
    EXPECT_EQ(w.helpDisplay(), help);
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Finestra Elimina Liste"));
    EXPECT_TRUE(texts().empty());
}

TEST_F(MainWindowHelpTest, WithoutTheHelpFileGuidaInLineaIsDisabledSilently)
{
    auto& w = start();
    EXPECT_FALSE(w.engine().lHelp);
    EXPECT_FALSE(w.menuItemEnabled(kGuidaInLinea));
    EXPECT_EQ(w.helpDisplay(), nullptr);
    w.showHelpTopic(QStringLiteral("Finestra Aggiungi Liste")); // the picker's help does nothing
    EXPECT_TRUE(texts().empty());

    // The file gone before a new start-up step: the display goes too.
    writeFile(dir_ / "ORMK.CHM", builtHelpBytes());
    start();
    EXPECT_TRUE(window->helpDisplay());
    std::filesystem::remove(dir_ / "ORMK.CHM");
    window->MTDINIT();
    EXPECT_EQ(window->helpDisplay(), nullptr);
    EXPECT_FALSE(window->menuItemEnabled(kGuidaInLinea));
}

TEST_F(MainWindowHelpTest, ADamagedHelpFileIsToldOnceWithItsNameAndNothingShows)
{
    const std::string good = builtHelpBytes();
    std::string garbage(good.size(), '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    std::string crafted = good;
    crafted[0x50] = '\xF0'; // directory length far past the end of the file
    crafted[0x53] = '\x7F';

    const struct {
        const char* what;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"truncated", good.substr(0, good.size() / 3), ""},
        {"garbage", garbage, "non è un file di guida HTML compilata"},
        {"crafted header sizes", crafted, "è troncato"},
        {"empty", "", "non è un file di guida HTML compilata"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(dir_ / "ORMK.CHM", c.bytes);
        auto& w = start();
        EXPECT_TRUE(w.menuItemEnabled(kGuidaInLinea));
        ASSERT_TRUE(QMetaObject::invokeMethod(&w, "HLP_TOC"));
        ASSERT_EQ(texts().size(), 1U);
        const QString text = texts()[0];
        EXPECT_TRUE(text.startsWith(QStringLiteral("Il file della guida \"%1\" non può essere usato: ").arg(helpPath())))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.reason))) << text.toStdString();
        EXPECT_EQ(MessageBoxLog::shown()[0].owner, &w);
        EXPECT_FALSE(w.helpDisplay()->isVisible());
        // Asked again, the same file is not reported again.
        w.showHelpTopic(QStringLiteral("Finestra Aggiungi Liste"));
        EXPECT_EQ(texts().size(), 1U);
    }
    // Once the file is sound again, help comes up without a new start.
    writeFile(dir_ / "ORMK.CHM", good);
    window->showHelpTopic(QStringLiteral("Finestra Aggiungi Liste"));
    EXPECT_EQ(texts().size(), 1U);
    EXPECT_TRUE(window->helpDisplay()->isVisible());
    EXPECT_EQ(window->helpDisplay()->browser()->documentTitle(), QStringLiteral("Finestra Aggiungi Liste"));
}

namespace {

// The contents entry `name` clicked as the window system delivers a click, through Qt's check
// of modal dialogs: a window a modal dialog blocks does not get it.
void clickContentsEntry(HelpWindow& help, const QString& name)
{
    QTreeWidget* tree = help.contentsTree();
    const auto found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    const QPoint at = tree->viewport()->mapTo(&help, tree->visualItemRect(found[0]).center());
    QTest::mouseClick(help.windowHandle(), Qt::LeftButton, {}, at);
}

// Runs `inside` once the modal dialog of the next exec() is up, then closes that dialog.
void whileModal(const std::function<void(QDialog&)>& inside)
{
    QTimer::singleShot(0, [inside] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        EXPECT_TRUE(dialog);
        if (!dialog)
            return;
        inside(*dialog);
        dialog->reject();
    });
}

} // namespace

TEST_F(MainWindowHelpTest, HelpAskedForFromTheModalPickerCanBeUsedWhileThePickerIsOpen)
{
    writeFile(dir_ / "ORMK.CHM", builtHelpBytes());
    auto& w = start();
    w.show();
    HelpWindow* help = w.helpDisplay();
    ASSERT_TRUE(help);
    bool ran = false;
    whileModal([&](QDialog& picker) {
        ran = true;
        EXPECT_TRUE(qobject_cast<app::DWLIST*>(&picker));
        picker.findChild<QPushButton*>(QStringLiteral("PBHELP"))->click();
        ASSERT_TRUE(help->isVisible());
        EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Finestra Aggiungi Liste"));
        EXPECT_EQ(QApplication::activeModalWidget(), &picker); // the picker is still modal
        clickContentsEntry(*help, QStringLiteral("Finestra Principale"));
        EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Finestra Principale"));
        clickContentsEntry(*help, QStringLiteral("Sommario"));
        EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Sommario"));
        EXPECT_TRUE(picker.isVisible());
        EXPECT_EQ(picker.result(), 0);
    });
    EXPECT_EQ(w.listPicker("ADD"), engine::PickerEnd::Cancelled);
    EXPECT_TRUE(ran);
    // The picker gone, the help stays open, the main window's again.
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->parentWidget(), &w);
    EXPECT_EQ(w.helpDisplay(), help);
    clickContentsEntry(*help, QStringLiteral("Finestra Elimina Liste"));
    EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Finestra Elimina Liste"));
    EXPECT_TRUE(texts().empty());
}

TEST_F(MainWindowHelpTest, HelpFollowsEachModalDialogThatAsksAndComesBackAsTheyClose)
{
    writeFile(dir_ / "ORMK.CHM", builtHelpBytes());
    auto& w = start();
    w.show();
    HelpWindow* help = w.helpDisplay();
    ASSERT_TRUE(help);
    // Shown from the main window first: a dialog that does not ask for help blocks it.
    w.showHelpTopic(QStringLiteral("HelpContents"));
    QDialog outer(&w);
    bool ran = false;
    whileModal([&](QDialog& first) {
        EXPECT_EQ(&first, &outer);
        clickContentsEntry(*help, QStringLiteral("Finestra Principale"));
        EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Sommario"));

        w.showHelpTopic(QStringLiteral("Finestra Principale"));
        EXPECT_EQ(help->parentWidget(), &outer);
        // A dialog over the first one asks for help too: the help goes with it, and back to the
        // first one, still open, when it closes.
        QDialog inner(&outer);
        whileModal([&](QDialog& second) {
            EXPECT_EQ(&second, &inner);
            w.showHelpTopic(QStringLiteral("Finestra Elimina Liste"));
            EXPECT_EQ(help->parentWidget(), &inner);
            clickContentsEntry(*help, QStringLiteral("Finestra Aggiungi Liste"));
            EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Finestra Aggiungi Liste"));
        });
        inner.exec();
        EXPECT_EQ(help->parentWidget(), &outer);
        EXPECT_TRUE(help->isVisible());
        clickContentsEntry(*help, QStringLiteral("Sommario"));
        EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("Sommario"));
        ran = true;
    });
    outer.exec();
    EXPECT_TRUE(ran);
    EXPECT_EQ(help->parentWidget(), &w);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(texts().empty());
}
