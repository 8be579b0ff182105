#include "engine/engine.h"
#include "engine/result_documents.h"
#include "engine/result_writer.h"

#include "runtime/file_lookup.h"
#include "wordauto/opc/package.h"
#include "wordauto/word_error.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <fstream>
#include <sstream>

namespace engine {

namespace {

using Parser = void (Engine::*)(const std::string&);

struct KindParser {
    const char* kind;
    Parser parser;
};
constexpr KindParser kParsers[] = {
    {"A1", &Engine::MTD_PARSEA1}, {"B1", &Engine::MTD_PARSEB1}, {"C1", &Engine::MTD_PARSEC1},
    {"D1", &Engine::MTD_PARSED1}, {"E1", &Engine::MTD_PARSEE1}, {"E2", &Engine::MTD_PARSEE2},
};

// Copies the root's template of a result document over the dossier's; false after telling why.
bool copyTemplate(Engine& e, const char* file)
{
    const auto source = vendrik::findFile(e.state().cRootDir, file);
    if (!source) {
        e.frame().messageBox(vendrik::joinPath(e.state().cRootDir, file) + "\r\nIl file non esiste",
                             kCaptionCorvalta, mb::Stop);
        return false;
    }
    const std::string target = pathIn(e.state().dossierFolder(), file);
    std::ifstream in(*source, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    try {
        if (!in)
            throw wordauto::WordError("lettura non riuscita");
        wordauto::opc::writeFileAtomically(target, bytes.str());
    } catch (const wordauto::WordError&) {
        e.frame().messageBox(target + "\r\nErrore durante la copia del file", kCaptionCorvalta, mb::Stop);
        return false;
    }
    return true;
}

// The result documents of a large dossier take tens of megabytes while they are filled; once
// they are closed, the allocator is asked to hand the freed pages back to the system instead of
// keeping them for a process that may not need them again for hours.
void giveBackFreedMemory()
{
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

} // namespace

void Engine::FNZPARSE()
{
    FNZCLOSEALL();
    oWord.emplace();
    oWord->Visible(false);
    // The run's own instance: whatever the user does while events run may quit or drop it.
    const wordauto::DOC_Application word = *oWord;
    if (!copyTemplate(*this, kReportDocument) || !copyTemplate(*this, kStatusDocument))
        return; // the hidden Word stays for the next close-all

    bool complete = true;
    auto progress = frame_.createProgress(kCaptionQuarvello);
    progress->show();
    progress->setRange(1, 100);
    progress->setPosition(0);

    state_.aListPick.clear();
    state_.aListPickRows.clear();
    state_.aListStatus.clear();
    state_.aRptMeasures.clear();

    const vendrik::FolderLookup documents(state_.dossierFolder());
    // The run's own copy of the list rows: the index may be loaded again while events are let
    // run between two lists, and a lookup must not point into rows that are gone.
    const std::vector<IndexRow> listRows = state_.aListIndex;
    const NumberIndex<IndexRow> byNumber(listRows);
    std::vector<std::string> upcoming; // the documents the loop will open, read ahead of it
    for (const auto& number : state_.aDossierLists)
        if (const auto document = documents.findFile(number + ".DOC"))
            upcoming.push_back(*document);
    const auto readAhead = word.Documents().ReadAhead(std::move(upcoming));
    for (std::size_t i = 1; i <= state_.aDossierLists.size(); ++i) {
        advanceBar(*progress, percentDown(i, state_.aDossierLists.size()));
        if (progress->aborted()) {
            frame_.messageBox("Generazione rapporto interrotta", kCaptionCorvalta, mb::Exclamation);
            complete = false;
            break;
        }
        const std::string number = state_.aDossierLists[i - 1];
        progress->setText("Scansione in corso lista " + number + " ...Attendere");
        const IndexRow* row = byNumber.find(number);
        if (!row) {
            frame_.messageBox(number + " - La lista non esiste nell'indice", kCaptionCorvalta, mb::Stop);
            complete = false;
            break;
        }
        const std::string& kind = row->kind;
        const auto document = documents.findFile(number + ".DOC");
        if (!document) {
            frame_.messageBox(number + " - La lista non esiste", kCaptionCorvalta, mb::Stop);
            complete = false;
            break;
        }
        oWord->Documents().Open(*document, false, true);
        if (MTD_CHECK(kind, number))
            for (const auto& p : kParsers)
                if (kind == p.kind) {
                    (this->*p.parser)(number);
                    break;
                }
        oWord->Documents().Item(1).Close(wordauto::wdDoNotSaveChanges);
        frame_.pumpEvents();
        if (!oWord || !(*oWord == word) || !word.IsRunning()) {
            // Word went away under the run: it stops as after a cancel, with nothing written.
            frame_.messageBox("Generazione rapporto interrotta", kCaptionCorvalta, mb::Exclamation);
            complete = false;
            break;
        }
    }

    progress->disableCancel();
    progress->setText("Generazione rapporto... Attendere");
    if (complete) {
        writeResults(*progress);
        FNZCLOSEALL();
    }
    progress->close();
    giveBackFreedMemory();
}

void Engine::writeResults(ProgressWindow& progress)
{
    const std::string folder = state_.dossierFolder();
    const auto open = [&](const char* file) -> std::optional<wordauto::DOC_Document> {
        const auto path = vendrik::findFile(folder, file);
        if (!path) {
            frame_.messageBox(vendrik::joinPath(folder, file) + "\r\nIl file non esiste", kCaptionCorvalta,
                              mb::Stop);
            return std::nullopt;
        }
        oWord->Documents().Open(*path, false, false);
        auto doc = oWord->ActiveDocument();
        oWord->Visible(false);
        return doc;
    };

    auto status = open(kStatusDocument);
    if (!status)
        return;
    std::vector<std::vector<std::string>> rows;
    for (const auto& r : state_.aListStatus)
        rows.push_back({r.list, std::to_string(r.status)});
    fillResultTable(status->Tables().Item(1), 1, rows);
    oWord->Documents().Close(wordauto::wdSaveChanges);

    auto report = open(kReportDocument);
    if (!report)
        return;
    rows.clear();
    for (const auto& r : state_.aListPickRows)
        rows.push_back({r.list, r.reference, r.message, std::to_string(r.status)});
    fillResultTable(report->Tables().Item(1), 2, rows);
    rows.clear();
    for (const auto& m : state_.aRptMeasures)
        rows.push_back({m.list, m.reference, m.state});
    fillResultTable(report->Tables().Item(2), 2, rows);
    oWord->Documents().Close(wordauto::wdSaveChanges);

    if (state_.lShowStatus) {
        progress.setText("Assegnazione icone liste... Attendere...");
        MTDSTATUS1(true);
        if (state_.lShowDetail) {
            progress.setText("Assegnazione icone dettaglio... Attendere...");
            MTDSTATUS2(true);
        }
    }
}

} // namespace engine
