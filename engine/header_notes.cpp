#include "engine/engine.h"

#include "runtime/file_lookup.h"

namespace engine {

namespace {

constexpr const char* kHeaderDocument = "0.00.01.doc";

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The header fields and the box each fills, in the order they are read.
struct HeaderField {
    const char* name;
    int box;
    bool trimmed;
};
constexpr HeaderField kHeaderFields[] = {
    {"f001", 1, true}, {"f004", 2, true}, {"f003", 3, true}, {"f006", 4, false}, {"f005", 5, true},
};

} // namespace

void Engine::MTDLOAD2()
{
    for (int box = 1; box <= 5; ++box)
        frame_.setHeaderText(box, "");
    frame_.setNotes("");

    const auto path = vendrik::findFile(state_.dossierFolder(), kHeaderDocument);
    if (!path) {
        frame_.messageBox("La lista 0.00.01.doc non esiste\r\nImpossibile visualizzare i dati della verifica",
                          kCaptionCorvalta, mb::Question);
        return;
    }
    auto& word = obtainWord();
    while (word.Documents().Count() > 0)
        word.Documents().Item(1).Close();
    word.Visible(false);
    word.Documents().Open(*path, false, true);
    auto doc = word.ActiveDocument();
    auto read = [&](const char* name) {
        auto field = doc.FormFields().Item(name);
        field.Select();
        return field.Result();
    };
    for (const auto& f : kHeaderFields) {
        if (!doc.Bookmarks().Exists(f.name))
            continue;
        const std::string text = read(f.name);
        frame_.setHeaderText(f.box, f.trimmed ? trim(text) : text);
    }
    if (state_.lShowNotes && doc.Bookmarks().Exists("note1"))
        frame_.setNotes(trim(read("note1")));
    // The header stays open: the dossier load closes every document at its end.
}

void Engine::MTDLOAD3()
{
    const auto list = selectedListDocument("\r\nImpossibile visualizzare le note");
    if (!list)
        return;
    auto progress = frame_.createProgress(kCaptionQuarvello);
    progress->setText("Caricamento note lista... Attendere...");
    progress->hideCancel();
    progress->hideBar();
    progress->show();

    auto& word = obtainWord();
    // The user's own open copy first: it holds what was typed and not yet saved.
    const bool openedHere = !(lDocsOpen && activateOpenCopy(word, list->file));
    if (openedHere)
        word.Documents().Open(list->path, false, true);
    auto doc = word.ActiveDocument();
    if (doc.Bookmarks().Exists("note1")) {
        auto field = doc.FormFields().Item("note1");
        field.Select();
        frame_.setNotes(trim(field.Result()));
    }
    if (openedHere)
        word.ActiveDocument().Close();
    progress->close();
}

} // namespace engine
