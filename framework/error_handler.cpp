#include "framework/error_handler.h"

#include "framework/msgbox.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QWidget>
#include <QtDebug>

#include <algorithm>
#include <exception>
#include <new>
#include <vector>

namespace framework {

namespace {

std::vector<QPointer<QWidget>>& openWindows()
{
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}

void closeOpenWindows()
{
    // Closing may unregister (or delete) the window, so work on a copy.
    const auto windows = std::move(openWindows());
    openWindows().clear();
    for (const auto& w : windows) {
        if (w)
            w->close();
    }
}

bool appendToErrorLog(const QString& command, const QString& description)
{
    QString flat = description;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString entry = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"))
        + QLatin1Char('\t') + command + QLatin1Char('\t') + flat + QLatin1Char('\n');
    const QByteArray bytes = entry.toUtf8();

    QFile log(QString::fromLatin1(kErrorLogName));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return log.write(bytes) == bytes.size() && log.flush();
}

QString describe(const std::exception& e) noexcept
{
    try {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Memoria insufficiente");
    }
}

// The catching itself, shared by commands and event handlers; the name is only built when
// something failed, since notify passes through here for every event.
template <typename Body, typename Name>
bool guard(Body&& body, Name&& name) noexcept
{
    QString description;
    try {
        body();
        return true;
    } catch (const std::bad_alloc&) {
        description = QStringLiteral("Memoria insufficiente");
    } catch (const std::exception& e) {
        description = describe(e);
    } catch (...) {
        description = QStringLiteral("Errore sconosciuto");
    }
    // Reported after the handler, so the exception (and what it holds) is gone by then.
    QString command;
    try {
        command = name();
    } catch (...) {
    }
    reportFailure(command, description);
    return false;
}

} // namespace

bool runGuarded(const QString& command, const std::function<void()>& body)
{
    return guard(body, [&] { return command; });
}

void reportFailure(const QString& command, const QString& description) noexcept
{
    try {
        closeOpenWindows();
        // Written before the box is shown, so it is there even if the program is killed meanwhile.
        if (!appendToErrorLog(command, description))
            qWarning("Quarvello: cannot append to the error log %s", kErrorLogName);
        errorBox(description);
    } catch (...) {
        qWarning("Quarvello: a failure could not be reported");
    }
}

void registerOpenWindow(QWidget* window)
{
    auto& windows = openWindows();
    if (window && std::find(windows.begin(), windows.end(), window) == windows.end())
        windows.emplace_back(window);
}

void unregisterOpenWindow(QWidget* window)
{
    auto& windows = openWindows();
    std::erase_if(windows, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
}

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    const bool completed = guard([&] { handled = QApplication::notify(receiver, event); },
                                 [receiver] {
                                     if (!receiver)
                                         return QString();
                                     QString name = QString::fromLatin1(receiver->metaObject()->className());
                                     if (!receiver->objectName().isEmpty())
                                         name += QLatin1Char(' ') + receiver->objectName();
                                     return name;
                                 });
    return completed && handled;
}

} // namespace framework
