#include "framework/save_chooser.h"

#include "framework/msgbox.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>
#include <QStringList>

#include <algorithm>
#include <cstdlib>

namespace framework {

namespace {

struct Script {
    QStringList answers;
    QString lastProposed;
};
Script& script()
{
    static Script s;
    return s;
}

QString askWithDialog(QWidget* owner, const QString& proposed)
{
    QFileDialog dialog(owner, QStringLiteral("Salva con nome"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked below, in Italian
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Salva in:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nome file:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo file:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Salva"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Annulla"));
    dialog.setNameFilters({QStringLiteral("Documenti di Word (*.doc *.docx)"), QStringLiteral("Tutti i file (*)")});
    const QFileInfo info(proposed);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
    // Wide enough for the folder's path, and the file list's columns (type, date) whole.
    dialog.resize(std::max(dialog.sizeHint().width(), 820), std::max(dialog.sizeHint().height(), 480));
    if (auto* list = dialog.findChild<QTreeView*>()) {
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString chooseFileToSave(QWidget* owner, const QString& proposed)
{
    script().lastProposed = proposed;
    for (;;) {
        QString chosen;
        if (!script().answers.isEmpty())
            chosen = script().answers.takeFirst();
        else if (vendrik::MessageBoxLog::scripted()) {
            qFatal("Salva con nome without a queued answer: %s", qPrintable(proposed));
            std::abort(); // qFatal is not declared noreturn in Qt 6.4
        } else
            chosen = askWithDialog(owner, proposed);
        if (chosen.isEmpty() || !QFileInfo::exists(chosen))
            return chosen;
        const QString question = chosen + QStringLiteral("\r\nIl file esiste già. Sostituirlo?");
        if (vendrik::messageBox(owner, question, QString::fromLatin1(kProgramTitle), vendrik::mb::YesNo | vendrik::mb::Exclamation)
            == vendrik::answer::Yes)
            return chosen;
    }
}

namespace SaveChooserScript {
void queueAnswer(const QString& path) { script().answers << path; }
int pending() { return static_cast<int>(script().answers.size()); }
QString lastProposed() { return script().lastProposed; }
void reset() { script() = Script{}; }
} // namespace SaveChooserScript

} // namespace framework
