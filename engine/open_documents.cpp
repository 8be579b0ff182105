#include "engine/engine.h"

#include "runtime/file_lookup.h"

#include <algorithm>

namespace engine {

namespace {

constexpr const char* kReportFile = "_Rapporto_Fascicolo.doc";
constexpr const char* kDossierFile = "_Fascicolo.doc";

} // namespace

bool sameFileName(const std::string& a, const std::string& b)
{
    const auto lower = [](unsigned char c) -> int {
        return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
    };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

std::string pathIn(const std::string& folder, const std::string& name)
{
    const auto found = vendrik::findFile(folder, name);
    return found ? *found : vendrik::joinPath(folder, name);
}

bool activateOpenCopy(wordauto::DOC_Application& word, const std::string& file)
{
    auto docs = word.Documents();
    for (int i = 1; i <= docs.Count(); ++i) {
        auto doc = docs.Item(i);
        if (sameFileName(doc.Name(), file)) {
            doc.Activate();
            return true;
        }
    }
    return false;
}

void Engine::openForUser(const std::string& path, const std::string& file, bool readOnly)
{
    lDocsOpen = true;
    auto& word = obtainWord();
    word.Visible(true);
    if (!activateOpenCopy(word, file))
        word.Documents().Open(path, false, readOnly);
}

std::optional<Engine::ListDocument> Engine::selectedListDocument(const std::string& missingTail)
{
    const auto selected = frame_.treeSelectedItem();
    if (!selected || selected->name.empty() || selected->name[0] != 'L') {
        frame_.messageBox("Selezionare una lista", kCaptionCorvalta, mb::Question);
        return std::nullopt;
    }
    const std::string number = selected->value;
    const std::string file = number + ".DOC";
    const auto path = vendrik::findFile(state_.dossierFolder(), file);
    if (!path) {
        frame_.messageBox("La lista " + number + " non esiste" + missingTail, kCaptionCorvalta,
                          mb::Question);
        return std::nullopt;
    }
    return ListDocument{file, *path};
}

void Engine::FNZOPEN()
{
    if (const auto list = selectedListDocument(""))
        openForUser(list->path, list->file, false);
}

void Engine::FNZOPENR()
{
    const auto path = vendrik::findFile(state_.dossierFolder(), kReportFile);
    if (!path) {
        frame_.messageBox("Non esiste il file rapporto per questo fascicolo", kCaptionCorvalta,
                          mb::Question);
        return;
    }
    openForUser(*path, kReportFile, true);
}

void Engine::FNZOPENF()
{
    const auto path = vendrik::findFile(state_.dossierFolder(), kDossierFile);
    if (!path) {
        frame_.messageBox("Non esiste il file fascicolo", kCaptionCorvalta, mb::Question);
        return;
    }
    openForUser(*path, kDossierFile, true);
}

} // namespace engine
