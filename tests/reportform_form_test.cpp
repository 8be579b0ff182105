// The report form and the print-limits dialog as a host uses them: listing a folder of
// definitions, loading by selection, the messages in the INFO box, the buttons without action,
// and the report icon. Every box is scripted.
#include "runtime/dates.h"
#include "runtime/dialog_units.h"
#include "reportform/vendrik_reports.h"
#include "tests/qstring_printer.h"
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QTest>

#include <functional>


namespace {

using namespace vendrik;
namespace fs = std::filesystem;

std::string crlf(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* l : lines)
        out += std::string(l) + "\r\n";
    return out;
}

// A sound definition whose description and data file carry its name.
std::string definition(const std::string& name)
{
    return crlf({"[INI_DESC]", ("Descrizione " + name).c_str(), "[END_DESC]", "[INI_FILE]", (name + ".DBF").c_str(),
                 "[END_FILE]", "[INI_SORT]", "CODICE", "[END_SORT]", "[INI_LOOP]", "SCAN", "[END_LOOP]", "[INI_TABL]",
                 "A->B", "[END_TABL]", "[INI_XCOM]", "[HR]-Testata    R1", "[K]       : v", "[HP]-Pagina", "[GP]-Gruppo",
                 "[DP]-Dettaglio", "[BR]-Chiusura", "[END_XCOM]"});
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// The user's click on a row: the list's own selection signals run, as they do for a mouse.
void clickRow(QListWidget* list, int row)
{
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

class ReportFormTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        MessageBoxLog::reset();
        MessageBoxLog::setScripted(true);
    }
    void TearDown() override
    {
        MessageBoxLog::reset();
        TempDirTest::TearDown();
    }

    QString folder() const { return QString::fromStdString(dir_.string()) + u'/'; }
    void write(const std::string& name, const std::string& bytes) { testsupport::writeFile(dir_ / name, bytes); }

    // The INFO boxes shown so far, each as "caption|type|text", owned by `form`.
    QStringList boxes(const QWidget* form) const
    {
        QStringList out;
        for (const ShownBox& b : MessageBoxLog::shown()) {
            EXPECT_EQ(b.owner.data(), form);
            out.append(QStringLiteral("%1|0x%2|%3").arg(b.caption).arg(b.type, 2, 16, QLatin1Char('0')).arg(b.text));
        }
        return out;
    }
};

TEST_F(ReportFormTest, AfterConstructionTheFormIsEmptyWithItsCountersAndDate)
{
    write("ALFA.TXT", definition("ALFA"));
    GWrprt form(nullptr, folder());
    EXPECT_EQ(form.CCOD->count(), 0);
    EXPECT_TRUE(form.CDES->toPlainText().isEmpty());
    EXPECT_EQ(form.CARC->count(), 0);
    EXPECT_TRUE(form.PBAVVIA->isEnabled());
    EXPECT_FALSE(form.PBANNULLA->isEnabled());
    EXPECT_TRUE(form.PBCHIUDI->isDefault());
    for (QLineEdit* counter : {form.NSEL, form.NSTA, form.NSUB}) {
        SCOPED_TRACE(counter->objectName().toStdString());
        EXPECT_EQ(counter->text(), QStringLiteral("0"));
        EXPECT_EQ(counter->maxLength(), 10);
        EXPECT_TRUE(counter->isReadOnly());
        int pos = 0;
        QString typed = QStringLiteral("12a");
        EXPECT_NE(counter->validator()->validate(typed, pos), QValidator::Acceptable);
    }
    EXPECT_EQ(form.DREP->text(), QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    EXPECT_FALSE(form.DREP->isReadOnly());
    EXPECT_TRUE(form.CDES->isReadOnly());
    EXPECT_TRUE(form.CCOD->isSortingEnabled());
    EXPECT_FALSE(form.CARC->isSortingEnabled());
    EXPECT_EQ(form.PB1->value(), 0);
    EXPECT_TRUE(form.FTSUB->text().isEmpty());
    EXPECT_EQ(form.GB2->title(), QStringLiteral("SubRoutines"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Reports "));
    EXPECT_TRUE(form.isModal());
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.size(), dialogUnitsToPixels(dialogFont(), 0, 0, 303, 181).size());
    EXPECT_EQ(form.CCOD->geometry(), dialogUnitsToPixels(dialogFont(), 8, 78, 80, 72));
    EXPECT_TRUE(form.lSel);
    EXPECT_FALSE(form.lAnn);
    EXPECT_EQ(form.cPath, folder());
    EXPECT_TRUE(form.cCodSel.isEmpty());
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(ReportFormTest, ADateTypedIntoTheReportDateIsShownInTheDateFormat)
{
    GWrprt form(nullptr, folder());
    const struct {
        const char* typed;
        const char* shown;
    } cases[] = {{"1.2.2024", "01.02.2024"}, {"31-12-2023", "31.12.2023"}, {"non è una data", ""}};
    for (const auto& c : cases) {
        form.DREP->setText(QString::fromUtf8(c.typed));
        emit form.DREP->editingFinished();
        EXPECT_EQ(form.DREP->text(), QString::fromLatin1(c.shown));
    }
}

TEST_F(ReportFormTest, ListingTakesTheCodesOfTheMatchingFilesSorted)
{
    const struct {
        const char* what;
        std::vector<const char*> files;
        QStringList masks;
        QStringList codes;
    } cases[] = {
        {"two points", {"abc.def.txt"}, {"*.txt"}, {"ABC"}},
        {"a leading point", {".txt"}, {"*.txt"}, {""}},
        {"two masks, one file", {"ALFA.TXT"}, {"*.TXT", "A*.TXT"}, {"ALFA", "ALFA"}},
        {"one name, two extensions", {"alfa.txt", "alfa.dat"}, {"*.*"}, {"ALFA", "ALFA"}},
        {"sorted whatever the masks", {"zeta.txt", "beta.txt", "alfa.txt"}, {"z*.txt", "b*.txt", "a*.txt"}, {"ALFA", "BETA", "ZETA"}},
        {"masks by any case", {"gamma.txt"}, {"G*.TXT"}, {"GAMMA"}},
        {"a name without a point", {"LEGGIMI"}, {"*"}, {"LEGGIMI"}},
        {"nothing matches", {"alfa.doc"}, {"*.txt"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir_);
        fs::create_directory(dir_);
        fs::create_directory(dir_ / "cartella.txt"); // folders are never listed
        for (const char* name : c.files)
            write(name, "x");
        MessageBoxLog::clear();
        GWrprt form(nullptr, folder());
        form.MTDGetData0(c.masks);
        EXPECT_EQ(items(form.CCOD), c.codes);
    }
}

TEST_F(ReportFormTest, AFolderThatDoesNotExistListsNothingAndSaysNothing)
{
    GWrprt form(nullptr, folder() + QStringLiteral("manca/"));
    form.MTDGetData0({QStringLiteral("*.TXT")});
    EXPECT_EQ(form.CCOD->count(), 0);
    EXPECT_TRUE(form.cCodSel.isEmpty());
    EXPECT_TRUE(form.PBAVVIA->isEnabled());
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(ReportFormTest, TheFirstCodeIsSelectedAndLoaded)
{
    write("beta.txt", definition("BETA"));
    write("ALFA.TXT", definition("ALFA"));
    GWrprt form(nullptr, folder());
    form.MTDGetData0({QStringLiteral("*.TXT")});
    EXPECT_EQ(items(form.CCOD), (QStringList{"ALFA", "BETA"}));
    EXPECT_EQ(form.CCOD->currentRow(), 0);
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));
    EXPECT_EQ(form.CDES->toPlainText(), QStringLiteral("Descrizione ALFA"));
    EXPECT_EQ(items(form.CARC), QStringList{"ALFA.DBF"});
    EXPECT_EQ(form.cSort, QStringLiteral("CODICE"));
    EXPECT_EQ(form.cLoop, QStringLiteral("SCAN"));
    EXPECT_EQ(form.aTabl, QStringList{"A->B"});
    EXPECT_EQ(form.cNomHR, QStringLiteral("Testata"));
    EXPECT_EQ(form.cCodHR, QStringLiteral("R1"));
    EXPECT_EQ(form.aComHR, (QList<ReportEntry>{{QStringLiteral("[K]"), QStringLiteral("v")}}));
    EXPECT_EQ(form.cNomBR, QStringLiteral("Chiusura"));
    EXPECT_TRUE(form.PBAVVIA->isEnabled());
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(ReportFormTest, SelectingInReportsLoadsAndEachFailureIsShownOnceInInfo)
{
    write("ALFA.TXT", definition("ALFA"));
    write("ROTTO.TXT", crlf({"[INI_DESC]", "Rotto", "[END_DESC]", "[INI_FILE]", "R.DBF", "[END_FILE]"}));
    write("FANTASMA.DAT", "x"); // listed, but FANTASMA.TXT does not exist
    GWrprt form(nullptr, folder());
    form.show();
    form.MTDGetData0({QStringLiteral("*.TXT"), QStringLiteral("*.DAT")});
    ASSERT_EQ(items(form.CCOD), (QStringList{"ALFA", "FANTASMA", "ROTTO"}));
    form.lSel = false;

    // A failed load keeps the blocks before the failing one and disables "Avvia".
    clickRow(form.CCOD, 2);
    EXPECT_TRUE(form.lSel);
    EXPECT_EQ(form.cCodSel, QStringLiteral("ROTTO"));
    EXPECT_EQ(form.CDES->toPlainText(), QStringLiteral("Rotto"));
    EXPECT_EQ(items(form.CARC), QStringList{"R.DBF"});
    EXPECT_TRUE(form.cSort.isEmpty());
    EXPECT_TRUE(form.cNomHR.isEmpty()); // nothing of ALFA survives
    EXPECT_FALSE(form.PBAVVIA->isEnabled());
    EXPECT_EQ(boxes(&form), QStringList{"INFO|0x40|Errore nel blocco [SORT]"});

    // The same code again: no reload, no message, "Avvia" as it was.
    MessageBoxLog::clear();
    EXPECT_TRUE(form.MTDGetData1());
    form.ListBoxSelect(form.CCOD);
    EXPECT_TRUE(MessageBoxLog::shown().empty());
    EXPECT_FALSE(form.PBAVVIA->isEnabled());

    clickRow(form.CCOD, 1);
    EXPECT_EQ(boxes(&form), QStringList{QStringLiteral("INFO|0x40|Non esiste ") + folder() + QStringLiteral("FANTASMA.TXT")});
    EXPECT_TRUE(form.CDES->toPlainText().isEmpty());
    EXPECT_EQ(form.CARC->count(), 0);
    EXPECT_FALSE(form.PBAVVIA->isEnabled());

    MessageBoxLog::clear();
    clickRow(form.CCOD, 0);
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));
    EXPECT_TRUE(form.PBAVVIA->isEnabled());
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(ReportFormTest, TheUserMovesTheSelectionOfACodeButNeverClearsIt)
{
    write("ALFA.TXT", definition("ALFA"));
    write("BETA.TXT", definition("BETA"));
    GWrprt form(nullptr, folder());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.MTDGetData0({QStringLiteral("*.TXT")});
    clickRow(form.CCOD, 1);
    ASSERT_EQ(form.cCodSel, QStringLiteral("BETA"));
    QWidget* viewport = form.CCOD->viewport();
    const QPoint onBeta = form.CCOD->visualItemRect(form.CCOD->item(1)).center();
    const QPoint belowTheCodes(onBeta.x(), form.CCOD->visualItemRect(form.CCOD->item(1)).bottom() + 20);
    ASSERT_TRUE(viewport->rect().contains(belowTheCodes));
    ASSERT_FALSE(form.CCOD->indexAt(belowTheCodes).isValid());

    const struct {
        const char* what;
        std::function<void()> act;
    } gestures[] = {
        {"a click below the last code", [&] { QTest::mouseClick(viewport, Qt::LeftButton, {}, belowTheCodes); }},
        {"a Ctrl+click there", [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, belowTheCodes); }},
        {"a Ctrl+click on the selected code", [&] { QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier, onBeta); }},
        {"Ctrl+Space on it", [&] { QTest::keyClick(form.CCOD, Qt::Key_Space, Qt::ControlModifier); }},
        {"a drag from it to below the codes",
         [&] {
             QTest::mousePress(viewport, Qt::LeftButton, {}, onBeta);
             QTest::mouseMove(viewport, belowTheCodes);
             QTest::mouseRelease(viewport, Qt::LeftButton, {}, belowTheCodes);
         }},
    };
    for (const auto& g : gestures) {
        SCOPED_TRACE(g.what);
        MessageBoxLog::clear();
        g.act();
        EXPECT_EQ(items(form.CCOD).at(form.CCOD->currentRow()), QStringLiteral("BETA"));
        ASSERT_EQ(form.CCOD->selectedItems().size(), 1);
        EXPECT_EQ(form.CCOD->selectedItems().first()->text(), QStringLiteral("BETA"));
        EXPECT_EQ(form.cCodSel, QStringLiteral("BETA"));
        EXPECT_EQ(form.CDES->toPlainText(), QStringLiteral("Descrizione BETA"));
        EXPECT_EQ(items(form.CARC), QStringList{"BETA.DBF"});
        EXPECT_EQ(form.cSort, QStringLiteral("CODICE"));
        EXPECT_TRUE(form.PBAVVIA->isEnabled());
        EXPECT_TRUE(MessageBoxLog::shown().empty());
    }

    // A Ctrl+click on another code still moves the selection there.
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
                      form.CCOD->visualItemRect(form.CCOD->item(0)).center());
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));

    // A host that clears the selection gets no load of an empty code.
    form.CCOD->clearSelection();
    EXPECT_TRUE(form.CCOD->selectedItems().isEmpty());
    EXPECT_TRUE(form.MTDGetData1());
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));
    EXPECT_EQ(form.CDES->toPlainText(), QStringLiteral("Descrizione ALFA"));
    EXPECT_EQ(items(form.CARC), QStringList{"ALFA.DBF"});
    EXPECT_TRUE(form.PBAVVIA->isEnabled());
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(ReportFormTest, CodesWithAccentsListInCapitalsAndLoadTheirFile)
{
    const struct {
        const char* file;
        const char* mask;
        const char* code;
    } cases[] = {
        {"città.txt", "*.TXT", "CITTÀ"},
        {"città.txt", "C?TT?.TXT", "CITTÀ"},
        {"Perché.Txt", "perch?.txt", "PERCHÉ"},
        {"straße.txt", "*.txt", "STRAßE"}, // one capital for one letter: ß has none
        {"οδός.txt", "*.TXT", "ΟΔΌΣ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove_all(dir_);
        fs::create_directory(dir_);
        write(c.file, definition("X"));
        MessageBoxLog::clear();
        GWrprt form(nullptr, folder());
        form.MTDGetData0({QString::fromUtf8(c.mask)});
        EXPECT_EQ(items(form.CCOD), QStringList{QString::fromUtf8(c.code)});
        EXPECT_EQ(form.cCodSel, QString::fromUtf8(c.code));
        EXPECT_EQ(form.CDES->toPlainText(), QStringLiteral("Descrizione X"));
        EXPECT_TRUE(form.PBAVVIA->isEnabled());
        EXPECT_TRUE(MessageBoxLog::shown().empty());
    }
}

TEST_F(ReportFormTest, ArchiviShowsWholeNamesAndScrollsWhereTheyAreWider)
{
    write("LUNGO.TXT", definition("CANTIERI"));
    write("CORTO.TXT", definition("A"));
    GWrprt form(nullptr, folder());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.MTDGetData0({QStringLiteral("LUNGO.TXT"), QStringLiteral("CORTO.TXT")});
    const QRect box = dialogUnitsToPixels(dialogFont(), 242, 78, 56, 72);
    const struct {
        int row;
        const char* name;
        bool scrolls;
    } cases[] = {{1, "CANTIERI.DBF", true}, {0, "A.DBF", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clickRow(form.CCOD, c.row);
        QApplication::processEvents();
        ASSERT_EQ(items(form.CARC), QStringList{c.name});
        EXPECT_EQ(form.CARC->geometry(), box);
        EXPECT_EQ(form.CARC->textElideMode(), Qt::ElideNone);
        const int textWidth = form.CARC->fontMetrics().horizontalAdvance(QString::fromLatin1(c.name));
        EXPECT_GE(form.CARC->visualItemRect(form.CARC->item(0)).width(), textWidth);
        // The name with its margins is wider than the box, or not, as the case says.
        EXPECT_EQ(form.CARC->sizeHintForColumn(0) > form.CARC->viewport()->width(), c.scrolls);
        EXPECT_EQ(form.CARC->horizontalScrollBar()->isVisible(), c.scrolls);
    }
    // Scrolled to its end, the name's last letters are in sight.
    clickRow(form.CCOD, 1);
    QApplication::processEvents();
    form.CARC->horizontalScrollBar()->setValue(form.CARC->horizontalScrollBar()->maximum());
    EXPECT_GT(form.CARC->horizontalScrollBar()->value(), 0);
    EXPECT_LE(form.CARC->visualItemRect(form.CARC->item(0)).right(), form.CARC->viewport()->width());
}

TEST_F(ReportFormTest, SelectingInArchiviLoadsNothing)
{
    write("ALFA.TXT", definition("ALFA"));
    write("BETA.TXT", definition("BETA"));
    GWrprt form(nullptr, folder());
    form.show();
    form.MTDGetData0({QStringLiteral("*.TXT")});
    // BETA selected without an event: only a load would take it.
    {
        const QSignalBlocker quiet(form.CCOD);
        form.CCOD->setCurrentRow(1);
    }
    form.lSel = false;
    clickRow(form.CARC, 0);
    EXPECT_TRUE(form.CARC->item(0)->isSelected());
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));
    EXPECT_EQ(form.CDES->toPlainText(), QStringLiteral("Descrizione ALFA"));
    EXPECT_FALSE(form.lSel);
    form.ListBoxSelect(nullptr);
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));
    EXPECT_TRUE(MessageBoxLog::shown().empty());
}

TEST_F(ReportFormTest, DamagedDefinitionsGiveAClearOutcome)
{
    std::string crOnly = definition("CR");
    std::string binary(2048, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 31);
    for (std::size_t i; (i = crOnly.find("\r\n")) != std::string::npos;)
        crOnly.replace(i, 2, "\r");
    write("BINARIO.TXT", binary);
    write("CR.TXT", crOnly);
    write("ENORME.TXT", "");
    fs::resize_file(dir_ / "ENORME.TXT", std::uintmax_t(100) * 1024 * 1024);
    write("VUOTO.TXT", "");
    const struct {
        int row;
        const char* code;
        QString box; // empty: loads without a message
    } cases[] = {
        {0, "BINARIO", QStringLiteral("INFO|0x40|Errore nel blocco [DESC]")},
        {1, "CR", QString()},
        {2, "ENORME", QStringLiteral("INFO|0x40|Definizione troppo grande (oltre 1 MB): ") + folder() + QStringLiteral("ENORME.TXT")},
        {3, "VUOTO", QStringLiteral("INFO|0x40|Errore nel blocco [DESC]")},
    };
    GWrprt form(nullptr, folder());
    form.show();
    form.MTDGetData0({QStringLiteral("*.TXT")}); // loads the first
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        if (c.row > 0) {
            MessageBoxLog::clear();
            clickRow(form.CCOD, c.row);
        }
        EXPECT_EQ(form.cCodSel, QString::fromLatin1(c.code));
        EXPECT_EQ(boxes(&form), c.box.isEmpty() ? QStringList{} : QStringList{c.box});
        EXPECT_EQ(form.PBAVVIA->isEnabled(), c.box.isEmpty());
    }
}

TEST_F(ReportFormTest, ButtonsWithoutActionChangeNothingAndAnnullaOnlySetsItsFlag)
{
    write("ALFA.TXT", definition("ALFA"));
    GWrprt form(nullptr, folder());
    form.show();
    form.MTDGetData0({QStringLiteral("*.TXT")});
    for (QPushButton* button : {form.PBAVVIA, form.PBLIMITI, form.PBHELP, form.PBANNULLA}) {
        SCOPED_TRACE(button->text().toStdString());
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(form.lAnn);
        EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA"));
        EXPECT_TRUE(form.PBAVVIA->isEnabled());
        EXPECT_EQ(QApplication::topLevelWidgets().count(&form), 1);
        EXPECT_EQ(qApp->activeModalWidget(), &form); // no other window came up
    }
    EXPECT_TRUE(MessageBoxLog::shown().empty());

    // A host that enables "Annulla" gets its flag, and the form stays open.
    form.PBANNULLA->setEnabled(true);
    QTest::mouseClick(form.PBANNULLA, Qt::LeftButton);
    EXPECT_TRUE(form.lAnn);
    EXPECT_TRUE(form.isVisible());

    QTest::mouseClick(form.PBCHIUDI, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.cCodSel, QStringLiteral("ALFA")); // the host may still read the form
}

TEST(LimitsDialogTest, ShowsAnEmptyTabControlAndThreeButtonsWithoutAction)
{
    _GWlim1 dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Limiti di Stampa"));
    EXPECT_TRUE(dialog.isModal());
    EXPECT_FALSE(dialog.windowFlags() & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint));
    EXPECT_FALSE(dialog.windowIcon().isNull());
    EXPECT_EQ(dialog.TC->count(), 0);
    EXPECT_EQ(dialog.TC->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(dialog.size(), dialogUnitsToPixels(dialogFont(), 0, 0, 262, 280).size());
    EXPECT_EQ(dialog.TC->geometry(), dialogUnitsToPixels(dialogFont(), 1, 2, 260, 254));
    const QStringList captions = {"OK", "Annulla", "Inizio"};
    const QList<QPushButton*> buttons = {dialog.PBOK, dialog.PBANNULLA, dialog.PBINIZIO};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(captions[i].toStdString());
        EXPECT_EQ(buttons[i]->text(), captions[i]);
        EXPECT_FALSE(buttons[i]->isDefault());
        EXPECT_FALSE(buttons[i]->autoDefault());
        QTest::mouseClick(buttons[i], Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.TC->count(), 0);
    }
}

// A host's subclass that gives "OK" an action: the click reaches the slot of the button's name.
class HostLimits : public _GWlim1 {
    Q_OBJECT
public:
    int oks = 0;
public slots:
    void PBOk() { ++oks; }
};

TEST(LimitsDialogTest, ASubclassSlotNamedAfterAButtonGetsItsClicks)
{
    HostLimits dialog;
    dialog.show();
    QTest::mouseClick(dialog.PBOK, Qt::LeftButton);
    QTest::mouseClick(dialog.PBINIZIO, Qt::LeftButton);
    EXPECT_EQ(dialog.oks, 1);
}

TEST(ReportIconTest, IsAnOpaque32PixelPrinterInSixteenColours)
{
    const QImage image = I_RP0().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = image.pixel(x, y);
            EXPECT_EQ(qAlpha(c), 255);
            colours.insert(c);
        }
    EXPECT_LE(colours.size(), 16);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));           // black ground
    EXPECT_EQ(image.pixel(10, 1), qRgb(255, 255, 255));    // the sheet
    EXPECT_EQ(image.pixel(12, 3), qRgb(0, 0, 255));        // its lines
    EXPECT_EQ(image.pixel(10, 18), qRgb(192, 192, 192));   // the printer
}

} // namespace

#include "reportform_form_test.moc"
