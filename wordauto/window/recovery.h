#pragma once

#include <chrono>
#include <memory>
#include <vector>

class QTimer;

namespace wordauto::detail {
struct ApplicationState;
}

namespace wordauto::window {

// Keeps a recovery copy of each document with unsaved changes of the instances the user sees,
// written again every interval while they stay changed: a crash costs at most one interval of
// work. A timer drives it while a watched instance runs; tick() is the timer's work.
class RecoveryKeeper {
public:
    explicit RecoveryKeeper(std::chrono::milliseconds interval = std::chrono::seconds(60));
    ~RecoveryKeeper();
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // The instance was made visible: its changed documents are kept from now on, while it is.
    void watch(const std::shared_ptr<detail::ApplicationState>& instance);
    // Writes the copies now: every changed document of a watched instance that runs and is
    // visible, which has a file of its own and may be saved to it.
    void tick();

    std::chrono::milliseconds interval() const { return interval_; }
    void setInterval(std::chrono::milliseconds interval);
    bool timerActive() const;

private:
    void forgetEnded();

    std::chrono::milliseconds interval_;
    std::vector<std::weak_ptr<detail::ApplicationState>> watched_;
    // Owned by the application object, so it never outlives it; null once that deleted it.
    QTimer* timer_ = nullptr;
};

// The program's keeper, to which Visible(TRUE) hands each instance.
RecoveryKeeper& recoveryKeeper();

} // namespace wordauto::window
