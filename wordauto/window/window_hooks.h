#pragma once

// How the object model tells the document windows what happened to an instance. Without a
// QApplication in the process (a program with no windows) these do nothing.

#include <memory>

namespace wordauto::detail {
struct ApplicationState;
class DocumentModel;
} // namespace detail

namespace wordauto::window {

// Brings the instance's windows in step with it: a window for each open document while the
// instance runs visible, all of them hidden while it is not, none for a closed document or an
// ended instance.
void syncWindows(const std::shared_ptr<detail::ApplicationState>& app);

// Brings the document's window to the front, when it has one.
void raiseWindow(const detail::ApplicationState& app, const detail::DocumentModel& doc);

} // namespace wordauto::window
