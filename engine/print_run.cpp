// The print run: the documents the user picks printed one after another, each one's page
// numbers starting where the one before ended. The files are opened read-only and closed
// unsaved: what changes for the print stays in memory.
#include "engine/engine.h"

#include <cstdint>
#include <thread>

namespace engine {

void Engine::FNZLISTPRN()
{
    FNZCLOSEALL();
    if (frame_.listPicker(kPickerPrint) != PickerEnd::Done || state_.aListPick.empty())
        return;

    bool created = false;
    obtainWord(&created);
    if (created)
        oWord->Visible(true);

    std::int32_t firstPage = 1;
    std::int32_t previousPages = 0;
    for (std::size_t i = 0; i < state_.aListPick.size(); ++i) {
        firstPage += previousPages;
        auto doc = oWord->Documents().Open(state_.aListPick[i], false, true);
        if (doc.ProtectionType() != wordauto::wdNoProtection)
            doc.Unprotect();
        previousPages = static_cast<std::int32_t>(
            doc.BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value());
        auto footer = doc.Sections().Item(1).Footers().Item(1);
        footer.LinkToPrevious(false);
        footer.PageNumbers().StartingNumber(firstPage);
        if (!wordauto::DOC_Application::WindowExists() || !oWord)
            break; // Word is gone: the document is left as it stands
        oWord->PrintOut(false);
        if (state_.nSle9 > 0) {
            const std::chrono::milliseconds pause(std::int64_t{state_.nSle9} * 1000);
            if (printRunSeams.sleepFor)
                printRunSeams.sleepFor(pause);
            else
                std::this_thread::sleep_for(pause); // on the GUI thread: no events meanwhile
        }
        doc.Protect_(wordauto::wdAllowOnlyFormFields, true);
        if (printRunSeams.beforePrintedClose)
            printRunSeams.beforePrintedClose(doc);
        oWord->Documents().Item(1).Close(wordauto::wdDoNotSaveChanges);
    }
    if (wordauto::DOC_Application::WindowExists() && oWord) {
        oWord->Quit();
        oWord.reset();
    }
}

} // namespace engine
