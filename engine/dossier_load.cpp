#include "engine/engine.h"
#include "engine/result_documents.h"

#include "framework/file_lookup.h"

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
    if (!framework::folderExists(folder)) {
        frame_.messageBox(folder + "\r\nLa cartella non esiste", kCaptionCorvalta, mb::Question);
        return;
    }

    auto progress = frame_.createProgress(kCaptionQuarvello);
    progress->hideCancel();
    progress->setText("Caricamento liste di controllo... Attendere...");
    progress->show();
    progress->setRange(1, 100);
    progress->setPosition(0);

    for (char d = '0'; d <= '9'; ++d)
        for (const auto& name : framework::listFiles(folder, std::string(1, d) + ".??.??.DOC"))
            state_.aDossierLists.push_back(name.substr(0, 7));

    for (const auto& row : state_.aSectionIndex)
        frame_.treeAddItem(row.parent, TreeItem{row.symbol, row.number + " - " + row.title,
                                                row.number, true, 0});

    for (std::size_t i = 1; i <= state_.aDossierLists.size();) {
        advanceBar(*progress, percentDown(i, state_.aDossierLists.size()));
        const std::string number = state_.aDossierLists[i - 1];
        if (const IndexRow* row = findListRow(state_, number)) {
            frame_.treeAddItem(row->parent, TreeItem{row->symbol, row->number + " - " + row->title,
                                                     row->number, false, 1});
            ++i;
        } else {
            frame_.messageBox("La lista " + number + " non esiste nel file indice", kCaptionCorvalta,
                              mb::Question);
            state_.aDossierLists.erase(state_.aDossierLists.begin() + static_cast<std::ptrdiff_t>(i - 1));
        }
    }
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
