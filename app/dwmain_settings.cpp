// Start-up and reload of the main window, its folder choosers and view switches.
#include "app/dwmain.h"

#include "framework/folder_chooser.h"
#include "framework/inifile.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace app {

namespace {

constexpr const char* kSettingsFile = "ORMK";
constexpr const char* kSection = "STP1";
constexpr int kMenuLoad = 11057;
constexpr unsigned kMaxPrintPause = 60;

// Every occurrence of `what` removed from `text`, letters compared without regard to case.
QString removeAll(QString text, const QString& what)
{
    if (what.isEmpty())
        return text;
    for (qsizetype at; (at = text.indexOf(what, 0, Qt::CaseInsensitive)) >= 0;)
        text.remove(at, what.size());
    return text;
}

} // namespace

void DWMAIN::writeSetting(const char* key, const std::string& value)
{
    framework::INIFILE(kSettingsFile).WRITESTRING(kSection, key, value);
}

void DWMAIN::MTDINIT()
{
    const framework::INIFILE ini(kSettingsFile);
    state_.cRootDir = ini.GETSTRING(kSection, "SLE0");
    state_.cDossierDir = ini.GETSTRING(kSection, "SLE1");
    state_.lShowNotes = ini.GETNUMBER(kSection, "CB1") == 1;
    state_.lShowStatus = ini.GETNUMBER(kSection, "CB2") == 1;
    state_.lShowDetail = ini.GETNUMBER(kSection, "CB3") == 1;
    state_.nSle9 = static_cast<std::uint16_t>(ini.GETNUMBER(kSection, "SLE9"));
    if (state_.nSle9 > kMaxPrintPause)
        state_.nSle9 = kMaxPrintPause;

    SLEDIR0->setText(QString::fromStdString(state_.cRootDir));
    SLEDIR1->setText(QString::fromStdString(state_.cDossierDir));
    CB1->setChecked(state_.lShowNotes);
    CB2->setChecked(state_.lShowStatus);
    CB3->setChecked(state_.lShowDetail);
    if (!state_.lShowStatus) {
        state_.lShowDetail = false;
        CB3->setChecked(false);
        CB3->setEnabled(false);
    }

    createHelpDisplay();
    engine_.lDocsOpen = false;
    engine_.lIndexLoaded = engine_.MTDLOAD1();
    if (engine_.lIndexLoaded) {
        enableMenuItem(kMenuLoad, true);
        engine_.FNZLOAD();
    } else {
        enableMenuItem(kMenuLoad, false);
        engine_.MTDLOAD0();
    }
}

void DWMAIN::PBDIR0()
{
    const QString chosen = framework::chooseFolder(this, SLEDIR0->text()).trimmed();
    if (chosen.isEmpty())
        return;
    // The folder keeps the case the user chose: paths here are case-sensitive.
    SLEDIR0->setText(chosen);
    writeSetting("SLE0", SLEDIR0->text().trimmed().toStdString());
    MTDINIT();
}

void DWMAIN::PBDIR1()
{
    const QString base = QString::fromStdString(state_.cRootDir) + "/DATI";
    const QString chosen = framework::chooseFolder(this, base + SLEDIR1->text()).trimmed();
    if (chosen.isEmpty())
        return;
    if (!chosen.contains(base, Qt::CaseInsensitive)) {
        messageBox("Cartella non valida", engine::kCaptionCorvalta, engine::mb::Question);
        return;
    }
    SLEDIR1->setText(removeAll(chosen, base).trimmed());
    writeSetting("SLE1", SLEDIR1->text().trimmed().toStdString());
    state_.cDossierDir = SLEDIR1->text().toStdString();
    engine_.FNZLOAD();
}

void DWMAIN::BUTTONCLICK(QObject* control)
{
    if (control == CB1) {
        writeCheck("CB1", CB1->isChecked());
        state_.lShowNotes = CB1->isChecked();
        if (state_.lShowNotes)
            engine_.MTDLOAD3();
        else
            MLE1->clear();
    } else if (control == CB2) {
        writeCheck("CB2", CB2->isChecked());
        state_.lShowStatus = CB2->isChecked();
        if (state_.lShowStatus) {
            CB3->setEnabled(true);
            const engine::TreeUpdateSuspension suspended(*this);
            engine_.MTDSTATUS1(true);
        } else {
            CB3->setChecked(false);
            CB3->setEnabled(false);
            writeCheck("CB3", CB3->isChecked());
            state_.lShowDetail = CB3->isChecked();
            engine_.MTDRESET2();
            engine_.MTDRESET1();
        }
    } else if (control == CB3) {
        writeCheck("CB3", CB3->isChecked());
        state_.lShowDetail = CB3->isChecked();
        if (state_.lShowDetail) {
            const engine::TreeUpdateSuspension suspended(*this);
            engine_.MTDSTATUS2(true);
        } else {
            engine_.MTDRESET2();
        }
    }
}

void DWMAIN::TREEVIEWSELECTIONCHANGED(const QString& name)
{
    if (!state_.lShowNotes)
        return;
    MLE1->clear();
    if (name.startsWith(u'L'))
        engine_.MTDLOAD3();
}

} // namespace app
