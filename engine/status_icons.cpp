#include "engine/engine.h"
#include "engine/result_documents.h"

#include "runtime/file_lookup.h"

#include <QString>

#include <cstdio>

namespace engine {

namespace {

std::string upper(const std::string& text)
{
    return QString::fromStdString(text).toUpper().toStdString();
}

std::string detailItemName(int row)
{
    char name[16];
    std::snprintf(name, sizeof name, "X%05d", row);
    return name;
}

} // namespace

// The result document, open read-only in the held Word; nothing when it is missing.
static std::optional<wordauto::DOC_Document> openResult(Engine& e, const char* file, bool lInteractive)
{
    const auto path = vendrik::findFile(e.state().dossierFolder(), file);
    if (!path) {
        if (lInteractive)
            e.frame().messageBox(std::string("Per questo fascicolo non esiste il file ") + file
                                     + "\r\nÈ necessario generare il rapporto",
                                 kCaptionCorvalta, mb::Question);
        return std::nullopt;
    }
    bool created = false;
    auto& word = e.obtainWord(&created);
    if (created)
        word.Visible(false);
    word.Documents().Open(*path, false, true);
    return word.ActiveDocument();
}

static void finishResult(Engine& e, bool lInteractive)
{
    if (lInteractive) {
        e.frame().treeExpandAll();
        e.oWord->ActiveDocument().Close();
    }
    if (e.lDocsOpen)
        e.oWord->Visible(true);
}

// Calls `use` with the row number and a cell reader for every row of table 1 that passes the
// reading rule of the result documents. One pass down the table: each row is taken once and
// its other cells are read only when its first one names a list of the dossier.
template <typename Use>
static void forEachResultRow(const ProgramState& state, wordauto::DOC_Document& doc, Use&& use)
{
    const ResultRowRule rule(state);
    const auto rows = doc.Tables().Item(1).Rows();
    const int count = rows.Count();
    for (int r = 2; r <= count; ++r) {
        const auto row = rows.Item(r);
        auto cell = [&](int c) { return cleanCell(row.Cells(c).Range().Text_()); };
        const std::string number = cell(1);
        if (rule.accepts(number))
            use(r, number, cell);
    }
}

void Engine::MTDSTATUS1(bool lInteractive)
{
    auto doc = openResult(*this, kStatusDocument, lInteractive);
    if (!doc)
        return;
    forEachResultRow(state_, *doc, [&](int, const std::string& number, auto& cell) {
        const int status = leadingNumber(cell(2));
        if (auto item = frame_.treeItem(listItemName(number))) {
            item->stateImage = status;
            frame_.treeSetItem(*item);
        }
    });
    finishResult(*this, lInteractive);
}

void Engine::MTDSTATUS2(bool lInteractive)
{
    for (const auto& number : state_.aDossierLists)
        frame_.treeDeleteItem(listItemName(number), true);
    auto doc = openResult(*this, kReportDocument, lInteractive);
    if (!doc)
        return;
    forEachResultRow(state_, *doc, [&](int r, const std::string& number, auto& cell) {
        const std::string reference = cell(2);
        const std::string message = cell(3);
        const int status = leadingNumber(cell(4));
        TreeItem item{detailItemName(r), "Rif.: [ " + upper(reference) + " ] - " + message,
                      reference, false, status};
        // A list whose index symbol is not its number's item name has no item to hang under;
        // its detail rows are then not shown.
        frame_.treeAddItem(listItemName(number), item);
    });
    finishResult(*this, lInteractive);
}

void Engine::MTDRESET1()
{
    const TreeUpdateSuspension suspended(frame_);
    for (const auto& number : state_.aDossierLists) {
        if (auto item = frame_.treeItem(listItemName(number))) {
            item->stateImage = 1;
            frame_.treeSetItem(*item);
        }
    }
}

void Engine::MTDRESET2()
{
    const TreeUpdateSuspension suspended(frame_);
    for (const auto& number : state_.aDossierLists)
        frame_.treeDeleteItem(listItemName(number), true);
}

} // namespace engine
