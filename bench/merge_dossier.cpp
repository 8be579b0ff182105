// Merges a dossier through the engine's own command, with every one of its lists picked as the
// picker in print mode collects them (each section's separator before its first list), then
// prints the merged document through PrintOut into a folder: the Vendrik side of
// scripts/compare_merged_with_libreoffice.sh.
//
//   merge_dossier <root folder> <dossier folder name> <pdf folder>
//
// Prints the merged document's path, the documents merged and its page count (property 14).

#include "engine/engine.h"
#include "runtime/file_lookup.h"
#include "tests/recording_frame.h"
#include "wordauto/word.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

// As the picker in print mode with every list of the dossier ticked and separators asked for.
std::vector<std::string> pickedDocuments(const engine::ProgramState& state)
{
    const std::set<std::string> inDossier(state.aDossierLists.begin(), state.aDossierLists.end());
    std::set<std::string> sections;
    for (const auto& row : state.aSectionIndex)
        sections.insert(row.number);
    std::vector<std::string> picked;
    std::string lastSection;
    for (const auto& row : state.aListIndex) {
        if (!inDossier.contains(row.number))
            continue;
        const std::string section = row.number.substr(0, 4) + ".00";
        if (section != lastSection) {
            lastSection = section;
            if (sections.contains(section))
                if (auto separator = vendrik::findFile(state.cRootDir + "/WRD", section + ".DOC"))
                    picked.push_back(*separator);
        }
        if (auto document = vendrik::findFile(state.dossierFolder(), row.number + ".DOC"))
            picked.push_back(*document);
    }
    return picked;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <root folder> <dossier folder name> <pdf folder>\n", argv[0]);
        return 2;
    }
    engine::ProgramState state;
    state.cRootDir = argv[1];
    state.cDossierDir = std::string("/") + argv[2];
    testsupport::RecordingFrame frame;
    frame.dossierBox = state.cDossierDir;
    engine::Engine e(state, frame);
    if (!e.MTDLOAD1()) {
        std::fprintf(stderr, "merge_dossier: the list index of %s does not load\n", argv[1]);
        return 1;
    }
    e.FNZLOAD();
    const std::vector<std::string> picked = pickedDocuments(state);
    frame.picker = [&](const std::string&) {
        state.aListPick = picked;
        return engine::PickerEnd::Done;
    };
    e.FNZLISTWRD();
    for (const auto& box : frame.boxes)
        std::fprintf(stderr, "merge_dossier: message \"%s\"\n", box.text.c_str());
    if (frame.boxes.size() != 1 || frame.boxes[0].text != "Operazione completata!")
        return 1;
    e.FNZCLOSEALL();

    const std::string merged = state.dossierFolder() + "/_Fascicolo.doc";
    wordauto::DOC_Application::SetPrintDestination(argv[3]);
    try {
        wordauto::DOC_Application app;
        auto doc = app.Documents().Open(merged, false, true);
        const long pages = doc.BuiltInDocumentProperties().Item(wordauto::wdPropertyPages).Value();
        app.PrintOut(false);
        app.Quit(wordauto::wdDoNotSaveChanges);
        std::printf("merged\t%s\ndocuments\t%zu\nproperty14\t%ld\n", merged.c_str(), picked.size(), pages);
        for (const auto& p : picked)
            std::printf("picked\t%s\n", p.c_str());
    } catch (const wordauto::WordError& err) {
        std::fprintf(stderr, "merge_dossier: %s\n", err.what());
        return 1;
    }
    return 0;
}
