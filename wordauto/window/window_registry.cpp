#include "wordauto/window/document_window.h"
#include "wordauto/window/window_hooks.h"

#include "wordauto/doc/application_state.h"

#include <QApplication>
#include <QPointer>

#include <algorithm>

namespace wordauto::window {

namespace {

struct Entry {
    const detail::ApplicationState* app;
    const detail::DocumentModel* doc;
    QPointer<DocumentWindow> window;
};

std::vector<Entry>& entries()
{
    static std::vector<Entry> all;
    return all;
}

bool haveWidgets() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

} // namespace

void syncWindows(const std::shared_ptr<detail::ApplicationState>& app)
{
    if (!haveWidgets())
        return;
    auto& all = entries();
    auto stillOpen = [&](const detail::DocumentModel* doc) {
        return app->running
               && std::any_of(app->documents.begin(), app->documents.end(),
                              [doc](const auto& d) { return d.get() == doc; });
    };
    for (auto it = all.begin(); it != all.end();) {
        if (!it->window) {
            it = all.erase(it);
        } else if (it->app == app.get() && !stillOpen(it->doc)) {
            it->window->dismiss();
            it = all.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& doc : app->documents) {
        auto found = std::find_if(all.begin(), all.end(),
                                  [&](const Entry& e) { return e.doc == doc.get(); });
        if (found == all.end() && app->running && app->visible) {
            auto* w = new DocumentWindow(app, doc);
            all.push_back(Entry{app.get(), doc.get(), w});
            w->show();
        } else if (found != all.end()) {
            found->window->setVisible(app->visible);
        }
    }
    if (app->visible && app->active)
        raiseWindow(*app, *app->active);
}

void raiseWindow(const detail::ApplicationState& app, const detail::DocumentModel& doc)
{
    if (!haveWidgets() || !app.visible)
        return;
    for (const auto& e : entries())
        if (e.doc == &doc && e.window) {
            e.window->show();
            e.window->raise();
            e.window->activateWindow();
        }
}

std::vector<DocumentWindow*> documentWindows()
{
    std::vector<DocumentWindow*> out;
    for (const auto& e : entries())
        if (e.window && !e.window->dismissed())
            out.push_back(e.window);
    return out;
}

} // namespace wordauto::window
