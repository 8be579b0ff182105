#pragma once

#include "wordauto/doc/doc_application.h"
#include "wordauto/doc/read_ahead.h"
#include "wordauto/oxml/document_model.h"

#include <memory>
#include <vector>

namespace wordauto::detail {

// Where the selection stands: between blocks of the active document's body. `start` and `end`
// are the blocks before which the selection begins and ends (empty: the end of the body).
struct SelectionState {
    std::weak_ptr<DocumentModel> doc;
    pugi::xml_node start;
    pugi::xml_node end;
    unsigned removalGen = 0;
};

struct ApplicationState : std::enable_shared_from_this<ApplicationState> {
    bool running = true;
    bool visible = false;
    std::vector<std::shared_ptr<DocumentModel>> documents; // in the order they were opened
    std::shared_ptr<DocumentModel> active;
    int untitled = 0;
    SelectionState selection;
    std::shared_ptr<ReadAhead> readAhead; // documents read ahead for read-only opens, if any

    void ensureRunning() const;
    void activate(const std::shared_ptr<DocumentModel>& doc);
    // Closes one document: asks, saves or discards as saveChanges says. False when the user
    // cancelled.
    bool close(const std::shared_ptr<DocumentModel>& doc, int saveChanges);
    // The selection, moved to the start of the active document when its blocks went away.
    SelectionState& liveSelection();
};

// Ends the instance without asking: every document closed unsaved, as a quit that was
// already answered.
void endInstance(ApplicationState& app);

// The folder PrintOut writes to in place of the printer; empty when it prints.
const std::string& printDestinationFolder();

// The installed save prompt (Close() and Quit() without arguments).
SaveAnswer askToSave(const std::string& documentName);
// The file a document is saved to at the user's Sì: its own, or for one never saved the path
// the save-as prompt gives; empty when the user cancelled there.
std::string pathToSave(const DocumentModel& doc);
// Saves the document the user chose to save; false when the user cancelled the file choice.
bool saveAnswered(DocumentModel& doc);

// The body block (a direct child of `body`, the document's w:body) that holds node.
pugi::xml_node blockOf(pugi::xml_node node, pugi::xml_node body);

} // namespace wordauto::detail
