// An example host of the library's report form: vendrik-reports FOLDER [MASK...]
// Opens the form on the report definitions of FOLDER (masks "*.TXT" when none are given) and,
// once it is closed, prints what the form holds of the definition loaded last.
#include "reportform/vendrik_reports.h"

#include <QApplication>
#include <QTextStream>

namespace {

void printLoaded(const vendrik::GWrprt& form)
{
    QTextStream out(stdout);
    out << "Codice: " << form.cCodSel << "\n";
    out << "Archivi: " << form.aFile.join(QStringLiteral(", ")) << "\n";
    out << "Ordinamento: " << form.cSort << "\n";
    out << "Tabelle: " << form.aTabl.join(QStringLiteral(", ")) << "\n";
    const struct {
        const char* id;
        const QString& name;
        const QString& code;
        const QList<vendrik::ReportEntry>& entries;
    } sections[] = {{"HR", form.cNomHR, form.cCodHR, form.aComHR}, {"HP", form.cNomHP, form.cCodHP, form.aComHP},
                    {"GP", form.cNomGP, form.cCodGP, form.aComGP}, {"DP", form.cNomDP, form.cCodDP, form.aComDP},
                    {"BR", form.cNomBR, form.cCodBR, form.aComBR}};
    for (const auto& s : sections) {
        out << "[" << s.id << "] " << s.name << " (" << s.code << ")\n";
        for (const auto& e : s.entries)
            out << "    " << e.key << " = " << e.value << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Before the application: the usage needs no display.
    if (argc < 2) {
        QTextStream(stderr) << "uso: vendrik-reports CARTELLA [MASCHERA...]\n";
        return 2;
    }
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    // The form appends the masks to the folder text as it stands.
    QString folder = args.takeFirst();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const QStringList masks = args.isEmpty() ? QStringList{QStringLiteral("*.TXT")} : args;

    vendrik::GWrprt form(nullptr, folder);
    form.MTDGetData0(masks);
    form.exec();
    printLoaded(form);
    return 0;
}
