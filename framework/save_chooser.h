#pragma once

#include <QString>

class QWidget;

namespace framework {

// The "Salva con nome" dialog: modal, opened in the folder of `proposed` with its file name
// filled in. The chosen file's full path, or an empty string when the user cancels; choosing a
// file that exists asks first whether to replace it.
QString chooseFileToSave(QWidget* owner, const QString& proposed);

// Test hooks: while answers are queued no dialog is shown; each call takes the next answer
// ("" is a cancel) and records the path it proposed. With the message boxes scripted and no
// answer queued the process ends through qFatal: nobody would answer the dialog.
namespace SaveChooserScript {
void queueAnswer(const QString& path);
int pending();
QString lastProposed();
void reset();
} // namespace SaveChooserScript

} // namespace framework
