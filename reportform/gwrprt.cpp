#include "reportform/gwrprt.h"

#include "reportform/display_lines.h"
#include "reportform/field_spec.h"
#include "runtime/dates.h"
#include "runtime/file_lookup.h"
#include "runtime/msgbox.h"

#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace vendrik {

namespace {

std::string local(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromLocal(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// The code of a listed file: its name up to its first point, in capitals as the file lookup
// takes them, so that the code's file is found again. A name without a point is a code as a
// whole.
QString codeOf(const std::string& fileName)
{
    return fromLocal(upperCaseName(fileName.substr(0, fileName.find('.'))));
}

} // namespace

GWrprt::GWrprt(QWidget* oParent, const QString& cPath) : _GWrprt(oParent)
{
    for (QLineEdit* counter : {NSEL, NSTA, NSUB}) {
        new FieldSpec(counter, 'N', 10, 0);
        counter->setText(QStringLiteral("0"));
    }
    new FieldSpec(DREP, 'D', 8, 0);
    DREP->setText(formatDate(QDate::currentDate()));
    this->cPath = cPath;
    lSel = true;

    for (QListWidget* list : {CCOD, CARC})
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list] { ListBoxSelect(list); });
}

GWrprt& GWrprt::MTDGetData0(const QStringList& aMasks)
{
    // The masks go straight after the folder text, as the user wrote it.
    const QString folderText = trimTrailingBlanks(cPath);
    QStringList codes;
    for (const QString& mask : aMasks) {
        const QString pattern = folderText + mask;
        const qsizetype slash = pattern.lastIndexOf(u'/');
        const QString folder = pattern.left(slash + 1);
        const QString names = pattern.mid(slash + 1);
        for (const std::string& name : listFiles(local(folder), local(names), true))
            codes.append(codeOf(name));
    }
    {
        // Filling and the first selection are the program's, not the user's: no event.
        const QSignalBlocker quiet(CCOD);
        CCOD->clear();
        CCOD->addItems(codes);
        if (CCOD->count() > 0)
            CCOD->setCurrentRow(0);
    }
    if (CCOD->count() > 0)
        MTDGetData1();
    return *this;
}

bool GWrprt::MTDGetData1()
{
    const QList<QListWidgetItem*> selected = CCOD->selectedItems();
    // No code selected, or the code loaded last, or tried: nothing to do, even after a failure.
    if (selected.isEmpty() || selected.first()->text() == cCodSel)
        return true;
    const QString code = selected.first()->text();

    resetDefinition();
    cCodSel = code;
    CDES->clear();
    {
        const QSignalBlocker quiet(CARC);
        CARC->clear();
    }

    bool ok = true;
    QString message;
    const QString name = cCodSel + QStringLiteral(".TXT");
    const auto path = findFile(local(cPath), local(name));
    if (!path) {
        ok = false;
        message = QStringLiteral("Non esiste ") + fromLocal(joinPath(local(cPath), local(name)));
    } else if (const DefinitionText read = readDefinition(fromLocal(*path)); !read.ok) {
        ok = false;
        message = read.message;
    } else {
        ReportDefinition definition;
        const ParseOutcome outcome = parseDefinition(read.text, definition);
        storeDefinition(definition);
        ok = outcome.ok;
        message = outcome.message;
    }

    PBAVVIA->setEnabled(ok);
    if (!ok)
        messageBox(this, message, QString::fromLatin1(kInfoCaption), mb::Information | mb::Ok);
    return ok;
}

void GWrprt::resetDefinition()
{
    cSort.clear();
    cLoop.clear();
    for (QString* s : {&cNomHR, &cNomHP, &cNomGP, &cNomDP, &cNomBR, &cCodHR, &cCodHP, &cCodGP, &cCodDP, &cCodBR})
        s->clear();
    aFile.clear();
    aTabl.clear();
    for (QList<ReportEntry>* entries : {&aComHR, &aComHP, &aComGP, &aComDP, &aComBR})
        entries->clear();
}

void GWrprt::storeDefinition(const ReportDefinition& definition)
{
    QString description = definition.description;
    CDES->setPlainText(description.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    aFile = definition.files;
    {
        const QSignalBlocker quiet(CARC);
        CARC->addItems(aFile);
    }
    cSort = definition.sort;
    cLoop = definition.loop;
    aTabl = definition.tables;
    QString* names[] = {&cNomHR, &cNomHP, &cNomGP, &cNomDP, &cNomBR};
    QString* codes[] = {&cCodHR, &cCodHP, &cCodGP, &cCodDP, &cCodBR};
    QList<ReportEntry>* entries[] = {&aComHR, &aComHP, &aComGP, &aComDP, &aComBR};
    for (int i = 0; i < kSectionCount; ++i) {
        *names[i] = definition.sections[i].name;
        *codes[i] = definition.sections[i].code;
        *entries[i] = definition.sections[i].entries;
    }
}

void GWrprt::ListBoxSelect(QObject* control)
{
    if (control && control->objectName() == QLatin1String("CCOD")) {
        lSel = true;
        MTDGetData1();
    }
}

void GWrprt::PBAnnulla()
{
    lAnn = true;
}

void GWrprt::PBChiudi()
{
    accept();
}

QStringList GWrprt::MTDmemo(const QString& cText, int nLineLen, int nTabSize, bool lWrap, bool lKeepEmpty)
{
    return memoLines(cText, nLineLen, nTabSize, lWrap, lKeepEmpty);
}

QString GWrprt::MTDMem2Str(const QString& cMemo, bool lKeepEmpty, const QString& cSep)
{
    return memoToString(cMemo, lKeepEmpty, cSep);
}

} // namespace vendrik
