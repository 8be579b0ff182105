#pragma once

#include "runtime/msgbox_codes.h"
#include "runtime/vendrik_export.h"

#include <QPointer>
#include <QString>

#include <cstddef>
#include <vector>

class QWidget;

namespace vendrik {

inline constexpr const char* kInfoCaption = "INFO";

// Shows a modal box and returns answer::Ok, Yes, No or Cancel (Annulla of a mb::YesNoCancel
// box). Buttons other than Sì/No and Sì/No/Annulla give a single OK. CR LF in the text breaks
// lines.
VENDRIK_EXPORT int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type);

// A box as the program asked for it.
struct ShownBox {
    QString caption;
    QString text; // as given, CR LF included
    unsigned type = 0;
    QPointer<QWidget> owner; // null for a box without an owner (or once the owner is gone)
};

// Test hooks: one recorder for the whole process (program and library alike), GUI thread only.
//
// Every box is recorded. While answers are queued or scripted mode is on, no dialog is shown:
// the next queued answer is returned. With the queue empty in scripted mode an OK-only box
// returns OK, while a Sì/No box ends the process through qFatal with its caption and text:
// nobody decided that answer, so the run must not go on with a guess. A queued answer the box
// cannot give (Sì to an OK box, OK to a Sì/No box) ends it the same way, since the script is
// out of step with the boxes.
class VENDRIK_EXPORT MessageBoxLog {
public:
    static void setScripted(bool on);
    static bool scripted();
    static void queueAnswer(int answer);
    static std::size_t pendingAnswers();
    static const std::vector<ShownBox>& shown();
    // Forgets the boxes recorded so far.
    static void clear();
    // Scripted mode off, no queued answers, nothing recorded.
    static void reset();
};

} // namespace vendrik
