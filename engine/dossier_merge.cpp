// The merged dossier document: every document the picker collects (lists and the separators
// before their sections) inserted one after another into a new document on the merge
// template, a page break between two documents, saved in the dossier folder.
#include "engine/engine.h"

namespace engine {

namespace {

constexpr const char* kMergeTemplate = "_Fascicolo1.dot";
constexpr const char* kMergedDocument = "_Fascicolo.doc";

bool stillOpen(const wordauto::DOC_Application& word, const wordauto::DOC_Document& doc)
{
    if (!word.IsRunning())
        return false;
    const auto docs = word.Documents();
    for (int i = 1; i <= docs.Count(); ++i)
        if (docs.Item(i) == doc)
            return true;
    return false;
}

} // namespace

void Engine::FNZLISTWRD()
{
    FNZCLOSEALL();
    const PickerEnd collected = frame_.listPickerConfirmed(kPickerPrint);
    if (collected == PickerEnd::Interrupted) {
        // A part of the dossier must not replace the whole one saved before.
        frame_.messageBox("Operazione interrotta!", kCaptionCorvalta, mb::Stop);
        return;
    }
    if (collected != PickerEnd::Done || state_.aListPick.empty())
        return;

    bool created = false;
    // The command's own handle: the user may quit Word while events run between documents.
    const wordauto::DOC_Application word = obtainWord(&created);
    if (created)
        oWord->Visible(true);

    auto progress = frame_.createProgress(kCaptionQuarvello);
    progress->show();
    progress->setRange(1, 100);
    progress->setPosition(0);

    const std::string templatePath = pathIn(state_.cRootDir, kMergeTemplate);
    const std::string target = pathIn(state_.dossierFolder(), kMergedDocument);
    auto merged = word.Documents().Add(templatePath);
    // Left open unsaved after a cancel, it is proposed there when the user saves it.
    merged.ProposedFullName(target);
    auto selection = word.Selection();
    bool interrupted = false;
    for (std::size_t i = 1; i <= state_.aListPick.size(); ++i) {
        const std::size_t n = state_.aListPick.size();
        advanceBar(*progress, percentDown(i, n));
        const std::string path = state_.aListPick[i - 1];
        progress->setText("Fascicolazione in corso [" + std::to_string(i) + "/" + std::to_string(n)
                          + "]\r\nlista " + path);
        selection.InsertFile(path);
        if (i < n) {
            selection.Collapse(wordauto::wdCollapseEnd);
            selection.InsertBreak();
        }
        frame_.pumpEvents();
        if (!stillOpen(word, merged)) {
            // The user closed the document, or Word, while it was being built: nothing to save.
            frame_.messageBox("Operazione interrotta!", kCaptionCorvalta, mb::Stop);
            progress->close();
            return;
        }
        if (progress->aborted()) {
            interrupted = true;
            break;
        }
    }

    merged.CopyStylesFromTemplate(templatePath);
    merged.Protect_(wordauto::wdAllowOnlyFormFields, true);
    if (interrupted) {
        frame_.messageBox("Operazione interrotta!", kCaptionCorvalta, mb::Stop);
    } else {
        merged.SaveAs(target);
        frame_.messageBox("Operazione completata!", kCaptionCorvalta, mb::Information);
    }
    progress->close();
}

} // namespace engine
