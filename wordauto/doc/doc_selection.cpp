#include "wordauto/doc/doc_selection.h"

#include "wordauto/doc/application_state.h"
#include "wordauto/oxml/file_insert.h"
#include "wordauto/word_error.h"

#include <cstring>

namespace wordauto {

namespace {

detail::DocumentModel& activeModel(detail::ApplicationState& app)
{
    app.ensureRunning();
    if (!app.active)
        throw WordError("Nessun documento è aperto in Word");
    return *app.active;
}

// Removes the selected blocks, leaving the selection collapsed where they were.
void deleteSelection(detail::ApplicationState& app, detail::DocumentModel& doc)
{
    auto& sel = app.liveSelection();
    if (sel.start == sel.end)
        return;
    auto body = doc.body();
    for (auto n = sel.start; n && n != sel.end;) {
        auto next = n.next_sibling();
        if (!(std::strcmp(n.name(), "w:sectPr") == 0 && !next))
            body.remove_child(n);
        n = next;
    }
    sel.start = sel.end;
    doc.touchRemoval();
    sel.removalGen = doc.removalGeneration();
}

} // namespace

void DOC_Selection::InsertFile(const std::string& path)
{
    auto& doc = activeModel(*app_);
    deleteSelection(*app_, doc);
    auto& sel = app_->liveSelection();
    const auto before = sel.end;
    sel.start = detail::insertDocumentBody(doc, before, path);
    sel.end = before;
}

void DOC_Selection::Collapse(int direction)
{
    activeModel(*app_);
    auto& sel = app_->liveSelection();
    if (direction == wdCollapseEnd)
        sel.start = sel.end;
    else
        sel.end = sel.start;
}

void DOC_Selection::InsertBreak(int type)
{
    if (type != wdPageBreak)
        throw WordError("Tipo di interruzione non supportato: " + std::to_string(type));
    auto& doc = activeModel(*app_);
    deleteSelection(*app_, doc);
    auto& sel = app_->liveSelection();
    auto body = doc.body();
    auto before = sel.end ? sel.end : body.child("w:sectPr");
    auto p = before ? body.insert_child_before("w:p", before) : body.append_child("w:p");
    p.append_child("w:r").append_child("w:br").append_attribute("w:type") = "page";
    doc.touchStructure();
    sel.start = sel.end = before;
}

} // namespace wordauto
