#pragma once

#include <QApplication>
#include <QString>

#include <functional>

class QWidget;

namespace framework {

// The error log, in the current folder. Entries are only ever appended, one line each:
// "dd.mm.yyyy hh:mm:ss<TAB>command<TAB>description" (line breaks of the description become
// spaces).
inline constexpr const char* kErrorLogName = "quarvello.err";

// Runs a command or an event handler. An exception leaving it closes the windows the command
// left open, is appended to the error log and shown in the error box with its description;
// then the program goes on. True when the body completed, false after a failure.
bool runGuarded(const QString& command, const std::function<void()>& body);

// What runGuarded does with a failure, for a caller that caught it itself. Never throws; a log
// that cannot be written is only warned about.
void reportFailure(const QString& command, const QString& description) noexcept;

// A window that lives for part of a command (the progress window) registers itself while it is
// open, so a failure leaving the command closes it. A window deleted while registered drops out
// by itself.
void registerOpenWindow(QWidget* window);
void unregisterOpenWindow(QWidget* window);

// The application object of the program: an exception leaving an event handler goes through
// the same error handling as a command ("command" being the receiver's class and object name),
// and the event counts as not handled.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace framework
