#include "wordauto/doc/doc_application.h"

#include "wordauto/doc/application_state.h"
#include "wordauto/print/print_out.h"
#include "wordauto/window/recovery.h"
#include "wordauto/window/window_hooks.h"
#include "wordauto/word_error.h"

#include <algorithm>
#include <cstring>

namespace wordauto {

namespace {

std::vector<std::weak_ptr<detail::ApplicationState>>& registry()
{
    static std::vector<std::weak_ptr<detail::ApplicationState>> instances;
    return instances;
}

std::string& printDestination()
{
    static std::string folder;
    return folder;
}

DOC_Application::SavePrompt& savePrompt()
{
    static DOC_Application::SavePrompt prompt;
    return prompt;
}

DOC_Application::SaveAsPrompt& saveAsPrompt()
{
    static DOC_Application::SaveAsPrompt prompt;
    return prompt;
}

} // namespace

namespace detail {

void ApplicationState::ensureRunning() const
{
    if (!running)
        throw WordError("L'istanza di Word è terminata: l'operazione non è più possibile");
}

void ApplicationState::activate(const std::shared_ptr<DocumentModel>& doc)
{
    active = doc;
    selection = SelectionState{};
    if (doc) {
        selection.doc = doc;
        selection.start = selection.end = doc->body().first_child();
        if (std::strcmp(selection.start.name(), "w:sectPr") == 0)
            selection.start = selection.end = pugi::xml_node();
        selection.removalGen = doc->removalGeneration();
    }
}

SelectionState& ApplicationState::liveSelection()
{
    auto doc = selection.doc.lock();
    if (doc != active || (doc && doc->removalGeneration() != selection.removalGen))
        activate(active);
    return selection;
}

bool ApplicationState::close(const std::shared_ptr<DocumentModel>& doc, int saveChanges)
{
    if (doc->changed()) {
        if (saveChanges == wdPromptToSaveChanges) {
            switch (askToSave(doc->name())) {
            case SaveAnswer::Yes:
                if (!saveAnswered(*doc))
                    return false;
                break;
            case SaveAnswer::No:
                break;
            case SaveAnswer::Cancel:
                return false;
            }
        } else if (saveChanges == wdSaveChanges) {
            doc->save();
        }
    }
    doc->markClosed();
    documents.erase(std::remove(documents.begin(), documents.end(), doc), documents.end());
    if (active == doc)
        activate(documents.empty() ? nullptr : documents.back());
    window::syncWindows(shared_from_this());
    return true;
}

void endInstance(ApplicationState& app)
{
    for (const auto& doc : app.documents)
        doc->markClosed();
    app.documents.clear();
    app.activate(nullptr);
    app.readAhead.reset();
    app.running = false;
    window::syncWindows(app.shared_from_this());
}

const std::string& printDestinationFolder() { return printDestination(); }

SaveAnswer askToSave(const std::string& documentName)
{
    return savePrompt() ? savePrompt()(documentName) : SaveAnswer::Cancel;
}

std::string pathToSave(const DocumentModel& doc)
{
    if (!doc.path().empty())
        return doc.path();
    return saveAsPrompt() ? saveAsPrompt()(doc.proposedPath()) : std::string();
}

bool saveAnswered(DocumentModel& doc)
{
    const std::string path = pathToSave(doc);
    if (path.empty())
        return false;
    doc.saveAs(path);
    return true;
}

pugi::xml_node blockOf(pugi::xml_node node, pugi::xml_node body)
{
    // The body is known, so each step up is one parent and a compare of nodes, not of names.
    for (auto parent = node.parent(); parent && parent != body; parent = parent.parent())
        node = parent;
    return node;
}

} // namespace detail

DOC_Application::DOC_Application() : state_(std::make_shared<detail::ApplicationState>())
{
    auto& all = registry();
    all.erase(std::remove_if(all.begin(), all.end(), [](const auto& w) { return w.expired(); }),
              all.end());
    all.push_back(state_);
}

DOC_Documents DOC_Application::Documents() const
{
    state_->ensureRunning();
    return DOC_Documents(state_);
}

DOC_Document DOC_Application::ActiveDocument() const
{
    state_->ensureRunning();
    if (!state_->active)
        throw WordError("Nessun documento è aperto in Word");
    return DOC_Document(DocRef{state_, state_->active});
}

DOC_Selection DOC_Application::Selection() const
{
    state_->ensureRunning();
    return DOC_Selection(state_);
}

bool DOC_Application::Visible() const
{
    state_->ensureRunning();
    return state_->visible;
}

void DOC_Application::Visible(bool visible)
{
    state_->ensureRunning();
    state_->visible = visible;
    if (visible)
        window::recoveryKeeper().watch(state_);
    window::syncWindows(state_);
}

void DOC_Application::Quit(int saveChanges)
{
    state_->ensureRunning();
    // Ask about every changed document first, and where a new one goes, so a cancel leaves
    // everything open.
    struct Step {
        std::shared_ptr<detail::DocumentModel> doc;
        bool save = false;
        std::string target; // chosen by the user; empty: the document's own file
    };
    std::vector<Step> plan;
    for (const auto& doc : state_->documents) {
        Step step{doc, false, {}};
        if (doc->changed()) {
            if (saveChanges == wdPromptToSaveChanges) {
                const SaveAnswer a = detail::askToSave(doc->name());
                if (a == SaveAnswer::Yes)
                    step.target = detail::pathToSave(*doc);
                if (a == SaveAnswer::Cancel || (a == SaveAnswer::Yes && step.target.empty()))
                    throw WordCancel("Chiusura di Word annullata");
                step.save = a == SaveAnswer::Yes;
            } else {
                step.save = saveChanges == wdSaveChanges;
            }
        }
        plan.push_back(std::move(step));
    }
    for (auto& step : plan)
        if (step.save) {
            if (step.target.empty())
                step.doc->save();
            else
                step.doc->saveAs(step.target);
        }
    detail::endInstance(*state_);
}

bool DOC_Application::IsRunning() const { return state_->running; }

void DOC_Application::PrintOut(bool /*background*/)
{
    state_->ensureRunning();
    if (!state_->active)
        throw WordError("Nessun documento è aperto in Word: non c'è niente da stampare");
    print::printDocument(*state_->active, printDestination());
}

void DOC_Application::SetPrintDestination(const std::string& folder) { printDestination() = folder; }

bool DOC_Application::WindowExists()
{
    for (const auto& w : registry())
        if (auto s = w.lock(); s && s->running)
            return true;
    return false;
}

void DOC_Application::SetSavePrompt(SavePrompt prompt) { savePrompt() = std::move(prompt); }
void DOC_Application::SetSaveAsPrompt(SaveAsPrompt prompt) { saveAsPrompt() = std::move(prompt); }

detail::DocumentModel& DocRef::live() const
{
    if (!doc) {
        app->ensureRunning();
        throw WordError("Il documento è stato chiuso: l'operazione non è più possibile");
    }
    if (app->running && !doc->closed())
        return *doc;
    // The call was for this document: say which one.
    const std::string shown = doc->path().empty() ? doc->name() : doc->path();
    if (!app->running)
        throwFileError("L'istanza di Word è terminata: l'operazione non è più possibile", shown);
    throwFileError("Il documento è stato chiuso: l'operazione non è più possibile", shown);
}

} // namespace wordauto
