#include "runtime/msgbox.h"

#include <QMessageBox>
#include <QPushButton>

#include <cstdlib>
#include <deque>

namespace vendrik {

namespace {

struct Recorder {
    bool scripted = false;
    std::deque<int> answers;
    // A session shows a handful of boxes; keeping them all costs nothing.
    std::vector<ShownBox> shown;
};

Recorder& recorder()
{
    static Recorder r;
    return r;
}

bool isYesNo(unsigned type)
{
    return (type & mb::ButtonMask) == mb::YesNo;
}

bool isYesNoCancel(unsigned type)
{
    return (type & mb::ButtonMask) == mb::YesNoCancel;
}

// A box that asks a question: nobody may guess its answer.
bool asks(unsigned type)
{
    return isYesNo(type) || isYesNoCancel(type);
}

[[noreturn]] void scriptFailure(const QString& what, const ShownBox& box)
{
    qFatal("%s: [%s] %s", qPrintable(what), qPrintable(box.caption), qPrintable(box.text));
    std::abort(); // qFatal is not declared noreturn in Qt 6.4
}

int scriptedAnswer(const ShownBox& box)
{
    auto& queue = recorder().answers;
    if (queue.empty()) {
        if (asks(box.type))
            scriptFailure(QStringLiteral("Sì/No box without a queued answer"), box);
        return answer::Ok;
    }
    const int a = queue.front();
    queue.pop_front();
    const bool fits = isYesNo(box.type)         ? (a == answer::Yes || a == answer::No)
        : isYesNoCancel(box.type) ? (a == answer::Yes || a == answer::No || a == answer::Cancel)
                                  : a == answer::Ok;
    if (!fits)
        scriptFailure(QStringLiteral("queued answer %1 does not fit the box").arg(a), box);
    return a;
}

QMessageBox::Icon iconFor(unsigned type)
{
    switch (type & mb::IconMask) {
    case mb::Stop:
        return QMessageBox::Critical;
    case mb::Question:
        return QMessageBox::Question;
    case mb::Exclamation:
        return QMessageBox::Warning;
    case mb::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int showDialog(QWidget* owner, const QString& text, const QString& caption, unsigned type)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QMessageBox box(iconFor(type), caption, lines, QMessageBox::NoButton, owner);
    // Descriptions quote file names and user text; none of it is markup.
    box.setTextFormat(Qt::PlainText);
    if (!asks(type)) {
        box.addButton(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
        return answer::Ok;
    }
    QPushButton* yes = box.addButton(QMessageBox::Yes);
    QPushButton* no = box.addButton(QMessageBox::No);
    yes->setText(QStringLiteral("Sì"));
    no->setText(QStringLiteral("No"));
    box.setDefaultButton(yes);
    QPushButton* cancel = nullptr;
    if (isYesNoCancel(type)) {
        cancel = box.addButton(QMessageBox::Cancel);
        cancel->setText(QStringLiteral("Annulla"));
    }
    // Esc and closing the window mean Annulla where there is one, else No.
    box.setEscapeButton(cancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes)
        return answer::Yes;
    if (cancel && box.clickedButton() != no)
        return answer::Cancel;
    return answer::No;
}

} // namespace

int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type)
{
    auto& r = recorder();
    r.shown.push_back(ShownBox{caption, text, type, owner});
    if (r.scripted || !r.answers.empty())
        return scriptedAnswer(r.shown.back());
    return showDialog(owner, text, caption, type);
}

void MessageBoxLog::setScripted(bool on)
{
    recorder().scripted = on;
}

bool MessageBoxLog::scripted()
{
    return recorder().scripted;
}

void MessageBoxLog::queueAnswer(int a)
{
    recorder().answers.push_back(a);
}

std::size_t MessageBoxLog::pendingAnswers()
{
    return recorder().answers.size();
}

const std::vector<ShownBox>& MessageBoxLog::shown()
{
    return recorder().shown;
}

void MessageBoxLog::clear()
{
    recorder().shown.clear();
}

void MessageBoxLog::reset()
{
    recorder() = Recorder{};
}

} // namespace vendrik
