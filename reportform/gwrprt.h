#pragma once

#include "reportform/definition.h"
#include "reportform/gwrprt_layout.h"
#include "runtime/vendrik_export.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vendrik {

// The report form: lists the report definitions of a folder in "Reports", loads the one picked
// and keeps what it holds in the fields below. A host creates it on a folder, calls
// MTDGetData0 with the masks to list and shows it modally; "Chiudi" or the window's close ends
// it and the fields stay readable. "Avvia", "Limiti" and "?" have no action here.
class VENDRIK_EXPORT GWrprt : public _GWrprt {
    Q_OBJECT

public:
    // `cPath` is the folder text the masks are appended to, so it ends with "/".
    GWrprt(QWidget* oParent, const QString& cPath);

    bool lAnn = false;
    bool lSel = false;
    QString cCodSel;
    QString cSort;
    QString cLoop;
    QString cNomHR, cNomHP, cNomGP, cNomDP, cNomBR;
    QString cCodHR, cCodHP, cCodGP, cCodDP, cCodBR;
    QStringList aFile;
    QStringList aTabl;
    QList<ReportEntry> aComHR, aComHP, aComGP, aComDP, aComBR;
    QString cPath;

    // Fills "Reports" with the codes of the files that match each mask and loads the first.
    GWrprt& MTDGetData0(const QStringList& aMasks);
    // Loads the definition of the code selected in "Reports"; false after a failure, which it
    // shows in an information box.
    bool MTDGetData1();

    // The display lines of a text and the lines of a text joined; offered to hosts.
    static QStringList MTDmemo(const QString& cText, int nLineLen, int nTabSize, bool lWrap, bool lKeepEmpty);
    static QString MTDMem2Str(const QString& cMemo, bool lKeepEmpty = false, const QString& cSep = {});

public slots:
    // A change of selection in "Reports" (loads) or "Archivi" (nothing more); null for none.
    void ListBoxSelect(QObject* control);
    void PBAnnulla();
    void PBChiudi();

private:
    void resetDefinition();
    void storeDefinition(const ReportDefinition& definition);
};

} // namespace vendrik
