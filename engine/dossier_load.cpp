#include "engine/engine.h"
#include "engine/number_index.h"

#include "runtime/file_lookup.h"

namespace engine {

void Engine::FNZLOAD()
{
    state_.aDossierLists.clear();
    FNZCLOSEALL();
    {
        // The tree is redrawn again however the load ends, a Word failure included.
        const TreeUpdateSuspension suspended(frame_);
        frame_.treeDeleteAll();
        loadDossierTree();
    }
    frame_.treeExpandAll();
}

void Engine::loadDossierTree()
{
    const std::string folder = state_.dossierFolder();
    if (isBlank(frame_.dossierFolderBox())) {
        frame_.messageBox("Selezionare una cartella fascicolo", kCaptionCorvalta, mb::Question);
        return;
    }
    if (!vendrik::folderExists(folder)) {
        frame_.messageBox(folder + "\r\nLa cartella non esiste", kCaptionCorvalta, mb::Question);
        return;
    }

    auto progress = frame_.createProgress(kCaptionQuarvello);
    progress->hideCancel();
    progress->setText("Caricamento liste di controllo... Attendere...");
    progress->show();
    progress->setRange(1, 100);
    progress->setPosition(0);

    // The folder is listed once; each digit's pattern filters that listing, in digit order.
    const vendrik::FolderListing listing(folder);
    for (char d = '0'; d <= '9'; ++d)
        for (const auto& name : listing.matching(std::string(1, d) + ".??.??.DOC"))
            state_.aDossierLists.push_back(name.substr(0, name.size() - 4)); // a "?" may take more than a byte

    for (const auto& row : state_.aSectionIndex)
        frame_.treeAddItem(row.parent, TreeItem{row.symbol, row.number + " - " + row.title,
                                                row.number, true, 0});

    // A number the index does not know is dropped; the known ones are gathered in one pass and
    // the bar reads as it would if each unknown one were erased where it stands.
    const NumberIndex<IndexRow> listRows(state_.aListIndex);
    const auto& found = state_.aDossierLists;
    std::vector<std::string> known;
    known.reserve(found.size());
    for (std::size_t next = 0; next < found.size(); ++next) {
        const std::size_t dropped = next - known.size();
        advanceBar(*progress, percentDown(known.size() + 1, found.size() - dropped));
        if (const IndexRow* row = listRows.find(found[next])) {
            frame_.treeAddItem(row->parent, TreeItem{row->symbol, row->number + " - " + row->title,
                                                     row->number, false, 1});
            known.push_back(found[next]);
        } else {
            frame_.messageBox("La lista " + found[next] + " non esiste nel file indice", kCaptionCorvalta,
                              mb::Question);
        }
    }
    state_.aDossierLists = std::move(known);
    frame_.treeSortChildren(kTreeRoot);

    progress->setText("Caricamento dati verifica... Attendere...");
    MTDLOAD2();
    if (state_.lShowStatus) {
        progress->setText("Assegnazione icone liste... Attendere...");
        MTDSTATUS1(false);
        if (state_.lShowDetail) {
            progress->setText("Assegnazione icone dettaglio... Attendere...");
            MTDSTATUS2(false);
        }
    }
    auto& word = obtainWord();
    while (word.Documents().Count() > 0)
        word.Documents().Item(1).Close();
    progress->close();
}

} // namespace engine
