#include "engine/engine.h"

#include "wordauto/word_error.h"

namespace engine {

using wordauto::DOC_Application;

DOC_Application& Engine::obtainWord(bool* created)
{
    const bool fresh = !DOC_Application::WindowExists() || !oWord;
    if (fresh)
        oWord.emplace(); // an earlier one is replaced without being quit
    if (created)
        *created = fresh;
    return *oWord;
}

void Engine::FNZCLOSEALL()
{
    if (DOC_Application::WindowExists() && oWord) {
        oWord->Quit();
        oWord.reset();
    }
    lDocsOpen = false;
}

bool Engine::quitWordOnClose()
{
    if (!DOC_Application::WindowExists() || !oWord)
        return true;
    // Word runs inside this program: while a document is still open in it (the user kept it
    // with Annulla, or its save failed) the program stays open too.
    try {
        oWord->Quit();
    } catch (const wordauto::WordCancel&) {
        if (oWord->IsRunning())
            return false;
    } catch (const std::exception& e) {
        frame_.errorBox(e.what());
        if (oWord->IsRunning())
            return false;
    }
    oWord.reset();
    return true;
}

} // namespace engine
