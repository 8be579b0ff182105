// What OK of the picker does: the folder tests, then by mode the copy, delete or collect loop
// under a progress window, then the end: result 1, or kInterrupted after a cancel.
#include "app/dwlist.h"

#include "app/dwwait.h"
#include "engine/engine.h"
#include "framework/event_pump.h"
#include "framework/file_copy.h"
#include "runtime/file_lookup.h"
#include "wordauto/doc/doc_recovery.h"

#include <QCheckBox>
#include <filesystem>
#include <QPointer>
#include <QTableWidget>

namespace app {

namespace mb = vendrik::mb;

namespace {

std::string archiveFolder(const engine::ProgramState& s) { return s.cRootDir + "/LDC"; }
std::string separatorFolder(const engine::ProgramState& s) { return s.cRootDir + "/WRD"; }
std::string documentOf(const std::string& number) { return number + ".DOC"; }
// A number from a damaged or crafted index must not lead out of the program's folders.
bool namesAFile(const std::string& number)
{
    return number.find('/') == std::string::npos && number.find('\0') == std::string::npos;
}
// The section code of a list: 1.01.05 belongs to 1.01.00.
std::string sectionOf(const std::string& number) { return number.substr(0, 4) + ".00"; }

} // namespace

void DWLIST::PBOK()
{
    if (working_)
        return; // a second OK while the work runs
    QPointer<DWLIST> self(this);
    working_ = true;
    setControlsEnabled(false);
    struct Restore {
        QPointer<DWLIST> picker;
        ~Restore()
        {
            if (picker) {
                picker->working_ = false;
                picker->progress_ = nullptr;
                picker->setControlsEnabled(true);
            }
        }
    } restore{self};
    interrupted_ = false;
    if (!runWork() || !self)
        return;
    done(interrupted_ ? kInterrupted : 1);
}

engine::PickerEnd DWLIST::ending() const
{
    switch (result()) {
    case 1:
        return engine::PickerEnd::Done;
    case kInterrupted:
        return engine::PickerEnd::Interrupted;
    default:
        return engine::PickerEnd::Cancelled;
    }
}

bool DWLIST::folderTests()
{
    const std::string dossier = state_.dossierFolder();
    if (!vendrik::folderExists(dossier)) {
        box(dossier + "\r\nLa cartella fascicolo non esiste", vendrik::mb::Stop);
        return false;
    }
    if (symMode != QLatin1String("DEL") && !vendrik::folderExists(archiveFolder(state_))) {
        box(archiveFolder(state_) + "\r\nLa cartella archivio liste non esiste", vendrik::mb::Stop);
        return false;
    }
    return true;
}

bool DWLIST::runWork()
{
    if (!folderTests())
        return true;
    QPointer<DWLIST> self(this);
    ProgressWindowAdapter progress(this, QStringLiteral("Quarvello"));
    progress_ = &progress;
    progress.show();
    progress.setRange(1, 100);
    progress.setPosition(0);

    // Built once for the whole work; they follow their arrays if those change while events run.
    const engine::NumberIndex<engine::IndexRow> listRows(state_.aListIndex);
    const engine::NumberIndex<engine::IndexRow> sectionRows(state_.aSectionIndex);
    bool alive = true;
    if (symMode == QLatin1String("ADD")) {
        if (mandatoryPass(true, listRows)) {
            progress.setText("Copia in corso lista");
            // Each folder listed once for the whole loop, not once per list: the lists copied
            // are new to the dossier, and the no-replace rename still refuses a name taken
            // since the listing.
            const vendrik::FolderLookup archive(archiveFolder(state_));
            const vendrik::FolderLookup dossier(state_.dossierFolder(), vendrik::FolderLookup::Listing::Once);
            alive = itemLoop(progress, "Copia in corso lista ", "Copia interrotta",
                             [&](const std::string& n) { copyList(n, archive, dossier); });
        }
    } else if (symMode == QLatin1String("DEL")) {
        if (mandatoryPass(false, listRows)
            && box("Attenzione... Le liste selezionate verranno eliminate dal fascicolo... Procedere?",
                   vendrik::mb::YesNo | vendrik::mb::Question)
                == vendrik::answer::Yes) {
            progress.setText("Cancellazione in corso lista");
            const vendrik::FolderLookup dossier(state_.dossierFolder());
            alive = itemLoop(progress, "Cancellazione in corso lista ", "Cancellazione interrotta",
                             [&](const std::string& n) { deleteList(n, dossier); });
        }
    } else if (symMode == QLatin1String("PRN")) {
        if (anyChosen(listRows)) {
            std::string lastSection;
            alive = itemLoop(progress, "Fascicolazione in corso lista ", "Stampa interrotta",
                             [this, &lastSection, &sectionRows](const std::string& n) {
                                 collectList(n, lastSection, sectionRows);
                             });
        }
    }
    if (!alive || !self)
        return false;
    progress_ = nullptr;
    progress.close();
    return true;
}

bool DWLIST::mandatoryPass(bool tick, const engine::NumberIndex<engine::IndexRow>& listRows)
{
    bool chosen = false;
    for (int i = 0; i < itemCount(); ++i) {
        const std::string number = itemNumber(i).toStdString();
        const engine::IndexRow* row = listRows.find(number);
        if (!row)
            continue;
        if (row->mandatory && itemChecked(i) != tick) {
            box(tick ? "La lista [" + number + "] non è selezionata\r\nma essendo obbligatoria verrà selezionata"
                     : "La lista [" + number + "] è selezionata\r\nma essendo obbligatoria verrà deselezionata",
                vendrik::mb::Question);
            setItemChecked(i, tick);
        }
        chosen = chosen || itemChecked(i);
    }
    return chosen;
}

bool DWLIST::anyChosen(const engine::NumberIndex<engine::IndexRow>& listRows) const
{
    for (int i = 0; i < itemCount(); ++i)
        if (itemChecked(i) && listRows.contains(itemNumber(i).toStdString()))
            return true;
    return false;
}

bool DWLIST::itemLoop(ProgressWindowAdapter& progress, const char* itemText, const char* interrupted,
                      const std::function<void(const std::string& number)>& work)
{
    QPointer<DWLIST> self(this);
    // The count is read afresh at every step.
    for (int i = 0; i < itemCount(); ++i) {
        engine::advanceBar(progress, engine::percentUp(static_cast<std::uint64_t>(i) + 1,
                                                       static_cast<std::uint64_t>(itemCount())));
        if (itemChecked(i)) {
            const std::string number = itemNumber(i).toStdString();
            progress.setText(itemText + number);
            // A progress window gone with its owner's children counts as cancelled too.
            if (progress.aborted() || !progress.dialog()) {
                interrupted_ = true;
                box(interrupted, vendrik::mb::Exclamation);
                return static_cast<bool>(self);
            }
            work(number);
        }
        framework::letEventsRun();
        if (!self)
            return false; // the picker went with its owner while events ran
    }
    return true;
}

void DWLIST::copyList(const std::string& number, const vendrik::FolderLookup& archive,
                      const vendrik::FolderLookup& dossier)
{
    const auto source = namesAFile(number) ? archive.findFile(documentOf(number)) : std::nullopt;
    if (!source) {
        box(number + " - La lista non esiste", vendrik::mb::Stop);
        return;
    }
    const auto result = framework::copyFileNoReplace(*source, state_.dossierFolder(), documentOf(number), &dossier);
    switch (result.outcome) {
    case framework::CopyOutcome::Copied:
        state_.aListPick.push_back(number);
        break;
    case framework::CopyOutcome::TargetExists:
        // The document in the dossier may hold the user's work: it stays, and it is the list's.
        box(result.target + "\r\nLa lista è già nel fascicolo: il documento presente non è stato sostituito",
            vendrik::mb::Information);
        state_.aListPick.push_back(number);
        break;
    case framework::CopyOutcome::Failed:
        box(result.target + "\r\nCopia della lista non riuscita (" + result.cause + ")", vendrik::mb::Stop);
        break;
    }
}

void DWLIST::deleteList(const std::string& number, const vendrik::FolderLookup& dossier)
{
    const auto document = namesAFile(number) ? dossier.findFile(documentOf(number)) : std::nullopt;
    if (!document) {
        box(number + " - La lista non esiste", vendrik::mb::Stop);
        return;
    }
    std::string cause;
    if (framework::removeFile(*document, &cause)) {
        // Unsaved edits of a list that is gone would be offered again for a new list of its number.
        wordauto::detail::discardRecoveryCopy(std::filesystem::absolute(*document).string());
        state_.aListPick.push_back(number);
    }
    else
        box(*document + "\r\nEliminazione della lista non riuscita (" + cause + ")", vendrik::mb::Stop);
}

void DWLIST::collectList(const std::string& number, std::string& lastSection,
                         const engine::NumberIndex<engine::IndexRow>& sectionRows)
{
    if (!namesAFile(number)) {
        box(number + " - La lista non esiste", vendrik::mb::Stop);
        return;
    }
    if (CB1->isChecked() && number.substr(0, 4) != lastSection.substr(0, 4)) {
        lastSection = sectionOf(number);
        // A section the index does not know gets no separator, and is not tried again.
        if (sectionRows.contains(lastSection)) {
            if (const auto separator = vendrik::findFile(separatorFolder(state_), documentOf(lastSection)))
                state_.aListPick.push_back(*separator);
            else
                box(lastSection + " - La Sezione non esiste", vendrik::mb::Stop);
        }
    }
    if (const auto document = vendrik::findFile(state_.dossierFolder(), documentOf(number)))
        state_.aListPick.push_back(*document);
    else if (const auto blank = vendrik::findFile(archiveFolder(state_), documentOf(number)))
        state_.aListPick.push_back(*blank);
    else
        box(number + " - La lista non esiste", vendrik::mb::Stop);
}

} // namespace app
