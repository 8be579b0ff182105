#include "framework/folder_chooser.h"

#include <QFileDialog>
#include <QStringList>

namespace framework {

namespace {
struct Script {
    QStringList answers;
    QString lastStart;
};
Script& script()
{
    static Script s;
    return s;
}
} // namespace

QString chooseFolder(QWidget* owner, const QString& start)
{
    script().lastStart = start;
    if (!script().answers.isEmpty())
        return script().answers.takeFirst();
    return QFileDialog::getExistingDirectory(owner, QString(), start);
}

namespace FolderChooserScript {
void queueAnswer(const QString& folder) { script().answers << folder; }
int pending() { return static_cast<int>(script().answers.size()); }
QString lastStart() { return script().lastStart; }
void reset() { script() = Script{}; }
} // namespace FolderChooserScript

} // namespace framework
