#include "wordauto/window/recovery.h"

#include "wordauto/doc/application_state.h"
#include "wordauto/doc/doc_recovery.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace wordauto::window {

RecoveryKeeper::RecoveryKeeper(std::chrono::milliseconds interval) : interval_(interval) {}

RecoveryKeeper::~RecoveryKeeper() { delete timer_; }

void RecoveryKeeper::watch(const std::shared_ptr<detail::ApplicationState>& instance)
{
    forgetEnded();
    const bool known = std::any_of(watched_.begin(), watched_.end(),
                                   [&](const auto& w) { return w.lock() == instance; });
    if (!known)
        watched_.push_back(instance);
    // Without an event loop (a program without windows) there is nothing to drive the timer.
    if (!timer_ && QCoreApplication::instance()) {
        timer_ = new QTimer(QCoreApplication::instance());
        timer_->callOnTimeout([this] { tick(); });
        QObject::connect(timer_, &QObject::destroyed, [this] { timer_ = nullptr; });
    }
    if (timer_ && !timer_->isActive())
        timer_->start(interval_);
}

void RecoveryKeeper::tick()
{
    forgetEnded();
    for (const auto& w : watched_) {
        const auto instance = w.lock();
        if (!instance || !instance->visible)
            continue;
        for (const auto& doc : instance->documents) {
            if (!doc->changed() || doc->readOnly() || doc->path().empty())
                continue;
            try {
                detail::writeRecoveryCopy(*doc);
            } catch (const std::exception&) {
                // A copy that cannot be written now (a full disk) is tried again next time;
                // the user's work is in the open document all the same.
            }
        }
    }
    if (watched_.empty() && timer_)
        timer_->stop();
}

void RecoveryKeeper::setInterval(std::chrono::milliseconds interval)
{
    interval_ = interval;
    if (timer_)
        timer_->setInterval(interval_);
}

bool RecoveryKeeper::timerActive() const { return timer_ && timer_->isActive(); }

void RecoveryKeeper::forgetEnded()
{
    watched_.erase(std::remove_if(watched_.begin(), watched_.end(),
                                  [](const auto& w) {
                                      const auto s = w.lock();
                                      return !s || !s->running;
                                  }),
                   watched_.end());
}

RecoveryKeeper& recoveryKeeper()
{
    static RecoveryKeeper keeper;
    return keeper;
}

} // namespace wordauto::window
