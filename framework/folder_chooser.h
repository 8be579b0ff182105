#pragma once

#include <QString>

class QWidget;

namespace framework {

// The folder-browsing dialog: modal, opened at `start`; the chosen folder's full path, or an
// empty string when the user cancels.
QString chooseFolder(QWidget* owner, const QString& start);

// Test hooks: while answers are queued no dialog is shown; each call takes the next answer
// ("" is a cancel) and records the folder it was opened at.
namespace FolderChooserScript {
void queueAnswer(const QString& folder);
int pending();
QString lastStart();
void reset();
} // namespace FolderChooserScript

} // namespace framework
