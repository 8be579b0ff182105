// The progress window and the list tree, driven the way the engine and the main window do.
#include "runtime/dialog_units.h"
#include "app/dwwait.h"
#include "app/xtv1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextEdit>
#include <QVBoxLayout>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using app::DWWAIT;
using app::ProgressWindowAdapter;
using app::XTV1;

QTextEdit* textBox(const DWWAIT& w) { return w.findChild<QTextEdit*>("FT1"); }
QProgressBar* bar(const DWWAIT& w) { return w.findChild<QProgressBar*>("PB1"); }
QPushButton* cancelButton(const DWWAIT& w) { return w.findChild<QPushButton*>("PBANNULLA"); }

// A click where the user would make it: on the window, at the button's place.
void clickCancel(DWWAIT& w)
{
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, cancelButton(w)->geometry().center());
}

// ---------------------------------------------------------------------------------------------
// Progress window

struct CancelCase {
    const char* label;
    std::function<void(engine::ProgressWindow&)> prepare;
    bool aborts;
    friend void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.label; }
};

class CancelTest : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelTest, ClickOnAnnullaRaisesTheFlagForGood)
{
    ProgressWindowAdapter progress(nullptr, "Stampa in corso");
    GetParam().prepare(progress);
    progress.show();
    DWWAIT& w = *progress.dialog();
    ASSERT_NE(w.windowHandle(), nullptr);
    EXPECT_FALSE(progress.aborted());

    for (int click = 0; click < 2; ++click) {
        clickCancel(w);
        EXPECT_EQ(progress.aborted(), GetParam().aborts) << "click " << click;
        EXPECT_EQ(w.LABORT, GetParam().aborts);
        // Cancelling only raises the flag: the caller ends the window.
        EXPECT_TRUE(w.isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Progress, CancelTest,
    ::testing::Values(CancelCase{"shown", [](engine::ProgressWindow&) {}, true},
                      CancelCase{"hidden", [](engine::ProgressWindow& p) { p.hideCancel(); }, false},
                      CancelCase{"disabled", [](engine::ProgressWindow& p) { p.disableCancel(); },
                                 false}),
    [](const auto& info) { return std::string(info.param.label); });

class BarTest : public ::testing::TestWithParam<int> {};

TEST_P(BarTest, ReachesTheEndOnTheLastItemAndNeverMovesBack)
{
    const int n = GetParam();
    ProgressWindowAdapter progress(nullptr, "Stampa in corso");
    progress.setRange(0, 100);
    progress.show();
    int before = progress.position();
    for (int i = 1; i <= n; ++i) {
        const int p = 100 * i / n;
        progress.setPosition(p);
        EXPECT_EQ(progress.position(), p);
        progress.setPosition(p - 1);
        EXPECT_EQ(progress.position(), p) << "moved back at item " << i;
        EXPECT_GE(progress.position(), before);
        before = progress.position();
    }
    EXPECT_EQ(progress.position(), 100);
    EXPECT_EQ(bar(*progress.dialog())->value(), 100);
    progress.setPosition(40);
    EXPECT_EQ(progress.position(), 100);
    progress.setPosition(250);
    EXPECT_EQ(progress.position(), 100);
}

INSTANTIATE_TEST_SUITE_P(Progress, BarTest, ::testing::Values(1, 3, 7, 250));

TEST(ProgressWindow, CrLfTextShowsCentredOnTwoLinesThatFitTheBox)
{
    ProgressWindowAdapter progress(nullptr, "Stampa in corso");
    progress.setText("Documento 3 di 12\r\n1.02.00 Ponteggi metallici fissi");
    progress.show();
    const QTextEdit* box = textBox(*progress.dialog());
    const QTextDocument* doc = box->document();

    ASSERT_EQ(doc->blockCount(), 2);
    EXPECT_EQ(doc->findBlockByNumber(0).text(), "Documento 3 di 12");
    EXPECT_EQ(doc->findBlockByNumber(1).text(), "1.02.00 Ponteggi metallici fissi");
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_LE(doc->size().height(), box->viewport()->height());
    EXPECT_TRUE(box->isReadOnly());
}

TEST(ProgressWindow, ALineTooLongForTheBoxLosesItsMiddleAndBothLinesStayInSight)
{
    const QString path = "/home/geometra/Documenti/Quarvello/DATI/Cantiere Via Roma nord - lotto 2/"
                         "1.01.01.DOC";
    const QString text = "Fascicolazione in corso [12/29]\r\nlista " + path;
    ProgressWindowAdapter progress(nullptr, "Quarvello");
    progress.show();
    progress.setText(text.toStdString());
    const QTextEdit* box = textBox(*progress.dialog());
    const QTextDocument* doc = box->document();

    ASSERT_EQ(doc->blockCount(), 2);
    EXPECT_EQ(doc->findBlockByNumber(0).text(), "Fascicolazione in corso [12/29]");
    const QString second = doc->findBlockByNumber(1).text();
    EXPECT_TRUE(second.startsWith("lista /home/")) << second.toStdString();
    EXPECT_TRUE(second.endsWith("/1.01.01.DOC")) << second.toStdString();
    EXPECT_TRUE(second.contains(QChar(0x2026)));
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.layout()->lineCount(), 1);
    EXPECT_LE(doc->size().height(), box->viewport()->height());
    // What the window was given is still the whole text.
    EXPECT_EQ(progress.dialog()->text(), QString(text).replace("\r\n", "\n"));

    // A text that fits is shown as it is.
    progress.setText("Fascicolazione in corso [13/29]\r\nlista /DATI/1.01.02.DOC");
    EXPECT_EQ(doc->findBlockByNumber(1).text(), "lista /DATI/1.01.02.DOC");
}

TEST(ProgressWindow, CaptionAndTextFromTheConstructor)
{
    const DWWAIT plain(nullptr);
    EXPECT_EQ(plain.windowTitle(), "Stampa in corso");
    EXPECT_TRUE(textBox(plain)->toPlainText().isEmpty());
    EXPECT_FALSE(plain.LABORT);

    const DWWAIT given(nullptr, QString("Unione in corso"), QString("Attendere"));
    EXPECT_EQ(given.windowTitle(), "Unione in corso");
    EXPECT_EQ(textBox(given)->toPlainText(), "Attendere");
}

TEST(ProgressWindow, ShowReturnsAtOnceAndOnlyEnddialogEndsIt)
{
    DWWAIT w(nullptr);
    w.show(0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(w.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));

    w.EXECMODAL();
    EXPECT_TRUE(w.isVisible());
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());

    w.ENDDIALOG();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.LABORT);
}

TEST(ProgressWindow, KeepsItsDesignedProportionsCentredOnTheScreen)
{
    DWWAIT w(nullptr);
    w.show(0);
    const QFont font = vendrik::dialogFont();
    EXPECT_EQ(w.font().pointSize(), 8);
    EXPECT_EQ(w.size(), vendrik::dialogUnitsToPixels(font, 0, 0, 245, 64).size());
    EXPECT_EQ(w.minimumSize(), w.maximumSize());

    // The bar spans the window; box, bar and button follow each other down it without touching.
    const QRect box = textBox(w)->geometry();
    const QRect pb = bar(w)->geometry();
    const QRect button = cancelButton(w)->geometry();
    EXPECT_EQ(pb.left(), 0);
    EXPECT_EQ(pb.width(), w.width());
    EXPECT_LT(box.bottom(), pb.top());
    EXPECT_LT(pb.bottom(), button.top());
    EXPECT_LE(button.bottom(), w.height());
    EXPECT_LE(std::abs(button.center().x() - w.width() / 2), w.width() / 40);

    const QPoint screenCentre = w.screen()->availableGeometry().center();
    EXPECT_LE((w.geometry().center() - screenCentre).manhattanLength(), 4);
}

// ---------------------------------------------------------------------------------------------
// List tree

engine::TreeItem treeItem(const std::string& name, const std::string& value = {}, int state = 0,
                          bool bold = false)
{
    return {name, "Titolo " + name, value, bold, state};
}

class TreeTest : public ::testing::Test {
protected:
    // In a window with a second widget that can hold the focus, as in the main window.
    TreeTest()
    {
        auto* layout = new QVBoxLayout(&host);
        layout->addWidget(other);
        layout->addWidget(&tree);
    }

    void add(const char* parent, const engine::TreeItem& item)
    {
        ASSERT_TRUE(tree.ADDITEM(parent, item)) << item.name;
    }

    // A section with two lists, the first of them with one of its own, and a second section.
    void addSections()
    {
        add("ROOT", treeItem("T1", "1.00.00"));
        add("T1", treeItem("L1", "1.01.00"));
        add("L1", treeItem("L1a", "1.01.01"));
        add("T1", treeItem("L2", "1.02.00"));
        add("ROOT", treeItem("T2", "2.00.00"));
        add("T2", treeItem("L3", "2.01.00"));
    }

    std::vector<std::string> childNames(const char* parent) const
    {
        const QTreeWidgetItem* p =
            QString(parent) == "ROOT" ? tree.invisibleRootItem() : tree.itemByName(parent);
        std::vector<std::string> names;
        for (int i = 0; i < p->childCount(); ++i)
            names.push_back(XTV1::nameOf(p->child(i)).toStdString());
        return names;
    }

    // What a user sees, top to bottom: only items whose every ancestor is open.
    std::vector<std::string> visibleNames() const
    {
        std::vector<std::string> names;
        for (const QTreeWidgetItem* i = tree.topLevelItem(0); i; i = tree.itemBelow(i))
            names.push_back(XTV1::nameOf(i).toStdString());
        return names;
    }

    QWidget host;
    QLineEdit* other = new QLineEdit(&host);
    XTV1 tree{&host};
};

using Names = std::vector<std::string>;

TEST(TreeSort, ComparesListNumbersAsText)
{
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    for (const Case& c : {Case{"1.02.00", "1.10.00", -1}, Case{"2.00.00", "1.99.99", 1},
                          Case{"1.10.00", "1.10.00", 0}, Case{"1.10.00", "1.02.00", 1}})
        EXPECT_EQ(XTV1::XTV1SORT1(c.a, c.b), c.expected) << c.a << " " << c.b;
}

TEST_F(TreeTest, SortOrdersDirectChildrenOnlyAndKeepsTheSelection)
{
    add("ROOT", treeItem("T", "1.00.00"));
    add("T", treeItem("A", "2.00.00"));
    add("T", treeItem("B", "1.10.00"));
    add("B", treeItem("B2", "1.10.02"));
    add("B", treeItem("B1", "1.10.01"));
    add("T", treeItem("C", "1.99.99"));
    add("T", treeItem("D", "1.02.00"));
    add("T", treeItem("E", "1.10.00"));
    ASSERT_TRUE(tree.SELECTITEM("C"));

    tree.SORTCHILDREN("T");
    EXPECT_EQ(childNames("T"), (Names{"D", "B", "E", "C", "A"}));
    EXPECT_EQ(childNames("B"), (Names{"B2", "B1"}));
    EXPECT_EQ(tree.GETSELECTEDITEM()->name, "C");

    add("ROOT", treeItem("S", "0.50.00"));
    tree.SORTCHILDREN("ROOT");
    EXPECT_EQ(childNames("ROOT"), (Names{"S", "T"}));
    EXPECT_EQ(tree.ITEMCOUNT(), 9);
}

TEST_F(TreeTest, AddRefusesAMissingParentAndATakenName)
{
    addSections();
    EXPECT_FALSE(tree.ADDITEM("T9", treeItem("L9")));
    EXPECT_FALSE(tree.ADDITEM("ROOT", treeItem("L2")));
    EXPECT_FALSE(tree.ADDITEM("T2", treeItem("ROOT")));
    EXPECT_EQ(tree.ITEMCOUNT(), 6);
    EXPECT_FALSE(tree.GETITEMATTRIBUTES("L9"));
    EXPECT_EQ(tree.GETITEMATTRIBUTES("L2")->caption, "Titolo L2");
    EXPECT_EQ(childNames("T1"), (Names{"L1", "L2"}));
}

TEST_F(TreeTest, DeleteItemWithAndWithoutChildrenOnly)
{
    struct Case {
        const char* name;
        bool childrenOnly;
        bool deleted;
        Names gone;
        Names kept;
    };
    const Case cases[] = {
        {"T1", false, true, {"T1", "L1", "L1a", "L2"}, {"T2", "L3"}},
        {"T1", true, true, {"L1", "L1a", "L2"}, {"T1", "T2", "L3"}},
        {"L1a", false, true, {"L1a"}, {"T1", "L1", "L2", "T2", "L3"}},
        {"L2", true, false, {}, {"T1", "L1", "L1a", "L2", "T2", "L3"}},
        {"L9", false, false, {}, {"T1", "L1", "L1a", "L2", "T2", "L3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.childrenOnly ? " children only" : ""));
        tree.DELETEALL();
        addSections();
        EXPECT_EQ(tree.DELETEITEM(c.name, c.childrenOnly), c.deleted);
        EXPECT_EQ(tree.ITEMCOUNT(), static_cast<int>(c.kept.size()));
        for (const std::string& n : c.gone) {
            EXPECT_FALSE(tree.GETITEMATTRIBUTES(QString::fromStdString(n))) << n;
            // The name is free again: the index follows the tree.
            EXPECT_TRUE(tree.ADDITEM("T2", treeItem(n))) << n;
        }
        for (const std::string& n : c.kept)
            EXPECT_TRUE(tree.GETITEMATTRIBUTES(QString::fromStdString(n))) << n;
    }
    tree.DELETEALL();
    EXPECT_EQ(tree.ITEMCOUNT(), 0);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_FALSE(tree.GETROOTITEM());
}

TEST_F(TreeTest, AttributesRoundTripAndAMissingNameHasNone)
{
    addSections();
    EXPECT_FALSE(tree.GETITEMATTRIBUTES("nessuno"));
    EXPECT_FALSE(tree.GETITEMATTRIBUTES(""));
    EXPECT_FALSE(tree.SETITEMATTRIBUTES(treeItem("nessuno")));

    const engine::TreeItem changed{"L2", "1.02.00 Scavi", "1.02.00", true, 2};
    ASSERT_TRUE(tree.SETITEMATTRIBUTES(changed));
    const auto read = tree.GETITEMATTRIBUTES("L2");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name, changed.name);
    EXPECT_EQ(read->caption, changed.caption);
    EXPECT_EQ(read->value, changed.value);
    EXPECT_TRUE(read->bold);
    EXPECT_EQ(read->stateImage, 2);
    EXPECT_EQ(tree.itemByName("L2")->text(0), "1.02.00 Scavi");
    EXPECT_EQ(tree.GETROOTITEM()->name, "T1");
}

TEST_F(TreeTest, ExpandOnAnEmptyTreeDoesNothing)
{
    host.show();
    other->setFocus();
    tree.PBEXPAND();
    tree.PBCOLLAPSE();
    EXPECT_FALSE(tree.GETSELECTEDITEM());
    EXPECT_EQ(tree.currentItem(), nullptr);
    EXPECT_EQ(host.focusWidget(), other);
    EXPECT_TRUE(tree.updatesEnabled());
}

TEST_F(TreeTest, ExpandShowsEverythingCollapseOnlyTheTopLevel)
{
    addSections();
    host.show();
    other->setFocus();

    std::vector<std::string> selections;
    QObject::connect(&tree, &XTV1::selectedItemChanged,
                     [&](const QString& name) { selections.push_back(name.toStdString()); });

    tree.PBEXPAND();
    EXPECT_EQ(visibleNames(), (Names{"T1", "L1", "L1a", "L2", "T2", "L3"}));
    EXPECT_EQ(tree.GETSELECTEDITEM()->name, "T1");
    EXPECT_EQ(host.focusWidget(), &tree);
    EXPECT_TRUE(tree.updatesEnabled());
    EXPECT_EQ(selections, Names{"T1"});

    tree.SELECTITEM("L1a");
    other->setFocus();
    tree.PBCOLLAPSE();
    EXPECT_EQ(visibleNames(), (Names{"T1", "T2"}));
    EXPECT_EQ(tree.ITEMCOUNT(), 6);
    EXPECT_EQ(tree.GETSELECTEDITEM()->name, "T1");
    EXPECT_EQ(host.focusWidget(), &tree);
    EXPECT_TRUE(tree.updatesEnabled());
    EXPECT_EQ(selections, (Names{"T1", "L1a", "T1"}));
}

TEST_F(TreeTest, SuspendedUpdatesResumeAtTheOutermostRestore)
{
    tree.SUSPENDUPDATE();
    tree.SUSPENDUPDATE();
    tree.RESTOREUPDATE();
    EXPECT_FALSE(tree.updatesEnabled());
    tree.RESTOREUPDATE();
    EXPECT_TRUE(tree.updatesEnabled());
    tree.RESTOREUPDATE();
    tree.SUSPENDUPDATE();
    EXPECT_FALSE(tree.updatesEnabled());
    tree.RESTOREUPDATE();
}

TEST_F(TreeTest, RemovalsWhileSuspendedKeepWhichBranchesAreOpen)
{
    addSections();
    add("L3", treeItem("L3a", "2.01.01"));
    for (const char* open : {"T1", "L1", "T2"})
        tree.itemByName(QString::fromLatin1(open))->setExpanded(true);
    tree.setCurrentItem(tree.itemByName(QStringLiteral("L3")));

    tree.SUSPENDUPDATE();
    ASSERT_TRUE(tree.DELETEITEM(QStringLiteral("L2")));
    ASSERT_TRUE(tree.DELETEITEM(QStringLiteral("L1")));
    // A new item under the name of an open one that left starts closed, as any new item.
    add("T1", treeItem("L1", "1.01.00"));
    add("L1", treeItem("L1b", "1.01.02"));
    tree.RESTOREUPDATE();

    EXPECT_EQ(visibleNames(), (Names{"T1", "L1", "T2", "L3"}));
    EXPECT_EQ(XTV1::nameOf(tree.currentItem()), "L3");
    // Collapsed while suspended: nothing is opened again.
    tree.EXPANDALL();
    tree.SUSPENDUPDATE();
    ASSERT_TRUE(tree.DELETEITEM(QStringLiteral("L3a")));
    tree.COLLAPSEALL();
    tree.RESTOREUPDATE();
    EXPECT_EQ(visibleNames(), (Names{"T1", "T2"}));
}

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(TreeTest, StateValueShowsTheFaceAtThatPosition)
{
    const QImage faces[] = {imageOf(app::ICO_BLANK1()), imageOf(app::ICO_SMILE_W1()),
                            imageOf(app::ICO_SMILE_R1()), imageOf(app::ICO_SMILE_Y1()),
                            imageOf(app::ICO_SMILE_G1())};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(faces[i].size(), QSize(16, 16));
        EXPECT_EQ(qAlpha(faces[i].pixel(0, 0)), 0) << i;
        for (int j = 0; j < i; ++j)
            EXPECT_NE(faces[i], faces[j]) << i << " " << j;
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(qAlpha(faces[0].pixel(x, y)), 0);

    // The fill on the left cheek: white, red, yellow, green.
    struct Fill {
        int red, green, blue;
    };
    const Fill fills[] = {{255, 255, 255}, {229, 32, 32}, {255, 221, 0}, {46, 184, 60}};
    for (int i = 1; i < 5; ++i) {
        const QRgb cheek = faces[i].pixel(3, 8);
        EXPECT_EQ(qAlpha(cheek), 255) << i;
        EXPECT_NEAR(qRed(cheek), fills[i - 1].red, 8) << i;
        EXPECT_NEAR(qGreen(cheek), fills[i - 1].green, 8) << i;
        EXPECT_NEAR(qBlue(cheek), fills[i - 1].blue, 8) << i;
    }

    for (int state : {0, 1, 2, 3, 4, 5, -1}) {
        const std::string name = "L" + std::to_string(state);
        add("ROOT", treeItem(name, "1.00.00", state));
        const int expected = state >= 0 && state < 5 ? state : 0;
        EXPECT_EQ(imageOf(tree.itemByName(QString::fromStdString(name))->icon(0)), faces[expected])
            << state;
    }
    engine::TreeItem changed = treeItem("L1", "1.00.00", 4);
    tree.SETITEMATTRIBUTES(changed);
    EXPECT_EQ(imageOf(tree.itemByName("L1")->icon(0)), faces[4]);

    EXPECT_EQ(app::ICO_00().pixmap(32, 32).size(), QSize(32, 32));
}

TEST_F(TreeTest, InPlaceEditChangesTheCaptionOnly)
{
    addSections();
    host.show();
    tree.PBEXPAND();
    QTreeWidgetItem* item = tree.itemByName("L2");
    tree.editItem(item);
    auto* editor = tree.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("Scavi e sbancamenti");
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits through a queued call.
    QApplication::processEvents();

    const auto read = tree.GETITEMATTRIBUTES("L2");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->caption, "Scavi e sbancamenti");
    EXPECT_EQ(read->value, "1.02.00");
    EXPECT_EQ(tree.ITEMCOUNT(), 6);
    EXPECT_FALSE(tree.GETITEMATTRIBUTES("Scavi e sbancamenti"));
    EXPECT_TRUE(tree.DELETEITEM("L2"));
    EXPECT_FALSE(tree.GETITEMATTRIBUTES("L2"));
}

} // namespace
